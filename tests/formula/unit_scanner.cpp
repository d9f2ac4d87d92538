// The formula scanner: item arrays and error reports of Analysis_Formula,
// the argument cutters and the summation range item.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "formula/ascarray.h"
#include "formula/fmula.h"
#include "formula/fmulaopfc.h"
#include "formula/functionnames.h"
#include "function_table.h"

namespace {

// Capacity the formula reader gives a text: its length, plus one for a leading
// sign and one for every "(" directly followed by a sign.
int Reader_Capacity(const std::string& text) {
    if (text.empty()) return 0;
    int capacity = static_cast<int>(text.size());
    if (text[0] == '-' || text[0] == '+') ++capacity;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '(' && (text[i + 1] == '-' || text[i + 1] == '+')) ++capacity;
    return capacity;
}

struct Scan {
    std::unique_ptr<CompForm[]> items;
    int capacity = 0;
    int result = -1;
    ErrorInfo error{99, 99};
    int last_index = -1;  // index of the last item, -1 when refused

    CompForm& operator[](int index) { return items[index]; }

    // The texts of the items 0 .. last_index, separated by single blanks.
    std::string Texts() const {
        std::string joined;
        for (int i = 0; i <= last_index && i < capacity; ++i) {
            if (i > 0) joined += ' ';
            joined += items[i].CompArray;
        }
        return joined;
    }
    std::vector<int> Kinds() const {
        std::vector<int> kinds;
        for (int i = 0; i <= last_index && i < capacity; ++i) kinds.push_back(items[i].kind);
        return kinds;
    }
};

// The user functions the scanner may call: none but in ScannerUserFunctions.
const FunctionNames* known_functions = &No_FunctionNames();

// Runs the scanner over an array of exactly capacity items, so that the sanitizer
// build sees any write past its end.
Scan Analyse(const std::string& text, int capacity) {
    Scan scan;
    scan.capacity = capacity;
    scan.items.reset(new CompForm[capacity > 0 ? capacity : 1]);
    AscArray<double> no_summation;
    int item_count = Analysis_Formula(scan.items.get(), capacity, text.c_str(), &scan.error,
                                      no_summation, *known_functions);
    scan.result = item_count > 0 ? 1 : 0;
    scan.last_index = item_count - 1;
    return scan;
}

Scan Analyse(const std::string& text) { return Analyse(text, Reader_Capacity(text)); }

// Analyses text, expecting success with exactly the given item texts and kinds.
::testing::AssertionResult Accepted(const std::string& text, const std::string& texts,
                                    const std::vector<int>& kinds) {
    Scan scan = Analyse(text);
    if (scan.result != 1)
        return ::testing::AssertionFailure() << text << " refused: kind " << scan.error.error_kind
                                             << " at " << scan.error.formula_position;
    if (scan.Texts() != texts)
        return ::testing::AssertionFailure() << text << " gave items \"" << scan.Texts() << "\"";
    if (scan.Kinds() != kinds) return ::testing::AssertionFailure() << text << " gave other kinds";
    return ::testing::AssertionSuccess();
}

// Analyses text in an array of the given capacity (-1: what the reader gives it),
// expecting a refusal of the given kind at the given position.
::testing::AssertionResult Refused(const std::string& text, int position, int kind = 1,
                                   int capacity = -1) {
    Scan scan = Analyse(text, capacity < 0 ? Reader_Capacity(text) : capacity);
    if (scan.result != 0)
        return ::testing::AssertionFailure() << text << " accepted as \"" << scan.Texts() << "\"";
    if (scan.error.formula_position != position || scan.error.error_kind != kind)
        return ::testing::AssertionFailure()
               << text << " refused with kind " << scan.error.error_kind << " at "
               << scan.error.formula_position << ", expected kind " << kind << " at " << position;
    return ::testing::AssertionSuccess();
}

// Refused for every (text, position) pair; the failures of all are reported.
::testing::AssertionResult AllRefused() { return ::testing::AssertionSuccess(); }
template <class... Rest>
::testing::AssertionResult AllRefused(const std::string& text, int position, const Rest&... rest) {
    ::testing::AssertionResult first = Refused(text, position);
    ::testing::AssertionResult others = AllRefused(rest...);
    if (first && others) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << (first ? "" : first.message()) << "\n"
                                         << (others ? "" : others.message());
}

