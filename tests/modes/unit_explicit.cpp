// The range question and the value questions of the explicit mode, on typed
// console input.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>

#include "console/consoleio.h"
#include "console/formulainput.h"
#include "formula/formulatext.h"
#include "modes/explicit.h"
#include "mode_dialogue.h"
#include "session.h"
#include "text/messages.h"
#include "userfunc/usrfunc.h"

namespace {

const std::string RANGE_PROMPT = "値を変化させる変数名と変化範囲を入力してください。(例) x(1,10) :";
const std::string NO_SUCH_NAME = "そんな変数名は存在しません。\n";
const std::string FIXED_HEADING = "変数(値固定)と、その値は以下の通りです\n";

// Swaps the console streams for strings for the length of one test.
class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_in_ = std::cin.rdbuf(typed_.rdbuf());
        saved_out_ = std::cout.rdbuf(shown_.rdbuf());
    }
    void TearDown() override {
        std::cin.rdbuf(saved_in_);
        std::cout.rdbuf(saved_out_);
        std::cin.clear();
    }
    void Type(const std::string& text) { typed_.str(Cp932(text)); }
    std::string Shown() const { return shown_.str(); }
    std::string Unread() {
        std::string rest;
        std::getline(std::cin, rest, '\0');
        return rest;
    }

    std::stringstream typed_;
    std::stringstream shown_;

private:
    std::streambuf* saved_in_ = nullptr;
    std::streambuf* saved_out_ = nullptr;
};

// A table holding the given names, as the formula's symbol table would.
void Enter(AscArray<double>& array, std::initializer_list<const char*> names) {
    for (const char* name : names) array[name] = 0.0;
}

struct RangeAnswer {
    int result;
    std::string label;
    double min_value;
    double max_value;
    int step_number;

    bool operator==(const RangeAnswer& other) const {
        return result == other.result && label == other.label && min_value == other.min_value &&
               max_value == other.max_value && step_number == other.step_number;
    }
};
void PrintTo(const RangeAnswer& answer, std::ostream* out) {
    *out << answer.result << " " << answer.label << "(" << answer.min_value << ","
         << answer.max_value << ")[" << answer.step_number << "]";
}

class RangeQuestion : public ConsoleTest {
protected:
    RangeAnswer Ask(const std::string& typed) {
        Type(typed);
        AscArray<double> array;
        Enter(array, {"a", "x"});
        RangeAnswer answer;
        char label[NAME_SIZE] = {};
        answer.min_value = -7.0;
        answer.max_value = -7.0;
        answer.step_number = 100;
        answer.result = Input_RangeValue(array, label, &answer.min_value, &answer.max_value,
                                         &answer.step_number);
        answer.label = label;
        return answer;
    }
};

TEST_F(RangeQuestion, AcceptedRanges) {
    // Without divisions the default stays; a negative count is kept.
    EXPECT_EQ(Ask("  a ( -2 , 2.5e1 )\n"), (RangeAnswer{1, "a", -2.0, 25.0, 100}));
    EXPECT_EQ(Ask("x(1,0)[-3]\n"), (RangeAnswer{1, "x", 1.0, 0.0, -3}));
    shown_.str("");
    EXPECT_EQ(Ask("x(0,1)[4]\nnext\n"), (RangeAnswer{1, "x", 0.0, 1.0, 4}));
    EXPECT_EQ(Shown(), Cp932(RANGE_PROMPT + "\n"));
    EXPECT_EQ(Unread(), "next\n");
}

// An empty line (or end of input) means that no variable varies.
TEST_F(RangeQuestion, EmptyLineMeansNoneVaries) {
    for (const char* typed : {"\nnext\n", ""}) {
        shown_.str("");
        RangeAnswer answer = Ask(typed);
        EXPECT_EQ(answer.result, 1) << typed;
        EXPECT_EQ(answer.label, "") << typed;
        EXPECT_EQ(answer.step_number, 100) << typed;
        EXPECT_EQ(Shown(), Cp932(RANGE_PROMPT)) << typed;
    }
    EXPECT_EQ(Unread(), "");
}

// Malformed lines, and names the formula does not have, are refused.
TEST_F(RangeQuestion, RefusedLinesShowTheirMessage) {
    const std::string malformed = kRangeError, missing = NO_SUCH_NAME;
    const std::pair<const char*, std::string> rows[] = {
        {"x(1,10\n", malformed},    {"x(1,10)[20\n", malformed},  {"1x(1,2)\n", malformed},
        {"x-1(1,2)\n", malformed},  {"x(a,2)\n", malformed},      {"x(1,b)\n", malformed},
        {"x(1,2)[c]\n", malformed}, {"   \n", malformed},         {"\t\n", malformed},
        {"x(0,1)[0]\n", malformed}, {"x(0,1)[0.5]\n", malformed}, {"x(0,1)[1e10]\n", malformed},
        {"y(0,1)\n", missing},      {"X(0,1)\n", missing},        {"ax(0,1)\n", missing}};
    for (const auto& row : rows) {
        shown_.str("");
        EXPECT_EQ(Ask(row.first).result, 0) << row.first;
        EXPECT_EQ(Shown(), Cp932(RANGE_PROMPT + row.second)) << row.first;
    }
}

