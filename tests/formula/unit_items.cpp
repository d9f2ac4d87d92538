// Formula items, argument slots, the operator and function table, its numeric
// routines and the number conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "formula/fmula.h"

namespace {

CompForm ItemWithText(const char* text) {
    CompForm item;
    std::strcpy(item.CompArray, text);
    item.Initialize();
    return item;
}

// ---- CFList ----

TEST(CFListTest, EmptyAndNonPositiveSizesGiveEmptyLists) {
    CFList plain;
    EXPECT_EQ(plain.element_num, 0);
    EXPECT_EQ(plain.CompList, nullptr);
    CFList zero(0);
    EXPECT_EQ(zero.element_num, 0);
    EXPECT_EQ(zero.CompList, nullptr);
    CFList negative(-3);
    EXPECT_EQ(negative.element_num, 0);
    EXPECT_EQ(negative.CompList, nullptr);
    EXPECT_EQ(negative.DelElement(), 0);
}

TEST(CFListTest, SizedListHasNullSlotsAndDelElementEmptiesIt) {
    CFList list(3);
    ASSERT_EQ(list.element_num, 3);
    ASSERT_NE(list.CompList, nullptr);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list[i], nullptr);
    EXPECT_EQ(list.DelElement(), 1);
    EXPECT_EQ(list.element_num, 0);
    EXPECT_EQ(list.CompList, nullptr);
    EXPECT_EQ(list.DelElement(), 0);
}

TEST(CFListTest, AssignmentDuplicatesTheSlotArrayAndSharesThePointers) {
    CompForm first, second;
    CFList a;
    {
        CFList b(2);
        b[0] = &first;
        b[1] = &second;
        a = b;
        EXPECT_EQ(a.element_num, 2);
        EXPECT_NE(a.CompList, b.CompList);
        EXPECT_EQ(a[0], &first);
        EXPECT_EQ(a[1], &second);
        b[0] = nullptr;  // a change in the source does not reach the copy
        EXPECT_EQ(a[0], &first);
        EXPECT_EQ(b.DelElement(), 1);
    }
    EXPECT_EQ(a.element_num, 2);
    EXPECT_EQ(a[0], &first);
    EXPECT_EQ(a[1], &second);
}

TEST(CFListTest, AssignmentFromAnEmptyListEmptiesTheTarget) {
    CompForm item;
    CFList target(2);
    target[1] = &item;
    CFList empty;
    target = empty;
    EXPECT_EQ(target.element_num, 0);
    EXPECT_EQ(target.CompList, nullptr);
}

TEST(CFListTest, AssignmentReplacesALongerList) {
    CompForm item;
    CFList target(5);
    CFList source(1);
    source[0] = &item;
    target = source;
    EXPECT_EQ(target.element_num, 1);
    EXPECT_EQ(target[0], &item);
    EXPECT_EQ(target[1], nullptr);
}

TEST(CFListTest, SelfAssignmentKeepsTheSlots) {
    CompForm item;
    CFList list(2);
    list[1] = &item;
    CFList& same = list;
    list = same;
    EXPECT_EQ(list.element_num, 2);
    EXPECT_EQ(list[1], &item);
}

TEST(CFListTest, OutOfRangeIndexesReachASpareSlotThatReadsNull) {
    CompForm item;
    CFList list(2);
    list[2] = &item;  // lands in the spare slot
    EXPECT_EQ(list[2], nullptr);
    list[-1] = &item;
    EXPECT_EQ(list[-1], nullptr);
    EXPECT_EQ(list[0], nullptr);
    EXPECT_EQ(list[1], nullptr);
    CFList other(1);
    other[7] = &item;
    EXPECT_EQ(list[5], nullptr);
    EXPECT_EQ(other[0], nullptr);
    CFList empty;
    EXPECT_EQ(empty[0], nullptr);
}

// ---- CompForm ----