// Accepted for every row {text, item texts, item kinds}.
struct Acceptance {
    std::string text;
    std::string texts;
    std::vector<int> kinds;
};
::testing::AssertionResult AllAccepted(std::initializer_list<Acceptance> rows) {
    std::string failures;
    for (const Acceptance& row : rows) {
        ::testing::AssertionResult result = Accepted(row.text, row.texts, row.kinds);
        if (!result) failures += std::string(result.message()) + "\n";
    }
    if (failures.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << failures;
}

const int OPR = KIND_OPERATOR, VAR = KIND_VARIABLE, OPN = KIND_OPEN_PAR, CLS = KIND_CLOSE_PAR,
          NUM = KIND_NUMBER, CBR = KIND_CLOSE_BRK, OBR = KIND_OPEN_BRK, FNC = KIND_FUNCTION,
          SIG = KIND_MULTI_OPERATOR, SEP = KIND_SEPARATOR, RNG = KIND_SUM_RANGE;

TEST(ScannerBasics, EmptyTextIsNoFormula) {
    Scan scan = Analyse("", 0);
    EXPECT_EQ(scan.result, 0);
    EXPECT_EQ(scan.error.error_kind, 0);
    EXPECT_EQ(scan.error.formula_position, -1);
}

TEST(ScannerBasics, SumOfTwoNamesLeavesIndexOfLastItem) {
    Scan scan = Analyse("a+b");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.last_index, 2);
    EXPECT_EQ(scan.Texts(), "a + b");
    EXPECT_EQ(scan.Kinds(), (std::vector<int>{VAR, OPR, VAR}));
    EXPECT_EQ(scan.error.error_kind, 0);
    EXPECT_EQ(scan.error.formula_position, -1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(scan[i].list_fnarg.element_num, 0);
        EXPECT_EQ(scan[i].number_source, nullptr);
        EXPECT_EQ(scan[i].left, nullptr);
        EXPECT_EQ(scan[i].right, nullptr);
    }
    EXPECT_EQ(scan[0].argm_num, 1);
    EXPECT_EQ(scan[0].operator_kind, OPR_NONE);
    EXPECT_EQ(scan[1].operator_kind, OPR_PLUS);
}

TEST(ScannerBasics, OperatorCodesOfTheFiveOperators) {
    Scan scan = Analyse("a+b-c*d/e^f");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.last_index, 10);
    EXPECT_EQ(scan[1].operator_kind, OPR_PLUS);
    EXPECT_EQ(scan[3].operator_kind, OPR_MINUS);
    EXPECT_EQ(scan[5].operator_kind, OPR_TIMES);
    EXPECT_EQ(scan[7].operator_kind, OPR_DIVIDE);
    EXPECT_EQ(scan[9].operator_kind, OPR_POWER);
    for (int i = 1; i < 10; i += 2) EXPECT_EQ(scan[i].kind, OPR);
}

TEST(ScannerSigns, LeadingSignGetsAZeroItem) {
    Scan scan = Analyse("-x^2");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.Texts(), "0 - x ^ 2");
    EXPECT_EQ(scan.Kinds(), (std::vector<int>{NUM, OPR, VAR, OPR, NUM}));
    EXPECT_EQ(scan[1].operator_kind, OPR_MINUS);
    EXPECT_EQ(scan[3].operator_kind, OPR_POWER);
    EXPECT_TRUE(Accepted("+x", "0 + x", {NUM, OPR, VAR}));
}

TEST(ScannerSigns, SignOnlyAtTheStartOrAfterOpenParenthesis) {
    EXPECT_TRUE(Refused("2*-3", 2));
    EXPECT_TRUE(Accepted("2*(-3)", "2 * ( 0 - 3 )", {NUM, OPR, OPN, NUM, OPR, NUM, CLS}));
    EXPECT_TRUE(AllRefused("x--y", 2, "x+*y", 2, "*x", 0));
}

TEST(ScannerParentheses, UnbalancedParentheses) {
    EXPECT_TRUE(AllRefused("(x+1", 4, "x+1)", 3, "x)", 1, "((x)", 4));
    EXPECT_TRUE(Accepted("((x))", "( ( x ) )", {OPN, OPN, VAR, CLS, CLS}));
}

TEST(ScannerParentheses, WhatMayFollowParentheses) {
    EXPECT_TRUE(AllRefused("()", 1, "(*x)", 1, "(x)(y)", 3, "(x)2", 3, "(x)y", 3, "x+)", 2));
    EXPECT_TRUE(Accepted("(x)*2", "( x ) * 2", {OPN, VAR, CLS, OPR, NUM}));
}

TEST(ScannerEnd, TextEndingInAnOperatorOrParenthesis) {
    EXPECT_TRUE(AllRefused("x+", 2, "(", 1, "x*(", 3, "-", 1));
}

TEST(ScannerNumbers, AcceptedLiteralsAreSingleItems) {
    EXPECT_TRUE(AllAccepted({{"1.5e-3", "1.5e-3", {NUM}},
                             {"2E10", "2E10", {NUM}},
                             {"12.25", "12.25", {NUM}},
                             {"3e+12", "3e+12", {NUM}},
                             {"0.5E7*x", "0.5E7 * x", {NUM, OPR, VAR}},
                             {"(1e5)", "( 1e5 )", {OPN, NUM, CLS}},
                             {"(2.5)", "( 2.5 )", {OPN, NUM, CLS}},
                             {"1e10-2", "1e10 - 2", {NUM, OPR, NUM}},
                             {"007", "007", {NUM}},
                             {"(+x)", "( 0 + x )", {OPN, NUM, OPR, VAR, CLS}}}));
}