// 418 characters are read; the rest of the line is left for the next read.
TEST_F(RangeQuestion, LongLineIsCutToItsBuffer) {
    std::string line = "x(0,1)[2]" + std::string(409, ' ');
    ASSERT_EQ(line.size(), 418u);
    RangeAnswer answer = Ask(line + "7\nout\n");
    EXPECT_EQ(answer.result, 1);
    EXPECT_EQ(answer.step_number, 2);
    EXPECT_EQ(Unread(), "7\nout\n");
}

// A line of exactly 418 characters is read whole, line feed included.
TEST_F(RangeQuestion, LineThatFillsTheBufferIsReadWhole) {
    std::string line = std::string(409, ' ') + "x(0,1)[2]";
    RangeAnswer answer = Ask(line + "\nout\n");
    EXPECT_EQ(answer.result, 1);
    EXPECT_EQ(answer.step_number, 2);
    EXPECT_EQ(Unread(), "out\n");
}

class ValueQuestions : public ConsoleTest {
protected:
    // The formula as the dialogue analyses it.
    void Analyse(const char* text) {
        ASSERT_TRUE(formula.Take_Text(text));
        ASSERT_TRUE(formula.Analyse_Line(No_FunctionNames(), ERROR_MESSAGE_ONLY));
    }

    FormulaArgument formula;
};

TEST_F(ValueQuestions, AllButTheVaryingAreAskedInNameOrder) {
    Type("2\n1\nrest\n");
    Analyse("x+b+a");
    Input_OperandValue(formula, "x");
    ASSERT_EQ(formula.count_current, 3);
    EXPECT_STREQ(formula.copy_label[0], "a");
    EXPECT_STREQ(formula.copy_label[1], "b");
    EXPECT_STREQ(formula.copy_label[2], "x");
    EXPECT_EQ(formula.array["a"], 2.0);
    EXPECT_EQ(formula.array["b"], 1.0);
    EXPECT_EQ(formula.array["x"], 0.0);
    EXPECT_EQ(Shown(), Cp932(kValueHeader + "a=b="));
    EXPECT_EQ(Unread(), "rest\n");
}

TEST_F(ValueQuestions, WithNoneVaryingEveryNameIsAsked) {
    Type("1\n2\n3\n");
    Analyse("b*B-a1");
    Input_OperandValue(formula, "");
    ASSERT_EQ(formula.count_current, 3);
    EXPECT_EQ(Shown(), Cp932(kValueHeader + "B=a1=b="));
    EXPECT_EQ(formula.array["B"], 1.0);
    EXPECT_EQ(formula.array["a1"], 2.0);
    EXPECT_EQ(formula.array["b"], 3.0);
}

TEST_F(ValueQuestions, OnlyTheVaryingVariableAsksNothing) {
    Type("5\n");
    Analyse("x");
    Input_OperandValue(formula, "x");
    EXPECT_EQ(formula.count_current, 1);
    EXPECT_STREQ(formula.copy_label[0], "x");
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(Unread(), "5\n");
}

// A value line keeps its leading number; text without one gives 0.
TEST_F(ValueQuestions, ValueLinesKeepTheirLeadingNumber) {
    Type("3abc\nabc\n -2.5e1 \ninf\n");
    Analyse("a+b+c+d");
    formula.array["b"] = 9.0;
    Input_OperandValue(formula, "");
    EXPECT_EQ(formula.array["a"], 3.0);
    EXPECT_EQ(formula.array["b"], 0.0);
    EXPECT_EQ(formula.array["c"], -25.0);
    EXPECT_EQ(formula.array["d"], 0.0);
}

// The report writers on hand-built one-item trees, writing into a directory of
// their own.
class ExplicitReport : public ConsoleTest {
protected:
    std::string Report() const { return scratch_.ReadFile("out.txt"); }

    Session scratch_;
    const std::string dir_ = scratch_.Dir();
    const std::string file_ = scratch_.Path("out.txt");
};

// The report of one run as the mode writes it, after the file-name dialogue.
RunResult Write_Run(const ExplicitRun& run) {
    ReportFile output_stream;
    if (Open_ReportFile(output_stream) == 0) return RunResult();
    SweepReport report(output_stream, g_ufunc_list);
    Write_ExplicitResults(report, run);
    return report.Close();
}