TEST(CompFormTest, InitializeResetsEverythingButTextAndKind) {
    CompForm other;
    CompForm item;
    std::strcpy(item.CompArray, "sin");
    item.kind = KIND_FUNCTION;
    item.argm_num = 7;
    item.operator_kind = OPR_SIN;
    item.list_fnarg = CFList(1);
    item.number_source = &other;
    item.left = &other;
    item.right = &other;
    item.Initialize();
    EXPECT_STREQ(item.CompArray, "sin");
    EXPECT_EQ(item.kind, KIND_FUNCTION);
    EXPECT_EQ(item.argm_num, 1);
    EXPECT_EQ(item.operator_kind, OPR_NONE);
    EXPECT_EQ(item.list_fnarg.element_num, 0);
    EXPECT_EQ(item.list_fnarg.CompList, nullptr);
    EXPECT_EQ(item.number_source, nullptr);
    EXPECT_EQ(item.left, nullptr);
    EXPECT_EQ(item.right, nullptr);
}

TEST(CompFormTest, InitializeCompFormTouchesOnlyTheFirstItems) {
    CompForm items[3];
    for (CompForm& item : items) {
        item.argm_num = 4;
        item.operator_kind = OPR_TIMES;
    }
    Initialize_CompForm(items, 2);
    EXPECT_EQ(items[0].argm_num, 1);
    EXPECT_EQ(items[0].operator_kind, OPR_NONE);
    EXPECT_EQ(items[1].argm_num, 1);
    EXPECT_EQ(items[1].operator_kind, OPR_NONE);
    EXPECT_EQ(items[2].argm_num, 4);
    EXPECT_EQ(items[2].operator_kind, OPR_TIMES);
}

TEST(CompFormTest, CopyAssignmentCopiesFieldsAndDuplicatesSlots) {
    CompForm a, b, target;
    double cell = 1.5;
    CompForm source;
    std::strcpy(source.CompArray, "log");
    source.kind = KIND_FUNCTION;
    source.argm_num = 2;
    source.operator_kind = OPR_LOG_BASE;
    source.list_fnarg = CFList(2);
    source.list_fnarg[0] = &a;
    source.list_fnarg[1] = &b;
    source.number_source = &cell;
    source.left = &a;
    source.right = &b;
    target = source;
    EXPECT_STREQ(target.CompArray, "log");
    EXPECT_EQ(target.kind, KIND_FUNCTION);
    EXPECT_EQ(target.argm_num, 2);
    EXPECT_EQ(target.operator_kind, OPR_LOG_BASE);
    EXPECT_EQ(target.number_source, &cell);
    EXPECT_EQ(target.left, &a);
    EXPECT_EQ(target.right, &b);
    ASSERT_EQ(target.list_fnarg.element_num, 2);
    EXPECT_NE(target.list_fnarg.CompList, source.list_fnarg.CompList);
    EXPECT_EQ(target.list_fnarg[0], &a);
    EXPECT_EQ(target.list_fnarg[1], &b);
    source.list_fnarg.DelElement();
    EXPECT_EQ(target.list_fnarg[1], &b);
}

TEST(CompFormTest, CopyConstructionDuplicatesSlotsLikeAssignment) {
    CompForm a;
    CompForm source;
    std::strcpy(source.CompArray, "sqrt");
    source.kind = KIND_FUNCTION;
    source.operator_kind = OPR_SQRT;
    source.list_fnarg = CFList(1);
    source.list_fnarg[0] = &a;
    source.left = &a;
    CompForm copy(source);
    EXPECT_STREQ(copy.CompArray, "sqrt");
    EXPECT_EQ(copy.kind, KIND_FUNCTION);
    EXPECT_EQ(copy.argm_num, 1);
    EXPECT_EQ(copy.operator_kind, OPR_SQRT);
    EXPECT_EQ(copy.left, &a);
    EXPECT_EQ(copy.right, nullptr);
    EXPECT_EQ(copy.number_source, nullptr);
    ASSERT_EQ(copy.list_fnarg.element_num, 1);
    EXPECT_NE(copy.list_fnarg.CompList, source.list_fnarg.CompList);
    EXPECT_EQ(copy.list_fnarg[0], &a);
}