TEST(ScannerNumbers, MalformedLiterals) {
    EXPECT_TRUE(AllRefused("1e0", 2, "1e05", 2, "1e+0", 3, "1E-05", 3, "3.", 2, ".5", 0, "1e", 2,
                           "1e-", 3, "1.e5", 2, "1.5.2", 3, "1e5.2", 3, "2x", 1, "2sin(x)", 1,
                           "1e2e3", 3, "2(", 1));
}

TEST(ScannerNames, NamesAndBuiltinNamesWithoutParenthesis) {
    Scan scan = Analyse("sin+1");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.Texts(), "sin + 1");
    EXPECT_EQ(scan.Kinds(), (std::vector<int>{VAR, OPR, NUM}));
    EXPECT_EQ(scan[0].operator_kind, OPR_NONE);
    EXPECT_EQ(scan[0].list_fnarg.element_num, 0);
    EXPECT_TRUE(Accepted("abc123", "abc123", {VAR}));
    EXPECT_TRUE(Refused("123abc", 3));
}

TEST(ScannerNames, UnknownFunctionNamesAreRefusedAtTheParenthesis) {
    EXPECT_TRUE(AllRefused("Sin(x)", 3, "sinx(2)", 4, "LOG(2,x)", 3, "sigma(x)", 5));
}

TEST(ScannerNames, CharactersThatStartNoToken) {
    EXPECT_TRUE(AllRefused("x]y", 1, "x,y", 1, "x_y", 1, "]", 0, ",", 0, "x y", 1, "abc[1]", 3));
}

TEST(ScannerFunctions, OneArgumentFunctionsAreScannedInline) {
    Scan scan = Analyse("sin(-x)");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.Texts(), "sin ( 0 - x )");
    EXPECT_EQ(scan.Kinds(), (std::vector<int>{FNC, OPN, NUM, OPR, VAR, CLS}));
    EXPECT_EQ(scan[0].operator_kind, OPR_SIN);
    EXPECT_EQ(scan[0].argm_num, 1);
    EXPECT_EQ(scan[0].list_fnarg.element_num, 1);

    Scan nested = Analyse("sqrt(abs(x))+log10(2)");
    ASSERT_EQ(nested.result, 1);
    EXPECT_EQ(nested.Texts(), "sqrt ( abs ( x ) ) + log10 ( 2 )");
    EXPECT_EQ(nested[0].operator_kind, OPR_SQRT);
    EXPECT_EQ(nested[2].operator_kind, OPR_ABS);
    EXPECT_EQ(nested[8].operator_kind, OPR_LOG10);
    EXPECT_TRUE(AllRefused("sin()", 4, "sin(x", 5, "sin(x)(y)", 6));
}

TEST(ScannerFunctions, LogOfTwoArguments) {
    Scan scan = Analyse("log(5,x)");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.Texts(), "log ( 5 , x )");
    EXPECT_EQ(scan.Kinds(), (std::vector<int>{FNC, OPN, NUM, SEP, VAR, CLS}));
    EXPECT_EQ(scan[0].operator_kind, OPR_LOG_BASE);
    EXPECT_EQ(scan[0].argm_num, 2);
    EXPECT_EQ(scan[0].list_fnarg.element_num, 2);
    EXPECT_EQ(scan[0].list_fnarg[0], nullptr);
    EXPECT_EQ(scan[0].list_fnarg[1], nullptr);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(scan[i].argm_num, 1);
        EXPECT_EQ(scan[i].operator_kind, OPR_NONE);
    }
}

TEST(ScannerFunctions, ScanningGoesOnAfterTheArguments) {
    Scan scan = Analyse("log(5,x)+1");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.Texts(), "log ( 5 , x ) + 1");
    EXPECT_EQ(scan.Kinds(), (std::vector<int>{FNC, OPN, NUM, SEP, VAR, CLS, OPR, NUM}));
    EXPECT_EQ(scan[6].operator_kind, OPR_PLUS);
    EXPECT_EQ(scan.last_index, 7);

    EXPECT_TRUE(AllAccepted({{"(log(2,x*y)-1)",
                              "( log ( 2 , x * y ) - 1 )",
                              {OPN, FNC, OPN, NUM, SEP, VAR, OPR, VAR, CLS, OPR, NUM, CLS}},
                             {"log(2,log(3,x))",
                              "log ( 2 , log ( 3 , x ) )",
                              {FNC, OPN, NUM, SEP, FNC, OPN, NUM, SEP, VAR, CLS, CLS}},
                             {"log((1+2),x)",
                              "log ( ( 1 + 2 ) , x )",
                              {FNC, OPN, OPN, NUM, OPR, NUM, CLS, SEP, VAR, CLS}}}));
    EXPECT_TRUE(AllRefused("log(5,x)y", 8, "log(5,x)+", 9));
}