// A variable item linked to the table cell of name.
void Make_Variable(CompForm& item, AscArray<double>& array, const char* name) {
    std::snprintf(item.CompArray, sizeof item.CompArray, "%s", name);
    item.kind = KIND_VARIABLE;
    item.number_source = &array[name];
}

TEST_F(ExplicitReport, VaryingVariableRows) {
    Type(file_ + "\n");
    AscArray<double> array;
    array["a"] = 2.0;
    CompForm root;
    Make_Variable(root, array, "x");
    char copy_label[2][256] = {"a", "x"};
    RunResult result = Write_Run({"x", &array, "x", copy_label, 2, 2, 0.0, 1.0, &root});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Shown(), Cp932(kFilePrompt));
    EXPECT_EQ(Report(), Cp932(kReportHead + "計算した式はx\n値可変変数 x :範囲 [0] - [1] :分割2\n" +
                              FIXED_HEADING + "a\t2\n" + kResultRule +
                              "変数x\t関数計算値\n0\t0\n0.5\t0.5\n1\t1\n"));
    // The varying cell keeps the last point.
    EXPECT_EQ(array["x"], 1.0);
}

TEST_F(ExplicitReport, FixedVariables) {
    Type(file_ + "\n");
    AscArray<double> array;
    array["b"] = -0.5;
    CompForm root;
    Make_Variable(root, array, "b");
    char copy_label[1][256] = {"b"};
    EXPECT_EQ(Write_Run({"b", &array, "", copy_label, 1, 100, 0.0, 0.0, &root}).status, 1);
    EXPECT_EQ(Report(), Cp932(kReportHead + "計算した式はb\n" + FIXED_HEADING + "b\t-0.5\n" +
                              kResultRule + "b=-0.5\n"));
}

TEST_F(ExplicitReport, NoVariable) {
    Type(file_ + "\n");
    CompForm root;
    std::snprintf(root.CompArray, sizeof root.CompArray, "2.5e3");
    root.kind = KIND_NUMBER;
    EXPECT_EQ(Write_Run({"2.5e3", nullptr, "", nullptr, 0, 100, 0.0, 0.0, &root}).status, 1);
    EXPECT_EQ(Report(), Cp932(kReportHead + kResultRule + "2.5e3=2500\n"));
}

TEST_F(ExplicitReport, FileThatCannotBeOpened) {
    Type(dir_ + "/missing/out.txt\n");
    CompForm root;
    root.kind = KIND_NUMBER;
    AscArray<double> array;
    char copy_label[1][256] = {"x"};
    EXPECT_EQ(Write_Run({"1", nullptr, "", nullptr, 0, 100, 0.0, 0.0, &root}).status, 0);
    Type(dir_ + "/missing/out.txt\n");
    EXPECT_EQ(Write_Run({"x", &array, "", copy_label, 1, 100, 0.0, 0.0, &root}).status, 0);
    Type(dir_ + "/missing/out.txt\n");
    RunResult result = Write_Run({"x", &array, "x", copy_label, 1, 1, 0.0, 1.0, &root});
    EXPECT_EQ(result.status, 0);
    const std::string failure = kFilePrompt + "ファイル書き込みに失敗しました。\n";
    EXPECT_EQ(Shown(), Cp932(failure + failure + failure));
}

// An item without a value (a bracket) makes the evaluation fail: the lines
// written before are in the file, nothing is shown and the message goes back
// to the shell, which ends the program.
TEST_F(ExplicitReport, EvaluationErrorEndsTheReportAndReturnsItsMessage) {
    AscArray<double> array;
    CompForm root;
    root.kind = KIND_OPEN_PAR;
    char copy_label[1][256] = {"x"};
    Type(file_ + "\n");
    RunResult result = Write_Run({"(", &array, "x", copy_label, 1, 3, 0.0, 1.0, &root});
    EXPECT_EQ(result.status, 0);
    EXPECT_STREQ(result.evaluation_error, Msg().EVALUATION_ERROR);
    EXPECT_EQ(Report(), Cp932(kReportHead + "計算した式は(\n値可変変数 x :範囲 [0] - [1] :分割3\n" +
                              FIXED_HEADING + kResultRule + "変数x\t関数計算値\n"));
    std::remove(file_.c_str());

    Type(file_ + "\n");
    result = Write_Run({"(", nullptr, "", nullptr, 0, 100, 0.0, 0.0, &root});
    EXPECT_STREQ(result.evaluation_error, Msg().EVALUATION_ERROR);
    EXPECT_EQ(Report(), Cp932(kReportHead + kResultRule));
    EXPECT_EQ(Shown(), Cp932(kFilePrompt + kFilePrompt));
}

}  // namespace