TEST(CompFormTest, PrecedenceAndOperatorKindFollowTheFirstCharacter) {
    struct Case {
        const char* text;
        int precedence;
        int code;
    };
    const Case cases[] = {{"+", 1, OPR_PLUS},   {"-", 1, OPR_MINUS},  {"*", 2, OPR_TIMES},
                          {"/", 3, OPR_DIVIDE}, {"^", 4, OPR_POWER},  {"x", 0, OPR_NONE},
                          {"sin", 0, OPR_NONE}, {"(", 0, OPR_NONE},   {"", 0, OPR_NONE},
                          {"+x", 1, OPR_PLUS},  {"/7", 3, OPR_DIVIDE}};
    for (const Case& c : cases) {
        CompForm item = ItemWithText(c.text);
        item.operator_kind = OPR_LOG10;
        EXPECT_EQ(item.GetSuperior(), c.precedence) << c.text;
        item.SetOperatorKind();
        EXPECT_EQ(item.operator_kind, c.code) << c.text;
    }
}

TEST(CompFormTest, SetOperatorFuncKnowsTheFifteenNames) {
    struct Case {
        const char* name;
        int code;
        int arity;
    };
    const Case cases[] = {{"sin", OPR_SIN, 1},   {"cos", OPR_COS, 1},     {"tan", OPR_TAN, 1},
                          {"exp", OPR_EXP, 1},   {"log10", OPR_LOG10, 1}, {"ln", OPR_LN, 1},
                          {"abs", OPR_ABS, 1},   {"asin", OPR_ASIN, 1},   {"acos", OPR_ACOS, 1},
                          {"atan", OPR_ATAN, 1}, {"sinh", OPR_SINH, 1},   {"cosh", OPR_COSH, 1},
                          {"tanh", OPR_TANH, 1}, {"sqrt", OPR_SQRT, 1},   {"log", OPR_LOG_BASE, 2}};
    for (const Case& c : cases) {
        CompForm item = ItemWithText(c.name);
        item.kind = KIND_FUNCTION;
        EXPECT_EQ(item.SetOperatorFunc(), c.arity) << c.name;
        EXPECT_EQ(item.operator_kind, c.code) << c.name;
        ASSERT_EQ(item.list_fnarg.element_num, c.arity) << c.name;
        for (int i = 0; i < c.arity; ++i) EXPECT_EQ(item.list_fnarg[i], nullptr) << c.name;
        EXPECT_STREQ(item.CompArray, c.name);
        EXPECT_EQ(item.kind, KIND_FUNCTION);
    }
}

TEST(CompFormTest, SetOperatorFuncReplacesEarlierSlots) {
    CompForm other;
    CompForm item = ItemWithText("log");
    item.list_fnarg = CFList(3);
    item.list_fnarg[0] = &other;
    EXPECT_EQ(item.SetOperatorFunc(), 2);
    ASSERT_EQ(item.list_fnarg.element_num, 2);
    EXPECT_EQ(item.list_fnarg[0], nullptr);
}

TEST(CompFormTest, SetOperatorFuncRefusesNearMisses) {
    const char* const near_misses[] = {"logx", "Sin",  "LOG",   "sigma", "sin2", "log1",
                                       "lo",   "SQRT", "sinhx", "",      "tan ", "cosh("};
    for (const char* name : near_misses) {
        CompForm item = ItemWithText(name);
        item.operator_kind = OPR_NONE;
        EXPECT_EQ(item.SetOperatorFunc(), 0) << name;
        EXPECT_EQ(item.operator_kind, OPR_NONE) << name;
        EXPECT_EQ(item.list_fnarg.element_num, 0) << name;
    }
}

TEST(CompFormTest, SetOperatorFuncOnMissLeavesExistingSlots) {
    CompForm other;
    CompForm item = ItemWithText("logx");
    item.list_fnarg = CFList(1);
    item.list_fnarg[0] = &other;
    item.operator_kind = OPR_TAN;
    EXPECT_EQ(item.SetOperatorFunc(), 0);
    EXPECT_EQ(item.operator_kind, OPR_TAN);
    ASSERT_EQ(item.list_fnarg.element_num, 1);
    EXPECT_EQ(item.list_fnarg[0], &other);
}