TEST(ScannerFunctions, SigmaInsideLogArguments) {
    Scan first = Analyse("log(sigma[k(1,3),k],2)");
    ASSERT_EQ(first.result, 1);
    EXPECT_EQ(first.Texts(), "log ( sigma [ k(1,3) , k ] , 2 )");
    EXPECT_EQ(first.Kinds(),
              (std::vector<int>{FNC, OPN, SIG, OBR, RNG, SEP, VAR, CBR, SEP, NUM, CLS}));
    EXPECT_EQ(first[6].argm_num, -1);

    Scan last = Analyse("log(2,sigma[k(1,3),k])");
    ASSERT_EQ(last.result, 1);
    EXPECT_EQ(last.Texts(), "log ( 2 , sigma [ k(1,3) , k ] )");
    EXPECT_EQ(last.Kinds(),
              (std::vector<int>{FNC, OPN, NUM, SEP, SIG, OBR, RNG, SEP, VAR, CBR, CLS}));
    EXPECT_EQ(last[4].operator_kind, OPR_SIGMA);
    EXPECT_EQ(last[4].argm_num, 2);
    EXPECT_EQ(last[8].argm_num, -1);
}

TEST(ScannerFunctions, WrongArgumentCounts) {
    EXPECT_TRUE(AllRefused("log(5)", 3, "log(1,2,3)", 7, "log(,x)", 3, "log(2,)", 5, "log(2,x", 5,
                           "x+log(5", 5));
}

TEST(ScannerFunctions, ErrorsInsideArgumentsAreReportedInTheWholeText) {
    EXPECT_TRUE(AllRefused("log(2,x^^2)", 8, "log(2*,x)", 6, "1+log(x)y,2)", 5, "log(2,(x)", 5,
                           "log(2,x])", 7));
}

TEST(ScannerFunctions, OuterCountersComeBackAfterArguments) {
    // The open "(" before log must still be open after its arguments.
    EXPECT_TRUE(AllRefused("(log(2,x)", 9, "log(2,x))", 8));
    EXPECT_TRUE(Accepted("((log(2,x)))", "( ( log ( 2 , x ) ) )",
                         {OPN, OPN, FNC, OPN, NUM, SEP, VAR, CLS, CLS, CLS}));
    Scan scan = Analyse("x+log(2,y)*log(3,z)");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.Texts(), "x + log ( 2 , y ) * log ( 3 , z )");
    EXPECT_EQ(scan.last_index, 14);
    EXPECT_EQ(scan[2].argm_num, 2);
    EXPECT_EQ(scan[9].argm_num, 2);
    EXPECT_EQ(scan[8].operator_kind, OPR_TIMES);
}

TEST(ScannerFunctions, PositionsThroughTwoNestingLevels) {
    EXPECT_TRUE(
        AllRefused("log(2,log(3,x^^2))", 14, "log(log(,2),x)", 7, "log(2,sigma[n(1,2),n*])", 21));
}

TEST(ScannerSigma, SumOfSquares) {
    Scan scan = Analyse("sigma[n(1,10),n^2]");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.Texts(), "sigma [ n(1,10) , n ^ 2 ]");
    EXPECT_EQ(scan.Kinds(), (std::vector<int>{SIG, OBR, RNG, SEP, VAR, OPR, NUM, CBR}));
    EXPECT_EQ(scan[0].operator_kind, OPR_SIGMA);
    EXPECT_EQ(scan[0].argm_num, 2);
    EXPECT_EQ(scan[0].list_fnarg.element_num, 0);
    EXPECT_EQ(scan[2].argm_num, 1);
    EXPECT_EQ(scan[4].argm_num, -1);
    EXPECT_EQ(scan[5].operator_kind, OPR_POWER);
}

TEST(ScannerSigma, SummationVariableIsVisibleOnlyInTheBody) {
    Scan scan = Analyse("sigma[n(1,10),n]+n");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.Texts(), "sigma [ n(1,10) , n ] + n");
    EXPECT_EQ(scan.Kinds(), (std::vector<int>{SIG, OBR, RNG, SEP, VAR, CBR, OPR, VAR}));
    EXPECT_EQ(scan[4].argm_num, -1);
    EXPECT_EQ(scan[7].argm_num, 1);

    Scan pair = Analyse("sigma[n(1,2),n]*sigma[m(1,2),n]");
    ASSERT_EQ(pair.result, 1);
    EXPECT_EQ(pair[4].argm_num, -1);
    EXPECT_EQ(pair[11].argm_num, 1);
    EXPECT_STREQ(pair[11].CompArray, "n");
}

