// The evaluator: operators, built-in functions, sigma sums, calls of user
// functions, and the error flag for everything that has no value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <vector>

#include "eval/calcbintree.h"
#include "formula/crtbtree.h"
#include "formula/fmulaopfc.h"
#include "formula/symbol.h"
#include "tree_walker.h"
#include "userfunc/usrfunc.h"

namespace {

uint64_t Bits(double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

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
    const int no_value_kinds[] = {KIND_OPEN_PAR, KIND_CLOSE_PAR, KIND_CLOSE_BRK,
                                  KIND_OPEN_BRK, KIND_SEPARATOR, KIND_SUM_RANGE};
    for (int kind : no_value_kinds) {
        CompForm item;
        Make_Item(item, kind == KIND_SUM_RANGE ? "n(1,2)" : "(", kind);
        int error_flag = 1;
        EXPECT_EQ(0.0, Evaluate(&item, &error_flag));
        EXPECT_EQ(0, error_flag) << "kind " << kind;
    }
}

// Linked, it reads its cell (EvaluatorFormula.VariablesReadTheirCells).
TEST_F(EvaluatorNodes, VariableNotLinkedFails) {
    CompForm items[3];
    Make_Item(items[0], "x", KIND_VARIABLE);
    Make_Item(items[1], "*", KIND_OPERATOR);
    Make_Item(items[2], "x", KIND_VARIABLE);
    items[1].left = &items[0];
    items[1].right = &items[2];
    int error_flag = 1;
    Evaluate(&items[1], &error_flag);
    EXPECT_EQ(0, error_flag);
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
    item.operator_kind = OPR_SIGMA + 5;  // no operator has this code
    int error_flag = 1;
    EXPECT_EQ(0.0, Evaluate(&item, &error_flag));
    EXPECT_EQ(1, error_flag);
}

// 1+1+...+1 with count ones: a tree as deep as it has operators, leaning left.
double Chain_Value(int count, int* error_flag) {
    std::vector<CompForm> items(2 * count - 1);
    for (int i = 0; i < 2 * count - 1; ++i) {
        if (i % 2 == 0) {
            Make_Item(items[i], "1", KIND_NUMBER);
        } else {
            Make_Item(items[i], "+", KIND_OPERATOR);
        }
    }
    return Evaluate(Build_Tree(items.data(), 2 * count - 1), error_flag);
}

TEST_F(EvaluatorNodes, DeepTreeIsCutInsteadOfExhaustingTheStack) {
    int error_flag = 0;
    EXPECT_DOUBLE_EQ(3000.0, Chain_Value(3000, &error_flag));
    EXPECT_EQ(1, error_flag);
    // Only a definition read from a save file can be this long.
    Chain_Value(100000, &error_flag);
    EXPECT_EQ(0, error_flag);
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

// A formula analysed by the real scanner into an exact-length item array, its
// variables linked to its own table, and its tree built.
class Formula {
public:
    explicit Formula(const char* text) {
        count_ = Formula_Analysis(&items_, text, g_ufunc_list);
        analysed_ = count_ > 0 ? 1 : 0;
        if (analysed_ == 0) return;
        Create_SymbolTable(items_, count_, variables_);
        root_ = Build_Tree(items_, count_);
    }
    ~Formula() { delete[] items_; }
    Formula(const Formula&) = delete;
    Formula& operator=(const Formula&) = delete;

    bool Analysed() const { return analysed_ == 1; }
    void Set(const char* name, double value) { variables_[name] = value; }
    double Value(int* error_flag) { return Evaluate(root_, error_flag, variables_); }
    // The same by the reference evaluator.
    double Reference(int* error_flag) {
        *error_flag = 1;
        return Reference_Value(root_, error_flag, g_ufunc_list);
    }

private:
    CompForm* items_ = nullptr;
    int count_ = 0;
    CompForm* root_ = nullptr;
    int analysed_ = 0;
    AscArray<double> variables_;
};

struct Expected {
    const char* text;
    double value;
};

// Every formula evaluates to its value with the flag left at 1, compiled and
// by the reference evaluator alike.
void Expect_Values(const std::vector<Expected>& cases) {
    for (const Expected& one : cases) {
        Formula formula(one.text);
        ASSERT_TRUE(formula.Analysed()) << one.text;
        int error_flag = 0;
        EXPECT_DOUBLE_EQ(one.value, formula.Value(&error_flag)) << one.text;
        EXPECT_EQ(1, error_flag) << one.text;
        EXPECT_DOUBLE_EQ(one.value, formula.Reference(&error_flag)) << "reference: " << one.text;
        EXPECT_EQ(1, error_flag) << "reference: " << one.text;
        EXPECT_EQ(Bits(formula.Value(&error_flag)), Bits(formula.Reference(&error_flag)))
            << "compiled and reference: " << one.text;
    }
}

// Every formula evaluates to exactly these bits, compiled and by the
// reference evaluator: each step rounded on its own, in the order written.
void Expect_Bits(const std::vector<Expected>& cases) {
    for (const Expected& one : cases) {
        Formula formula(one.text);
        ASSERT_TRUE(formula.Analysed()) << one.text;
        int error_flag = 0;
        EXPECT_EQ(Bits(one.value), Bits(formula.Value(&error_flag))) << one.text;
        EXPECT_EQ(1, error_flag) << one.text;
        EXPECT_EQ(Bits(one.value), Bits(formula.Reference(&error_flag)))
            << "reference: " << one.text;
        EXPECT_EQ(1, error_flag) << "reference: " << one.text;
    }
}

// Every formula clears the flag, compiled and by the reference evaluator.
void Expect_Errors(const std::vector<const char*>& texts) {
    for (const char* text : texts) {
        Formula formula(text);
        ASSERT_TRUE(formula.Analysed()) << text;
        int error_flag = 1;
        formula.Value(&error_flag);
        EXPECT_EQ(0, error_flag) << text;
        formula.Reference(&error_flag);
        EXPECT_EQ(0, error_flag) << "reference: " << text;
    }
}

TEST(EvaluatorFormula, OperatorsByPrecedenceAndGrouping) {
    Expect_Values({
        {"2^3^2", 64.0},
        {"2+3*4-5", 9.0},
        {"10-4-3", 3.0},
        {"10-4+3", 9.0},
        {"8/4/2", 1.0},
        {"8/4*2", 4.0},
        {"2*3/4", 1.5},
        {"(1+2)*3", 9.0},
        {"((7))", 7.0},
        {"-3^2", -9.0},
        {"2.5e3", 2500.0},
        {"2^0.5", std::sqrt(2.0)},
        {"sin(0.5)*2+cos(0.5)", std::sin(0.5) * 2 + std::cos(0.5)},
        {"sqrt(16)+abs(0-3)", 7.0},
        {"log(2,7)", std::log(7.0) / std::log(2.0)},  // the first argument is the base
    });
}

// Constants that are no exact binary fractions: every rounding shows.
TEST(EvaluatorFormula, EachStepRoundedInTheOrderWritten) {
    double tenths = 0.0;
    for (int n = 1; n <= 10; ++n) tenths += n * 0.1;
    Expect_Bits({
        {"0.1*3-0.3", 0.1 * 3 - 0.3},
        {"1/3*3-1", 1.0 / 3 * 3 - 1},
        {"0.1+0.2-0.3", 0.1 + 0.2 - 0.3},
        {"1e15+0.3-1e15", 1e15 + 0.3 - 1e15},
        {"2.718281828*2.718281828-7.389056096", 2.718281828 * 2.718281828 - 7.389056096},
        {"0-7.3e-5*1e15+0.3", 0 - 7.3e-5 * 1e15 + 0.3},
        {"(1e15+0.3)*0.1-1e14", (1e15 + 0.3) * 0.1 - 1e14},
        {"sigma[n(1,10),n*0.1]-5.5", tenths - 5.5},
        {"sqrt(2)*sqrt(2)-2", std::sqrt(2.0) * std::sqrt(2.0) - 2},
    });
}

TEST(EvaluatorFormula, VariablesReadTheirCells) {
    Formula formula("a*x+b+x");
    ASSERT_TRUE(formula.Analysed());
    formula.Set("a", 2.0);
    formula.Set("b", 1.0);
    formula.Set("x", 3.0);
    int error_flag = 0;
    EXPECT_DOUBLE_EQ(10.0, formula.Value(&error_flag));
    formula.Set("x", -1.0);
    EXPECT_DOUBLE_EQ(-2.0, formula.Value(&error_flag));
    EXPECT_EQ(1, error_flag);

    Formula logarithm("log(5,x)");
    ASSERT_TRUE(logarithm.Analysed());
    logarithm.Set("x", 25.0);
    EXPECT_DOUBLE_EQ(2.0, logarithm.Value(&error_flag));
    EXPECT_EQ(1, error_flag);
}

TEST(EvaluatorFormula, SigmaSums) {
    Expect_Values({
        {"sigma[n(1,10),n^2]", 385.0},
        {"sigma[n(1,10),2]", 20.0},
        {"sigma[n(1.9,3.9),n]", 6.0},
        {"sigma[n(-2.5,-1.5),n]", -3.0},
        {"sigma[n(5,1),n]", 0.0},
        {"sigma[n(5,1),2]", -6.0},
        {"sigma[i(1,3),sigma[j(1,2),i*j]]", 18.0},
        {"sigma[i(1,3),sigma[j(1,2),j]]", 9.0},
        {"sigma[i(1,2),sigma[j(1,3),i]]", 9.0},
        {"log(sigma[n(1,2),n],9)", 2.0},
        {"1+sigma[k(1,4),k]*2", 21.0},
    });
}

TEST(EvaluatorFormula, SigmaBoundsAtTheEdgesOfInt) {
    Expect_Values({
        {"sigma[n(2147483647,2147483647),n]", 2147483647.0},
        {"sigma[n(2147483646,2147483647.9),1]", 2.0},
        {"sigma[n(-2147483648,-2147483648),n]", -2147483648.0},
        {"sigma[n(-2147483648.9,2147483647),1]", 4294967296.0},
    });
}

TEST(EvaluatorFormula, SigmaBoundsOutsideIntClearTheFlag) {
    Expect_Errors({
        "sigma[n(1,2147483648),n]",
        "sigma[n(-2147483649,1),n]",
        "sigma[n(3e9,1),2]",
        "sigma[n(1,1e400),n]",
        "sigma[n(-1e400,1),n]",
        "2+sigma[k(1,2),sigma[n(1,1e10),n]]",
    });
}

TEST(EvaluatorFormula, DivisionByZeroKeepsTheFlag) {
    Formula infinite("1/0");
    ASSERT_TRUE(infinite.Analysed());
    int error_flag = 0;
    double value = infinite.Value(&error_flag);
    EXPECT_TRUE(std::isinf(value) && value > 0.0);
    EXPECT_EQ(1, error_flag);

    Formula not_a_number("0/0");
    ASSERT_TRUE(not_a_number.Analysed());
    EXPECT_TRUE(std::isnan(not_a_number.Value(&error_flag)));
    EXPECT_EQ(1, error_flag);
}

// User functions are registered in the one registry and removed after each test.
class EvaluatorUserFunction : public ::testing::Test {
protected:
    void TearDown() override { g_ufunc_list.DeleteAllObject(); }

    static void Register(const char* name, unsigned int arg_count, const char* definition) {
        ASSERT_EQ(1, g_ufunc_list.AddUFncElem(name, -1, arg_count, 8, definition)) << name;
        ASSERT_EQ(2, g_ufunc_list(name)) << name << " = " << definition;
    }
};

TEST_F(EvaluatorUserFunction, ArgumentsAreAllEvaluatedBeforeTheCellsAreWritten) {
    Register("f", 2, "a0^2+a1");
    Expect_Values({
        {"f(3,1)", 10.0},
        {"f(f(1,1),0)", 4.0},
        {"f(2,f(1,1))", 6.0},
        {"f(sigma[n(1,3),n],1)+1", 38.0},
        {"sigma[n(1,3),f(n,n)]", 20.0},
    });
}

// A definition reads the arguments its own call received, also after it
// called another function: the factors' order does not matter.
TEST_F(EvaluatorUserFunction, EachCallReadsItsOwnArguments) {
    Register("g", 1, "a0+1");
    Register("f", 1, "a0*g(a0*2)");
    Register("h", 1, "g(a0*2)*a0");
    Register("m", 2, "a0-a1");
    Register("u", 2, "m(a1,a0)*10+m(a0,a1)");
    Register("v", 2, "a1+m(a1,a0)*a0");
    Register("w", 2, "g(a1)*a0+g(a0)*a1");
    Expect_Values({
        {"f(3)", 21.0},
        {"h(3)", 21.0},
        {"m(5,2)", 3.0},
        {"u(5,2)", -27.0},
        {"v(5,2)", -13.0},
        {"w(2,5)", 27.0},
        {"m(h(1),f(1))", 0.0},
        {"m(f(1),m(7,h(2)))", 6.0},
        {"u(m(1,u(1,2)),2)", 90.0},
        {"h(f(1))+f(h(1))", 42.0},
        {"sigma[n(1,3),h(n)+v(n,1)]", 34.0 - 5.0},
    });
}

TEST_F(EvaluatorUserFunction, CallWithoutArgumentsEvaluatesTheDefinition) {
    Register("k", 0, "3.5*2");
    Expect_Values({{"k()", 7.0}, {"k()+1", 8.0}, {"2*k()", 14.0}});
}

TEST_F(EvaluatorUserFunction, DefinitionGoneAtEvaluationClearsTheFlag) {
    Register("f", 1, "a0+1");
    Formula formula("f(2)*3");
    ASSERT_TRUE(formula.Analysed());
    int error_flag = 0;
    EXPECT_DOUBLE_EQ(9.0, formula.Value(&error_flag));
    EXPECT_EQ(1, error_flag);

    g_ufunc_list.DeleteAllObject();
    formula.Value(&error_flag);
    EXPECT_EQ(0, error_flag);
}

// A chain c1 -> c2 -> ... -> c65, each adding 1 to what the next returns.
void Register_Chain(int length) {
    char name[16];
    char definition[32];
    std::snprintf(name, sizeof name, "c%d", length);
    ASSERT_EQ(1, g_ufunc_list.AddUFncElem(name, -1, 1, 8, "a0+1"));
    for (int i = length - 1; i >= 1; --i) {
        std::snprintf(name, sizeof name, "c%d", i);
        std::snprintf(definition, sizeof definition, "c%d(a0)+1", i + 1);
        ASSERT_EQ(1, g_ufunc_list.AddUFncElem(name, -1, 1, 8, definition));
        ASSERT_EQ(2, g_ufunc_list(name));
    }
}

TEST_F(EvaluatorUserFunction, NestingUpToTheDepthLimit) {
    ASSERT_EQ(64, USER_CALL_DEPTH_LIMIT);
    Register_Chain(65);
    // c2 .. c65: 64 definitions inside one another.
    Expect_Values({{"c2(0)", 64.0}, {"c30(1)+c60(0)", 37.0 + 6.0}});
    // c1 .. c65: one more than the limit.
    Expect_Errors({"c1(0)", "c2(c1(0))"});
    // The refusal leaves nothing behind: the next evaluation runs normally.
    Expect_Values({{"c2(5)", 69.0}});
}

TEST_F(EvaluatorUserFunction, FunctionsCallingEachOtherStopAtTheLimit) {
    // p is redefined after q, so that p and q call each other.
    Register("p", 1, "a0");
    Register("q", 1, "p(a0)+1");
    ASSERT_EQ(2, g_ufunc_list.AddUFncElem("p", -1, 1, 8, "q(a0)*2"));
    ASSERT_EQ(2, g_ufunc_list("p"));
    Expect_Errors({"p(1)", "q(1)+1"});

    // Two calls at every level would make 2^64 calls without the cut-off.
    ASSERT_EQ(2, g_ufunc_list.AddUFncElem("p", -1, 1, 8, "q(a0)+q(a0)"));
    Expect_Errors({"p(1)"});
    Expect_Values({{"1+2", 3.0}});
}

}  // namespace