TEST(CompFormTest, SetMltOperatorKnowsOnlySigma) {
    CompForm sigma = ItemWithText("sigma");
    EXPECT_EQ(sigma.SetMltOperator(), 2);
    EXPECT_EQ(sigma.operator_kind, OPR_SIGMA);
    EXPECT_EQ(sigma.list_fnarg.element_num, 0);
    for (const char* name : {"Sigma", "sigmax", "sigm", "SIGMA", "", "sum"}) {
        CompForm item = ItemWithText(name);
        item.operator_kind = OPR_DIVIDE;
        EXPECT_EQ(item.SetMltOperator(), 0) << name;
        EXPECT_EQ(item.operator_kind, OPR_DIVIDE) << name;
    }
}

TEST(CompFormTest, IsOperatorAcceptsTheFiveOperatorCharacters) {
    for (int letter : {'+', '-', '*', '/', '^'}) EXPECT_EQ(Is_Operator(letter), 1) << letter;
    const int others[] = {'x', '(', ')', ',', '%', '.', '0', ' ', 0, 0x82, -1};
    for (int letter : others) EXPECT_EQ(Is_Operator(letter), 0) << letter;
}

TEST(CompFormTest, SetErrorInfoStoresPositionAndKind) {
    ErrorInfo info = {7, 7};
    Set_ErrorInfo(&info, -1, 0);
    EXPECT_EQ(info.formula_position, -1);
    EXPECT_EQ(info.error_kind, 0);
    Set_ErrorInfo(&info, 12, 2);
    EXPECT_EQ(info.formula_position, 12);
    EXPECT_EQ(info.error_kind, 2);
}

// ---- operator table and numeric routines ----

TEST(OperatorTableTest, FillingStoresEveryRoutineAtItsCode) {
    Set_Operator_Function();
    EXPECT_EQ(regis_function, 1);
    const OprFunction expected[OPR_TABLE_SIZE] = {
        Num_Plus_func,      Num_Minus_function, Num_Multi_function, Num_Divide_function,
        Num_Power_function, Num_Sin_function,   Num_Cos_function,   Num_Tan_function,
        Num_Exp_function,   Num_Log_function,   Num_Ln_function,    Num_Abs_function,
        Num_Asin_function,  Num_Acos_function,  Num_Atan_function,  Num_Hsin_function,
        Num_Hcos_function,  Num_Htan_function,  Num_Sqrt_function,  Num_LogA_function};
    for (int code = 0; code < OPR_TABLE_SIZE; ++code)
        EXPECT_EQ(OprFun[code], expected[code]) << code;
    // A second call changes nothing.
    OprFunction saved = OprFun[OPR_DIVIDE];
    Set_Operator_Function();
    EXPECT_EQ(OprFun[OPR_DIVIDE], saved);
    EXPECT_EQ(regis_function, 1);
}

TEST(OperatorTableTest, TwoOperandRoutinesTakeLeftThenRight) {
    double terms[2] = {7.0, 2.0};
    EXPECT_EQ(Num_Plus_func(terms), 9.0);
    EXPECT_EQ(Num_Minus_function(terms), 5.0);
    EXPECT_EQ(Num_Multi_function(terms), 14.0);
    EXPECT_EQ(Num_Divide_function(terms), 3.5);
    EXPECT_EQ(Num_Power_function(terms), 49.0);
    double power[2] = {2.0, 10.0};
    EXPECT_EQ(Num_Power_function(power), 1024.0);
}

TEST(OperatorTableTest, ArithmeticGivesIeeeResultsWithoutChecks) {
    double one_by_zero[2] = {1.0, 0.0};
    double result = Num_Divide_function(one_by_zero);
    EXPECT_TRUE(std::isinf(result));
    EXPECT_GT(result, 0.0);
    double minus_by_zero[2] = {-1.0, 0.0};
    EXPECT_EQ(Num_Divide_function(minus_by_zero), -std::numeric_limits<double>::infinity());
    double zero_by_zero[2] = {0.0, 0.0};
    EXPECT_TRUE(std::isnan(Num_Divide_function(zero_by_zero)));
    double root_two[2] = {2.0, 0.5};
    EXPECT_DOUBLE_EQ(Num_Power_function(root_two), std::sqrt(2.0));
    double cube_root_negative[2] = {-8.0, 1.0 / 3.0};
    EXPECT_TRUE(std::isnan(Num_Power_function(cube_root_negative)));
    double negative[1] = {-1.0};
    EXPECT_TRUE(std::isnan(Num_Sqrt_function(negative)));
    EXPECT_TRUE(std::isnan(Num_Ln_function(negative)));
    double two[1] = {2.0};
    EXPECT_TRUE(std::isnan(Num_Asin_function(two)));
    EXPECT_TRUE(std::isnan(Num_Acos_function(two)));
    double zero[1] = {0.0};
    EXPECT_EQ(Num_Ln_function(zero), -std::numeric_limits<double>::infinity());
}