TEST(ScannerSigma, SummationMarkBeforeEveryFollower) {
    Scan scan = Analyse("sigma[n(1,3),(n)+n*log(n,2)]");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.Texts(), "sigma [ n(1,3) , ( n ) + n * log ( n , 2 ) ]");
    const int summation_items[] = {5, 8, 12};
    for (int index : summation_items) {
        EXPECT_STREQ(scan[index].CompArray, "n");
        EXPECT_EQ(scan[index].argm_num, -1) << index;
    }
    EXPECT_TRUE(AllAccepted({{"sigma[n(1,3),n]^2",
                              "sigma [ n(1,3) , n ] ^ 2",
                              {SIG, OBR, RNG, SEP, VAR, CBR, OPR, NUM}},
                             {"(sigma[n(1,3),n])",
                              "( sigma [ n(1,3) , n ] )",
                              {OPN, SIG, OBR, RNG, SEP, VAR, CBR, CLS}}}));
    EXPECT_TRUE(AllRefused("(sigma[n(1,2),n]", 16, "sigma[n(1,2),n])", 15));
}

TEST(ScannerSigma, NestedSums) {
    EXPECT_TRUE(Refused("sigma[n(1,3),sigma[n(1,2),n]]", 24));

    Scan scan = Analyse("sigma[n(1,3),sigma[m(1,2),n*m]]");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.Texts(), "sigma [ n(1,3) , sigma [ m(1,2) , n * m ] ]");
    EXPECT_EQ(scan.Kinds(),
              (std::vector<int>{SIG, OBR, RNG, SEP, SIG, OBR, RNG, SEP, VAR, OPR, VAR, CBR, CBR}));
    EXPECT_EQ(scan[8].argm_num, -1);
    EXPECT_EQ(scan[10].argm_num, -1);
    EXPECT_EQ(scan.last_index, 12);
}

TEST(ScannerSigma, MalformedSums) {
    EXPECT_TRUE(AllRefused("sigma[n(1,10)]", 5, "sigma[n(1,10)]+n", 5, "sigma[1n(1,10),n]", 13,
                           "sigma[n(a,10),n]", 12, "sigma[n(1,10),n", 13, "sigma[n(1,10),]", 13,
                           "sigma[n(1,10),n+]", 16, "sigma[n(1,10),n]n", 16, "sigmax[n(1,3),n]", 6,
                           "Sigma[n(1,3),n]", 5));
}

TEST(ScannerSigma, RangeWithDivisionsIsOneItem) {
    EXPECT_TRUE(
        Accepted("sigma[k(0,4)[2],k]", "sigma [ k(0,4)[2] , k ]", {SIG, OBR, RNG, SEP, VAR, CBR}));
}

// Arguments and sum bodies may not yield more items than they have characters.
TEST(ScannerCapacity, NestedAnalysesAreBoundByTheirLength) {
    EXPECT_TRUE(Refused("log(-2,x)", 5));
    EXPECT_TRUE(AllAccepted(
        {{"log(-25,x)", "log ( 0 - 25 , x )", {FNC, OPN, NUM, OPR, NUM, SEP, VAR, CLS}},
         {"log(0-2,x)", "log ( 0 - 2 , x )", {FNC, OPN, NUM, OPR, NUM, SEP, VAR, CLS}}}));
    EXPECT_TRUE(AllRefused("log(2,(-x))", 9, "sigma[n(1,5),(-1)^n]", 18));
    EXPECT_TRUE(Accepted("sigma[n(1,5),(0-1)^n]", "sigma [ n(1,5) , ( 0 - 1 ) ^ n ]",
                         {SIG, OBR, RNG, SEP, OPN, NUM, OPR, NUM, CLS, OPR, VAR, CBR}));
}

// An argument may hold more items than its length for a moment: the check runs after each
// character, so the overflow is found at the character that ends the inner call, not
// inside that call's own arguments.
TEST(ScannerCapacity, ArgumentOverflowIsFoundAfterTheInnerCall) {
    // The inner log ends at index 29; four inserted zeros put its argument x+y past the
    // capacity of the outer log's last argument only while that call is being read.
    EXPECT_TRUE(AllRefused("log(2,(-(-(-(-1))))^log(2,x+y))", 29,
                           "sigma[n(1,2),(-(-(-(-1))))^log(2,x+y)]", 36));
}

TEST(ScannerCapacity, FullArrayIsKindTwo) {
    Scan exact = Analyse("-x", 3);
    EXPECT_EQ(exact.result, 1);
    EXPECT_EQ(exact.Texts(), "0 - x");
    // With one item the zero item and the sign are both written before any
    // check can run; "(" and the zero item of x*(-y) come in one step.
    const struct {
        const char* text;
        int capacity;
        int position;
    } too_small[] = {{"-x", 2, 1}, {"-x", 1, 1},  {"x", 0, 1},
                     {"-x", 0, 0}, {"a+b", 2, 2}, {"x*(-y)", 3, 3}};
    for (const auto& row : too_small)
        EXPECT_TRUE(Refused(row.text, row.position, 2, row.capacity)) << row.capacity;
}

