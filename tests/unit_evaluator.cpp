// The evaluator: operators, built-in functions, sigma sums, calls of user
// functions, and the error flag for everything that has no value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "calcbintree.h"
#include "symbol.h"
#include "usrfunc.h"

namespace {

// One item as the scanner fills it, with the operator code its text gives.
void Make_Item(CompForm& item, const char* text, int kind) {
    std::strcpy(item.CompArray, text);
    item.Initialize();
    item.kind = kind;
    if (kind == KIND_OPERATOR) item.SetOperatorKind();
    if (kind == KIND_FUNCTION) item.argm_num = item.SetOperatorFunc();
    if (kind == KIND_MULTI_OPERATOR) item.argm_num = item.SetMltOperator();
}

// Evaluates a tree the way the mode drivers do: flag 1, fresh summation table.
double Evaluate(CompForm* root, int* error_flag, AscArray<double>& array) {
    *error_flag = 1;
    return BinTreeFunc(root, error_flag, array, g_ufunc_list, EmptyArray);
}

double Evaluate(CompForm* root, int* error_flag) {
    AscArray<double> no_variables;
    return Evaluate(root, error_flag, no_variables);
}

class EvaluatorNodes : public ::testing::Test {
protected:
    void SetUp() override { Set_Operator_Function(); }
};

// A built-in function of one number argument, evaluated.
double Builtin_Value(const char* name, const char* argument, int* error_flag) {
    CompForm items[2];
    Make_Item(items[0], name, KIND_FUNCTION);
    Make_Item(items[1], argument, KIND_NUMBER);
    items[0].list_fnarg[0] = &items[1];
    return Evaluate(&items[0], error_flag);
}

TEST_F(EvaluatorNodes, BuiltinFunctionsMatchTheMathLibrary) {
    struct Case {
        const char* name;
        double (*library)(double);
    };
    const Case cases[] = {
        {"sin", [](double v) { return std::sin(v); }},
        {"cos", [](double v) { return std::cos(v); }},
        {"tan", [](double v) { return std::tan(v); }},
        {"exp", [](double v) { return std::exp(v); }},
        {"log10", [](double v) { return std::log10(v); }},
        {"ln", [](double v) { return std::log(v); }},
        {"abs", [](double v) { return std::fabs(v); }},
        {"sqrt", [](double v) { return std::sqrt(v); }},
        {"asin", [](double v) { return std::asin(v); }},
        {"acos", [](double v) { return std::acos(v); }},
        {"atan", [](double v) { return std::atan(v); }},
        {"sinh", [](double v) { return std::sinh(v); }},
        {"cosh", [](double v) { return std::cosh(v); }},
        {"tanh", [](double v) { return std::tanh(v); }},
    };
    for (const Case& one : cases) {
        for (const char* argument : {"0.5", "0.25"}) {
            int error_flag = 0;
            double expected = one.library(std::strtod(argument, nullptr));
            EXPECT_DOUBLE_EQ(expected, Builtin_Value(one.name, argument, &error_flag))
                << one.name << "(" << argument << ")";
            EXPECT_EQ(1, error_flag) << one.name;
        }
    }
    int error_flag = 0;
    EXPECT_DOUBLE_EQ(1.5, Builtin_Value("abs", "-1.5", &error_flag));
    EXPECT_DOUBLE_EQ(std::sqrt(2.0), Builtin_Value("sqrt", "2", &error_flag));
}

TEST_F(EvaluatorNodes, TwoArgumentLogarithm) {
    // log(5,x) with x = 25, the variable read through its linked cell.
    CompForm items[3];
    Make_Item(items[0], "log", KIND_FUNCTION);
    Make_Item(items[1], "5", KIND_NUMBER);
    Make_Item(items[2], "x", KIND_VARIABLE);
    items[0].list_fnarg[0] = &items[1];
    items[0].list_fnarg[1] = &items[2];
    AscArray<double> variables;
    Create_SymbolTable(items, 3, variables);
    variables["x"] = 25.0;
    int error_flag = 0;
    EXPECT_DOUBLE_EQ(2.0, Evaluate(&items[0], &error_flag, variables));
    EXPECT_EQ(1, error_flag);
    // The first argument is the base.
    std::strcpy(items[1].CompArray, "2");
    variables["x"] = 7.0;
    EXPECT_DOUBLE_EQ(std::log(7.0) / std::log(2.0), Evaluate(&items[0], &error_flag, variables));
}

TEST_F(EvaluatorNodes, DivisionByZeroIsNoError) {
    CompForm items[3];
    Make_Item(items[0], "1", KIND_NUMBER);
    Make_Item(items[1], "/", KIND_OPERATOR);
    Make_Item(items[2], "0", KIND_NUMBER);
    items[1].left = &items[0];
    items[1].right = &items[2];
    int error_flag = 0;
    double value = Evaluate(&items[1], &error_flag);
    EXPECT_TRUE(std::isinf(value));
    EXPECT_GT(value, 0.0);
    EXPECT_EQ(1, error_flag);

    std::strcpy(items[0].CompArray, "0");
    EXPECT_TRUE(std::isnan(Evaluate(&items[1], &error_flag)));
    EXPECT_EQ(1, error_flag);
}

TEST_F(EvaluatorNodes, NumberTextIsConvertedAtEveryEvaluation) {
    CompForm number;
    Make_Item(number, "2.5e3", KIND_NUMBER);
    int error_flag = 0;
    EXPECT_DOUBLE_EQ(2500.0, Evaluate(&number, &error_flag));
    EXPECT_EQ(1, error_flag);
    std::strcpy(number.CompArray, "7");
    EXPECT_DOUBLE_EQ(7.0, Evaluate(&number, &error_flag));
}

TEST_F(EvaluatorNodes, NullOperandOrArgumentClearsTheFlag) {
    CompForm items[2];
    Make_Item(items[0], "1", KIND_NUMBER);
    Make_Item(items[1], "+", KIND_OPERATOR);
    items[1].left = &items[0];
    int error_flag = 1;
    Evaluate(&items[1], &error_flag);
    EXPECT_EQ(0, error_flag);

    items[1].left = nullptr;
    items[1].right = &items[0];
    Evaluate(&items[1], &error_flag);
    EXPECT_EQ(0, error_flag);

    CompForm log_item;
    Make_Item(log_item, "log", KIND_FUNCTION);
    log_item.list_fnarg[0] = &items[0];
    Evaluate(&log_item, &error_flag);
    EXPECT_EQ(0, error_flag);

    Evaluate(nullptr, &error_flag);
    EXPECT_EQ(0, error_flag);
    error_flag = 1;
    EXPECT_EQ(0.0, CalcValue(nullptr, &error_flag, EmptyArray, g_ufunc_list, EmptyArray));
    EXPECT_EQ(0, error_flag);
}

TEST_F(EvaluatorNodes, ItemsWithoutValueClearTheFlag) {
    const int no_value_kinds[] = {KIND_OPEN_PAR, KIND_CLOSE_PAR, KIND_CLOSE_BRK, KIND_OPEN_BRK,
                                  KIND_SEPARATOR, KIND_SUM_RANGE};
    for (int kind : no_value_kinds) {
        CompForm item;
        Make_Item(item, kind == KIND_SUM_RANGE ? "n(1,2)" : "(", kind);
        int error_flag = 1;
        EXPECT_EQ(0.0, Evaluate(&item, &error_flag));
        EXPECT_EQ(0, error_flag) << "kind " << kind;
    }
}

TEST_F(EvaluatorNodes, VariableReadsItsCellOrFailsWhenUnlinked) {
    CompForm items[3];
    Make_Item(items[0], "x", KIND_VARIABLE);
    Make_Item(items[1], "*", KIND_OPERATOR);
    Make_Item(items[2], "x", KIND_VARIABLE);
    items[1].left = &items[0];
    items[1].right = &items[2];
    int error_flag = 1;
    Evaluate(&items[1], &error_flag);
    EXPECT_EQ(0, error_flag);  // not linked to any table yet

    AscArray<double> variables;
    Create_SymbolTable(items, 3, variables);
    variables["x"] = 3.0;
    EXPECT_DOUBLE_EQ(9.0, Evaluate(&items[1], &error_flag, variables));
    EXPECT_EQ(1, error_flag);
}

TEST_F(EvaluatorNodes, UnboundSummationIndexReadsZero) {
    CompForm index_item;
    Make_Item(index_item, "n", KIND_VARIABLE);
    index_item.argm_num = -1;
    int error_flag = 1;
    EXPECT_EQ(0.0, Evaluate(&index_item, &error_flag));
    EXPECT_EQ(1, error_flag);
    EXPECT_EQ(0, EmptyArray("n"));  // the lookup inserts into a copy only
}

TEST_F(EvaluatorNodes, FlagIsNeverSetBackToOne) {
    CompForm number;
    Make_Item(number, "4", KIND_NUMBER);
    int error_flag = 0;
    EXPECT_DOUBLE_EQ(4.0, BinTreeFunc(&number, &error_flag, EmptyArray, g_ufunc_list, EmptyArray));
    EXPECT_EQ(0, error_flag);
}

TEST_F(EvaluatorNodes, UnknownOperatorCodeGivesZero) {
    CompForm item;
    Make_Item(item, "?", KIND_OPERATOR);
    item.operator_kind = 25;
    int error_flag = 1;
    EXPECT_EQ(0.0, Evaluate(&item, &error_flag));
    EXPECT_EQ(1, error_flag);
}

TEST_F(EvaluatorNodes, RangeItemIsReadOnlyWhenItIsARange) {
    CompForm range;
    Make_Item(range, "k(1.9,-2.5)[7]", KIND_SUM_RANGE);
    char name[256];
    double lower = 0.0;
    double upper = 0.0;
    EXPECT_EQ(1, Get_VariableRange(&range, name, 256, &lower, &upper));
    EXPECT_STREQ("k", name);
    EXPECT_DOUBLE_EQ(1.9, lower);
    EXPECT_DOUBLE_EQ(-2.5, upper);

    range.kind = KIND_VARIABLE;
    EXPECT_EQ(0, Get_VariableRange(&range, name, 256, &lower, &upper));
    EXPECT_EQ(0, Get_VariableRange(nullptr, name, 256, &lower, &upper));
    Make_Item(range, "k(1,", KIND_SUM_RANGE);
    EXPECT_EQ(0, Get_VariableRange(&range, name, 256, &lower, &upper));
}

TEST_F(EvaluatorNodes, UserCallWithoutDefinitionClearsTheFlag) {
    CompForm items[2];
    Make_Item(items[0], "nodef", KIND_USER_FUNCTION);
    items[0].list_fnarg = CFList(1);
    Make_Item(items[1], "2", KIND_NUMBER);
    items[0].list_fnarg[0] = &items[1];
    int error_flag = 1;
    EXPECT_EQ(0.0, Evaluate(&items[0], &error_flag));
    EXPECT_EQ(0, error_flag);
}

}  // namespace