TEST(OperatorTableTest, OneArgumentRoutinesAtKnownPoints) {
    double zero[1] = {0.0};
    EXPECT_EQ(Num_Sin_function(zero), 0.0);
    EXPECT_EQ(Num_Cos_function(zero), 1.0);
    EXPECT_EQ(Num_Tan_function(zero), 0.0);
    EXPECT_EQ(Num_Exp_function(zero), 1.0);
    EXPECT_EQ(Num_Asin_function(zero), 0.0);
    EXPECT_EQ(Num_Atan_function(zero), 0.0);
    EXPECT_EQ(Num_Hsin_function(zero), 0.0);
    EXPECT_EQ(Num_Hcos_function(zero), 1.0);
    EXPECT_EQ(Num_Htan_function(zero), 0.0);
    double one[1] = {1.0};
    EXPECT_EQ(Num_Ln_function(one), 0.0);
    EXPECT_EQ(Num_Acos_function(one), 0.0);
    EXPECT_DOUBLE_EQ(Num_Asin_function(one), M_PI / 2);
    EXPECT_DOUBLE_EQ(Num_Atan_function(one), M_PI / 4);
    EXPECT_DOUBLE_EQ(Num_Exp_function(one), M_E);
    double thousand[1] = {1000.0};
    EXPECT_DOUBLE_EQ(Num_Log_function(thousand), 3.0);
    double e[1] = {M_E};
    EXPECT_DOUBLE_EQ(Num_Ln_function(e), 1.0);
    double minus[1] = {-2.5};
    EXPECT_EQ(Num_Abs_function(minus), 2.5);
    double sixteen[1] = {16.0};
    EXPECT_EQ(Num_Sqrt_function(sixteen), 4.0);
    double half_pi[1] = {M_PI / 2};
    EXPECT_DOUBLE_EQ(Num_Sin_function(half_pi), 1.0);
    double quarter_pi[1] = {M_PI / 4};
    EXPECT_DOUBLE_EQ(Num_Tan_function(quarter_pi), 1.0);
    double pi[1] = {M_PI};
    EXPECT_DOUBLE_EQ(Num_Cos_function(pi), -1.0);
    // sinh(1) = (e - 1/e) / 2, cosh(1) = (e + 1/e) / 2, tanh = sinh / cosh
    EXPECT_DOUBLE_EQ(Num_Hsin_function(one), (M_E - 1 / M_E) / 2);
    EXPECT_DOUBLE_EQ(Num_Hcos_function(one), (M_E + 1 / M_E) / 2);
    EXPECT_DOUBLE_EQ(Num_Htan_function(one), (M_E - 1 / M_E) / (M_E + 1 / M_E));
}

TEST(OperatorTableTest, LogTakesTheBaseFirst) {
    double five_25[2] = {5.0, 25.0};
    EXPECT_DOUBLE_EQ(Num_LogA_function(five_25), 2.0);
    double two_8[2] = {2.0, 8.0};
    EXPECT_DOUBLE_EQ(Num_LogA_function(two_8), 3.0);
    double eight_2[2] = {8.0, 2.0};
    EXPECT_DOUBLE_EQ(Num_LogA_function(eight_2), 1.0 / 3.0);
    double base_one[2] = {1.0, 5.0};
    EXPECT_TRUE(std::isinf(Num_LogA_function(base_one)));
}

// ---- C_To_Double ----