TEST(ScannerCapacity, FullArrayInsideArguments) {
    // log ( 5 , x ) and sigma [ n(1,3) , n ] need six items each.
    for (const char* text : {"log(5,x)", "sigma[n(1,3),n]"}) {
        EXPECT_EQ(Analyse(text, 6).result, 1) << text;
        for (int capacity = 0; capacity < 6; ++capacity) {
            Scan scan = Analyse(text, capacity);
            EXPECT_EQ(scan.result, 0) << text << " in " << capacity;
            EXPECT_EQ(scan.error.error_kind, 2) << text << " in " << capacity;
        }
    }
    EXPECT_EQ(Analyse("log(5,x)", 4).error.formula_position, 7);
}

// Every analysis starts afresh: one refused inside an argument or a sigma body
// (open brackets, a full array, a reused summation variable) or accepted
// leaves nothing that changes the verdict on the next text.
TEST(ScannerCapacity, NothingOfOneAnalysisReachesTheNext) {
    const struct {
        const char* text;
        int capacity;  // -1: what the reader gives it
    } before[] = {{"log(2,((x", -1},
                  {"log((1,2)", -1},
                  {"log(5,x)", 4},
                  {"sigma[n(1,3),sigma[n(1,2),n]]", -1},
                  {"sigma[n(1,3),(((n]", -1},
                  {"log(2,sigma[k(1,3),k^^2])", -1},
                  {"(((log(2,x)))", -1},
                  {"log(5,x)+(y", 9}};
    auto verdict = [](const Scan& scan) {
        return std::to_string(scan.result) + " " + scan.Texts() + " " +
               std::to_string(scan.error.error_kind) + "@" +
               std::to_string(scan.error.formula_position);
    };
    for (const char* text : {"x", "a+b", "(x+1", "log(5,x)", "sigma[n(1,3),n]+n", "x)"}) {
        const std::string fresh = verdict(Analyse(text));
        for (const auto& first : before) {
            int capacity = first.capacity < 0 ? Reader_Capacity(first.text) : first.capacity;
            EXPECT_EQ(Analyse(first.text, capacity).result, 0) << first.text;
            EXPECT_EQ(verdict(Analyse(text)), fresh) << first.text << " then " << text;
        }
    }
}

TEST(ScannerHostile, OverlongNamesAndNumbersAreRefused) {
    std::string longest_name(255, 'a');
    Scan fits = Analyse(longest_name);
    ASSERT_EQ(fits.result, 1);
    EXPECT_EQ(std::strlen(fits[0].CompArray), 255u);

    EXPECT_TRUE(AllRefused(std::string(1000, 'a'), 255, std::string(256, 'b') + "+1", 255,
                           "x+" + std::string(1000, '7'), 257, "1." + std::string(1000, '5'), 255,
                           std::string(300, 'f') + "(x)", 255));
}

TEST(ScannerHostile, OverlongArguments) {
    // An over-long name inside an argument is refused at its 256th character.
    std::string long_name(300, 'x');
    EXPECT_TRUE(AllRefused("log(" + long_name + ",2)", 4 + 255, "log(2," + long_name + ")", 6 + 255,
                           "sigma[n(1,2)," + long_name + "]", 13 + 255));
    // A sigma range becomes one item: one longer than an item text is refused at "[".
    EXPECT_TRUE(Refused("sigma[" + long_name + "(1,2),n]", 5));
    // 255 characters still fit an argument.
    std::string widest(255, 'y');
    Scan scan = Analyse("log(2," + widest + ")");
    ASSERT_EQ(scan.result, 1);
    EXPECT_STREQ(scan[4].CompArray, widest.c_str());
}

TEST(ScannerHostile, ArgumentsLongerThanATypedLineOfShortTokens) {
    // A stored definition comes back with a 0 before every opening sign, so its
    // arguments can outgrow the line it was typed on; they still analyse.
    std::string sum = "0-x";
    for (int i = 0; i < 50; ++i) sum += "+(0-x)";
    ASSERT_GT(sum.size(), 255u);
    Scan call = Analyse("log(2," + sum + ")");
    ASSERT_EQ(call.result, 1);
    EXPECT_EQ(call.error.error_kind, 0);
    Scan body = Analyse("sigma[n(1,2)," + sum + "]");
    EXPECT_EQ(body.result, 1);
}

TEST(ScannerHostile, DeepParentheses) {
    std::string deep = std::string(300, '(') + "x" + std::string(300, ')');
    Scan scan = Analyse(deep);
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.last_index, 600);

    Scan cramped = Analyse(deep, 100);
    EXPECT_EQ(cramped.result, 0);
    EXPECT_EQ(cramped.error.error_kind, 2);

    EXPECT_TRUE(Refused(std::string(300, '(') + "x", 301));
    std::string deep_sign = std::string(300, '(') + "-x" + std::string(300, ')');
    EXPECT_EQ(Analyse(deep_sign).result, 1);
    EXPECT_TRUE(Refused(deep_sign, 601, 2, Reader_Capacity(deep_sign) - 1));
}

TEST(ScannerHostile, BytesAboveAsciiStartNoToken) {
    EXPECT_TRUE(AllRefused("\x80", 0, "x\xff", 1, "a+\x82\xa0", 2, "1\xe9", 1, "log(2,\xc3)", 6,
                           "(\x81", 1));
}

// Random texts over the formula alphabet: whatever the verdict, nothing is written
// past the array (checked by the sanitizer build) and success leaves an index inside it.
TEST(ScannerHostile, RandomTextsStayInsideTheirArrays) {
    const std::string alphabet = "xn1209.eE+-*/^()[],sigmalog\x90";
    std::mt19937 generator(12345);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length_of(1, 40);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        int length = length_of(generator);
        for (int i = 0; i < length; ++i) text += alphabet[pick(generator)];
        int capacity = Reader_Capacity(text) - static_cast<int>(round % 3);
        Scan scan = Analyse(text, capacity);
        if (scan.result == 1) {
            ASSERT_GE(scan.last_index, 0) << text;
            ASSERT_LT(scan.last_index, capacity) << text;
        } else {
            ASSERT_GE(scan.error.formula_position, 0) << text;
            ASSERT_LE(scan.error.formula_position, static_cast<int>(text.size())) << text;
            ASSERT_TRUE(scan.error.error_kind == 1 || scan.error.error_kind == 2) << text;
        }
    }
}

// Calls of user functions, with functions defined for each test and gone after it.
class ScannerUserFunctions : public ::testing::Test {
protected:
    void SetUp() override { known_functions = &defined_; }
    void TearDown() override { known_functions = &No_FunctionNames(); }
    FunctionTable defined_{{"u", 3}, {"f2", 1}, {"g", 0}, {"Sin", 1}};
};

const int UFN = KIND_USER_FUNCTION;

TEST_F(ScannerUserFunctions, ThreeArguments) {
    Scan scan = Analyse("u(a,b,c)");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.Texts(), "u ( a , b , c )");
    EXPECT_EQ(scan.Kinds(), (std::vector<int>{UFN, OPN, VAR, SEP, VAR, SEP, VAR, CLS}));
    EXPECT_EQ(scan[0].argm_num, 3);
    EXPECT_EQ(scan[0].operator_kind, OPR_NONE);
    ASSERT_EQ(scan[0].list_fnarg.element_num, 3);
    for (int slot = 0; slot < 3; ++slot) EXPECT_EQ(scan[0].list_fnarg[slot], nullptr);

    EXPECT_TRUE(Accepted("u(1,x*2,(y))+1", "u ( 1 , x * 2 , ( y ) ) + 1",
                         {UFN, OPN, NUM, SEP, VAR, OPR, NUM, SEP, OPN, VAR, CLS, CLS, OPR, NUM}));
    EXPECT_TRUE(AllRefused("u(a,b)", 3, "u(a,b,c,d)", 7, "u(-1,2,3)", 3, "u(a,,c)", 3));
}

TEST_F(ScannerUserFunctions, OneArgument) {
    Scan scan = Analyse("f2(x)+1");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.Texts(), "f2 ( x ) + 1");
    EXPECT_EQ(scan.Kinds(), (std::vector<int>{UFN, OPN, VAR, CLS, OPR, NUM}));
    EXPECT_EQ(scan[0].argm_num, 1);
    EXPECT_EQ(scan[0].list_fnarg.element_num, 1);
    EXPECT_EQ(scan[0].operator_kind, OPR_NONE);

    EXPECT_TRUE(Accepted("f2(-x)", "f2 ( 0 - x )", {UFN, OPN, NUM, OPR, VAR, CLS}));
    EXPECT_TRUE(AllRefused("f2(1,2)", 4, "f2()", 3));
}

TEST_F(ScannerUserFunctions, NoArgumentsCalledWithEmptyParentheses) {
    Scan scan = Analyse("g()");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.Texts(), "g ( )");
    EXPECT_EQ(scan.Kinds(), (std::vector<int>{UFN, OPN, CLS}));
    EXPECT_EQ(scan[0].argm_num, 0);
    EXPECT_EQ(scan[0].list_fnarg.element_num, 0);
    EXPECT_EQ(scan[0].list_fnarg.CompList, nullptr);

    EXPECT_TRUE(AllAccepted(
        {{"g()+1", "g ( ) + 1", {UFN, OPN, CLS, OPR, NUM}},
         {"2*(g())", "2 * ( g ( ) )", {NUM, OPR, OPN, UFN, OPN, CLS, CLS}},
         {"log(g(),2)", "log ( g ( ) , 2 )", {FNC, OPN, UFN, OPN, CLS, SEP, NUM, CLS}}}));
    EXPECT_TRUE(
        AllRefused("g(1)", 2, "g(x)", 2, "g(", 2, "1+g(-1)", 4, "g()g", 3, "g())", 3, "(g()", 4));

    // The three items need a three-item array.
    Scan cramped = Analyse("g()", 2);
    EXPECT_EQ(cramped.result, 0);
    EXPECT_EQ(cramped.error.error_kind, 2);
}