struct Conversion {
    const char* text;
    double value;
    int result;
};

TEST(CToDoubleTest, WholeDecimalNumbersGiveResultOne) {
    const Conversion cases[] = {
        {"12.5", 12.5, 1},  {"0", 0.0, 1},      {"-3", -3.0, 1},      {"+4.25", 4.25, 1},
        {".5", 0.5, 1},     {"5.", 5.0, 1},     {"2.5e3", 2500.0, 1}, {"2.5E3", 2500.0, 1},
        {"1e-2", 0.01, 1},  {"1e+2", 100.0, 1}, {"-1.5e1", -15.0, 1}, {"  7", 7.0, 1},
        {"\t\n 8", 8.0, 1}, {"007", 7.0, 1},    {"", 0.0, 1},
    };
    for (const Conversion& c : cases) {
        double value = -99.0;
        EXPECT_EQ(C_To_Double(c.text, &value), c.result) << '"' << c.text << '"';
        EXPECT_DOUBLE_EQ(value, c.value) << '"' << c.text << '"';
    }
}

TEST(CToDoubleTest, TrailingTextGivesTheLeadingNumberAndResultZero) {
    const Conversion cases[] = {
        {"12.5x", 12.5, 0}, {"3abc", 3.0, 0}, {"12 ", 12.0, 0},      {"1e", 1.0, 0},
        {"1e+", 1.0, 0},    {"2e-x", 2.0, 0}, {"1.2.3", 1.2, 0},     {"4,5", 4.0, 0},
        {"1 2", 1.0, 0},    {"-2)", -2.0, 0}, {"5\x82\xa0", 5.0, 0},
    };
    for (const Conversion& c : cases) {
        double value = -99.0;
        EXPECT_EQ(C_To_Double(c.text, &value), c.result) << '"' << c.text << '"';
        EXPECT_DOUBLE_EQ(value, c.value) << '"' << c.text << '"';
    }
}

TEST(CToDoubleTest, TextWithoutALeadingNumberGivesZero) {
    const char* const cases[] = {"abc", "x1", "   ", " ",   "-",        "+", ".",
                                 "-.",  "e5", "- 5", "+-1", "\x82\xa0", ",", "(1)"};
    for (const char* text : cases) {
        double value = -99.0;
        EXPECT_EQ(C_To_Double(text, &value), 0) << '"' << text << '"';
        EXPECT_EQ(value, 0.0) << '"' << text << '"';
    }
}

TEST(CToDoubleTest, OnlyDecimalSyntaxCounts) {
    const Conversion cases[] = {
        {"inf", 0.0, 0},   {"-inf", 0.0, 0},  {"INF", 0.0, 0},    {"infinity", 0.0, 0},
        {"nan", 0.0, 0},   {"NaN", 0.0, 0},   {"nan(1)", 0.0, 0}, {"0x10", 0.0, 0},
        {"0X1p3", 0.0, 0}, {"-0x10", 0.0, 0}, {"1x", 1.0, 0},     {"12inf", 12.0, 0},
    };
    for (const Conversion& c : cases) {
        double value = -99.0;
        EXPECT_EQ(C_To_Double(c.text, &value), c.result) << '"' << c.text << '"';
        EXPECT_EQ(value, c.value) << '"' << c.text << '"';
    }
}

TEST(CToDoubleTest, OutOfRangeExponentsSaturate) {
    double value = 0.0;
    EXPECT_EQ(C_To_Double("1e400", &value), 1);
    EXPECT_EQ(value, std::numeric_limits<double>::infinity());
    EXPECT_EQ(C_To_Double("-1e400", &value), 1);
    EXPECT_EQ(value, -std::numeric_limits<double>::infinity());
    value = 5.0;
    EXPECT_EQ(C_To_Double("1e-400", &value), 1);
    EXPECT_EQ(value, 0.0);
}

TEST(CToDoubleTest, NegativeZeroKeepsItsSign) {
    double value = 1.0;
    EXPECT_EQ(C_To_Double("-0", &value), 1);
    EXPECT_EQ(value, 0.0);
    EXPECT_TRUE(std::signbit(value));
}

}  // namespace