TEST_F(ScannerUserFunctions, OnlyDefinedFunctionsCanBeCalled) {
    EXPECT_TRUE(AllRefused("h(x)", 1, "k(x)", 1));
    EXPECT_TRUE(Accepted("Sin(x)", "Sin ( x )", {UFN, OPN, VAR, CLS}));
    EXPECT_TRUE(Refused("SIN(x)", 3));
    // Without "(" a function name is a variable.
    EXPECT_TRUE(Accepted("u+g", "u + g", {VAR, OPR, VAR}));
}

TEST_F(ScannerUserFunctions, SummationVariableReachesUserFunctionArguments) {
    Scan scan = Analyse("sigma[n(1,3),u(n,1,m)]");
    ASSERT_EQ(scan.result, 1);
    EXPECT_EQ(scan.Texts(), "sigma [ n(1,3) , u ( n , 1 , m ) ]");
    EXPECT_EQ(scan[6].argm_num, -1);
    EXPECT_EQ(scan[10].argm_num, 1);
    EXPECT_EQ(scan[4].argm_num, 3);
}

TEST(ScannerArguments, NonLastArgumentEndsAtFirstTopLevelComma) {
    char argument[256];
    int start = 4;
    ASSERT_EQ(Get_Argument("log(sigma[k(1,3),k],2)", &start, argument, 256, '(', ')', '[', ']'), 1);
    EXPECT_STREQ(argument, "sigma[k(1,3),k]");
    EXPECT_EQ(start, 19);

    start = 0;
    EXPECT_EQ(Get_Argument("5)", &start, argument, 256, '(', ')', '[', ']'), 0);
    EXPECT_EQ(start, 0);

    start = 0;
    ASSERT_EQ(Get_Argument(",x)", &start, argument, 256, '(', ')', '[', ']'), 1);
    EXPECT_STREQ(argument, "");
    EXPECT_EQ(start, 0);
}

TEST(ScannerArguments, ArgumentsAreCutToTheirBuffer) {
    char argument[8];
    std::memset(argument, '#', sizeof argument);
    int start = 0;
    EXPECT_EQ(Get_Argument("12345678,x)", &start, argument, 8, '(', ')', '[', ']'), 0);
    EXPECT_EQ(start, 0);
    start = 0;
    ASSERT_EQ(Get_Argument("1234567,x)", &start, argument, 8, '(', ')', '[', ']'), 1);
    EXPECT_STREQ(argument, "1234567");
    EXPECT_EQ(start, 7);

    start = 0;
    EXPECT_EQ(Get_EndArgument("12345678)", &start, argument, 8, '(', ')'), 0);
    start = 0;
    ASSERT_EQ(Get_EndArgument("1234567)", &start, argument, 8, '(', ')'), 1);
    EXPECT_STREQ(argument, "1234567");
    EXPECT_EQ(start, 7);
}

TEST(ScannerArguments, LastArgumentEndsAtTheMatchingBracket) {
    char argument[256];
    int start = 6;
    ASSERT_EQ(Get_EndArgument("log(2,sigma[k(1,3),k])+1", &start, argument, 256, '(', ')'), 1);
    EXPECT_STREQ(argument, "sigma[k(1,3),k]");
    EXPECT_EQ(start, 21);

    start = 0;
    ASSERT_EQ(Get_EndArgument("n*(m+1)]", &start, argument, 256, '[', ']'), 1);
    EXPECT_STREQ(argument, "n*(m+1)");
    EXPECT_EQ(start, 7);

    start = 0;
    EXPECT_EQ(Get_EndArgument("2,x", &start, argument, 256, '(', ')'), 0);
}

TEST(ScannerArguments, SummationRangeItem) {
    CompForm items[2];
    AscArray<double> summation;
    char range[] = "n(2,10)";
    ASSERT_EQ(Make_LArgList(range, &items[0], summation), 1);
    EXPECT_STREQ(items[0].CompArray, "n(2,10)");
    EXPECT_EQ(items[0].kind, RNG);
    ASSERT_EQ(summation("n"), 1);
    EXPECT_EQ(summation["n"], 2.0);

    // A refused range writes nothing.
    char same[] = "n(1,3)";
    EXPECT_EQ(Make_LArgList(same, &items[1], summation), -1);
    char bad_name[] = "1n(1,3)";
    EXPECT_EQ(Make_LArgList(bad_name, &items[1], summation), 0);
    char open_range[] = "m(1,3";
    EXPECT_EQ(Make_LArgList(open_range, &items[1], summation), 0);
    EXPECT_STREQ(items[1].CompArray, "");
    EXPECT_EQ(summation("m"), 0);
}

}  // namespace
