// Menu choice 1, the explicit function mode: the dialogue on the console and
// the report appended to the file the user names.
#include "session.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::string FORMULA_PROMPT = "計算したい式を入力してくださいな\n";
const std::string RANGE_PROMPT =
    "値を変化させる変数名と変化範囲を入力してください。(例) x(1,10) :";
const std::string RANGE_ERROR = "変数、範囲の与え方が間違っています\n";
const std::string NO_SUCH_NAME = "そんな変数名は存在しません。\n";
const std::string VALUE_HEADER = "以下に表示される変数の値を入力してください。\n";
const std::string FILE_PROMPT =
    "---------------------------------\n出力先のファイル名を入力してください(max79) :";
const std::string OPEN_FAILURE = "ファイル書き込みに失敗しました。\n";
const std::string EVAL_ERROR = "関数計算中にエラーが発生しました\n";
const std::string REPORT_HEAD = "\n****************************計算結果を記録します\n";
const std::string RESULT_RULE = "----------関数計算の結果-------------\n";
const std::string FIXED_HEADING = "変数(値固定)と、その値は以下の通りです\n";

std::string Start() { return HelpScreen() + MenuText(); }
// The closing rule after the mode, and the menu again.
std::string Back() { return ClosingRule() + MenuText(); }

// Console of a run that reaches the file name with a varying variable and the
// given value questions (empty: none asked).
std::string VaryingDialogue(const std::string& questions) {
    return Start() + FORMULA_PROMPT + RANGE_PROMPT + "\n" + questions + FILE_PROMPT + Back();
}

std::string VaryingHead(const std::string& formula, const std::string& range_line) {
    return REPORT_HEAD + "計算した式は" + formula + "\n値可変変数 " + range_line + "\n" +
           FIXED_HEADING;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// ---- the three report variants ---------------------------------------------

TEST(ExplicitScenario, ExampleReportOfXSquared) {
    Session session;
    SessionResult result = session.Run("1\nx^2\nx(0,1)[4]\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(VaryingDialogue(""), result.output));
    EXPECT_EQ(session.Files(), std::vector<std::string>{"out.txt"});
    EXPECT_TRUE(SameText("\n"
                         "****************************計算結果を記録します\n"
                         "計算した式はx^2\n"
                         "値可変変数 x :範囲 [0] - [1] :分割4\n"
                         "変数(値固定)と、その値は以下の通りです\n"
                         "----------関数計算の結果-------------\n"
                         "変数x\t関数計算値\n"
                         "0\t0\n"
                         "0.25\t0.0625\n"
                         "0.5\t0.25\n"
                         "0.75\t0.5625\n"
                         "1\t1\n",
                         session.ReadFile("out.txt")));
}

TEST(ExplicitScenario, FormulaWithoutVariablesAsksNothing) {
    Session session;
    SessionResult result = session.Run("1\n2 + 3\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + FILE_PROMPT + Back(), result.output));
    EXPECT_TRUE(SameText(REPORT_HEAD + RESULT_RULE + "2+3=5\n", session.ReadFile("out.txt")));
}

// An empty range line: every variable is asked, in name order, and the report
// lists them all.
TEST(ExplicitScenario, AllVariablesFixed) {
    Session session;
    SessionResult result = session.Run("1\na * x + b\n\n2\n1\n3\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + RANGE_PROMPT + VALUE_HEADER + "a=b=x=" +
                             FILE_PROMPT + Back(),
                         result.output));
    EXPECT_TRUE(SameText(REPORT_HEAD + "計算した式はa*x+b\n" + FIXED_HEADING + "a\t2\nb\t1\nx\t3\n" +
                             RESULT_RULE + "a*x+b=7\n",
                         session.ReadFile("out.txt")));
}

TEST(ExplicitScenario, OneVaryingAndTwoFixed) {
    Session session;
    SessionResult result = session.Run("1\na*x+b\nx(0,1)[4]\n2\n1\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(VaryingDialogue(VALUE_HEADER + "a=b="), result.output));
    EXPECT_TRUE(SameText(VaryingHead("a*x+b", "x :範囲 [0] - [1] :分割4") + "a\t2\nb\t1\n" +
                             RESULT_RULE + "変数x\t関数計算値\n" +
                             Lines({"0\t1", "0.25\t1.5", "0.5\t2", "0.75\t2.5", "1\t3"}),
                         session.ReadFile("out.txt")));
}

// Without a count in brackets the range has 100 divisions: 101 rows, each
// point i/100 with its square, written with 6 significant digits.
TEST(ExplicitScenario, DefaultOfHundredDivisions) {
    Session session;
    SessionResult result = session.Run("1\nx^2\nx(0,1)\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(VaryingDialogue(""), result.output));
    std::string rows;
    for (int i = 0; i <= 100; ++i) {
        double point = i * ((1.0 - 0.0) / 100) + 0.0;
        char row[64];
        std::snprintf(row, sizeof row, "%g\t%g\n", point, point * point);
        rows += row;
    }
    std::string report = session.ReadFile("out.txt");
    EXPECT_TRUE(SameText(VaryingHead("x^2", "x :範囲 [0] - [1] :分割100") + RESULT_RULE +
                             "変数x\t関数計算値\n" + rows,
                         report));
    // A few rows checked by hand, independently of the loop above.
    EXPECT_NE(report.find(PlatformText("\n0\t0\n0.01\t0.0001\n0.02\t0.0004\n")), std::string::npos);
    EXPECT_NE(report.find(PlatformText("\n0.07\t0.0049\n")), std::string::npos);
    EXPECT_NE(report.find(PlatformText("\n0.99\t0.9801\n1\t1\n")), std::string::npos);
}

// sin, cos and tan near large multiples of pi and of huge arguments: the same
// report on every platform (some C libraries lose these digits).
TEST(ExplicitScenario, TrigonometryNearLargeMultiplesOfPi) {
    struct Case {
        const char* formula;
        const char* range;
        const char* range_line;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"sin(x*10*3.14159265358979)", "x(0,1000)[4]", "x :範囲 [0] - [1000] :分割4",
         {"0\t0", "250\t-8.30687e-12", "500\t-1.66137e-11", "750\t-2.58301e-11",
          "1000\t-3.32275e-11"}},
        {"cos(x*1.5707963267949)", "x(1,100001)[4]", "x :範囲 [1] - [100001] :分割4",
         {"1\t-3.49148e-15", "25001\t-8.7779e-11", "50001\t-1.78121e-10",
          "75001\t-2.68464e-10", "100001\t-3.58806e-10"}},
        {"tan(x*3.14159265358979)", "x(0,1000000)[4]", "x :範囲 [0] - [1e+06] :分割4",
         {"0\t0", "250000\t-7.5429e-10", "500000\t-1.50858e-09", "750000\t-2.37928e-09",
          "1e+06\t-3.01716e-09"}},
        {"sin(x*1e22)+cos(x*1e22)", "x(1,3)[2]", "x :範囲 [1] - [3] :分割2",
         {"1\t-0.328986", "2\t-1.34426", "3\t-1.07769"}},
    };
    for (const Case& one : cases) {
        Session session;
        SessionResult result =
            session.Run("1\n" + std::string(one.formula) + "\n" + one.range + "\nout.txt\n0\n");
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_TRUE(SameText(VaryingHead(one.formula, one.range_line) + RESULT_RULE +
                                 "変数x\t関数計算値\n" + Lines(one.rows),
                             session.ReadFile("out.txt")))
            << one.formula;
    }
}

TEST(ExplicitScenario, NumbersInGeneralNotation) {
    Session session;
    SessionResult result = session.Run("1\nx/3\nx(0,1e6)[2]\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(VaryingHead("x/3", "x :範囲 [0] - [1e+06] :分割2") + RESULT_RULE +
                             "変数x\t関数計算値\n" +
                             Lines({"0\t0", "500000\t166667", "1e+06\t333333"}),
                         session.ReadFile("out.txt")));
}

TEST(ExplicitScenario, DescendingRangeAndOneDivision) {
    Session descending;
    descending.Run("1\n2*x\nx(1,0)[2]\nout.txt\n0\n");
    EXPECT_TRUE(SameText(VaryingHead("2*x", "x :範囲 [1] - [0] :分割2") + RESULT_RULE +
                             "変数x\t関数計算値\n" + Lines({"1\t2", "0.5\t1", "0\t0"}),
                         descending.ReadFile("out.txt")));

    Session one_division;
    one_division.Run("1\n2*x\nx(-1.5,2.5)[1]\nout.txt\n0\n");
    EXPECT_TRUE(SameText(VaryingHead("2*x", "x :範囲 [-1.5] - [2.5] :分割1") + RESULT_RULE +
                             "変数x\t関数計算値\n" + Lines({"-1.5\t-3", "2.5\t5"}),
                         one_division.ReadFile("out.txt")));
}

// A negative count writes the heading without rows.
TEST(ExplicitScenario, NegativeCountWritesNoRows) {
    Session session;
    SessionResult result = session.Run("1\nx\nx(0,1)[-2]\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(VaryingDialogue(""), result.output));
    EXPECT_TRUE(SameText(VaryingHead("x", "x :範囲 [0] - [1] :分割-2") + RESULT_RULE +
                             "変数x\t関数計算値\n",
                         session.ReadFile("out.txt")));
}

// ---- formulas ----------------------------------------------------------------

// The summation index is no variable of the table: only a is asked.
TEST(ExplicitScenario, SigmaSums) {
    Session constant;
    constant.Run("1\nsigma[ n(1,10) ,n^2]\nout.txt\n0\n");
    EXPECT_TRUE(SameText(REPORT_HEAD + RESULT_RULE + "sigma[n(1,10),n^2]=385\n",
                         constant.ReadFile("out.txt")));

    Session with_variable;
    SessionResult result = with_variable.Run("1\nsigma[n(1,3),n*a]\n\n2\nout.txt\n0\n");
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + RANGE_PROMPT + VALUE_HEADER + "a=" +
                             FILE_PROMPT + Back(),
                         result.output));
    EXPECT_TRUE(SameText(REPORT_HEAD + "計算した式はsigma[n(1,3),n*a]\n" + FIXED_HEADING +
                             "a\t2\n" + RESULT_RULE + "sigma[n(1,3),n*a]=12\n",
                         with_variable.ReadFile("out.txt")));

    Session varying;
    varying.Run("1\nsigma[n(1,3),n*x]\nx(0,2)[2]\nout.txt\n0\n");
    EXPECT_TRUE(SameText(VaryingHead("sigma[n(1,3),n*x]", "x :範囲 [0] - [2] :分割2") +
                             RESULT_RULE + "変数x\t関数計算値\n" +
                             Lines({"0\t0", "1\t6", "2\t12"}),
                         varying.ReadFile("out.txt")));
}

TEST(ExplicitScenario, LogarithmToAnyBase) {
    Session session;
    session.Run("1\nlog(2,x)\nx(1,8)[7]\nout.txt\n0\n");
    EXPECT_TRUE(SameText(VaryingHead("log(2,x)", "x :範囲 [1] - [8] :分割7") + RESULT_RULE +
                             "変数x\t関数計算値\n" +
                             Lines({"1\t0", "2\t1", "3\t1.58496", "4\t2", "5\t2.32193",
                                    "6\t2.58496", "7\t2.80735", "8\t3"}),
                         session.ReadFile("out.txt")));
}

// Precedence: / binds tighter than *, and equal operators group to the left.
TEST(ExplicitScenario, PrecedenceAndGrouping) {
    Session session;
    session.Run("1\n2^3^2-8/2*4\nout.txt\n0\n");
    EXPECT_TRUE(SameText(REPORT_HEAD + RESULT_RULE + "2^3^2-8/2*4=48\n",
                         session.ReadFile("out.txt")));
}

// A value that is not a number is "nan" whatever its sign bit; infinities are
// "inf" and "-inf".
TEST(ExplicitScenario, NotANumberAndInfinities) {
    Session division;
    division.Run("1\n0/0\nout.txt\n0\n");
    EXPECT_TRUE(SameText(REPORT_HEAD + RESULT_RULE + "0/0=nan\n", division.ReadFile("out.txt")));

    Session root;
    root.Run("1\nsqrt(0-1)\nout.txt\n0\n");
    EXPECT_TRUE(SameText(REPORT_HEAD + RESULT_RULE + "sqrt(0-1)=nan\n", root.ReadFile("out.txt")));

    Session negative_nan;
    negative_nan.Run("1\n-(0/0)\nout.txt\n0\n");
    EXPECT_TRUE(SameText(REPORT_HEAD + RESULT_RULE + "-(0/0)=nan\n",
                         negative_nan.ReadFile("out.txt")));

    Session rows;
    SessionResult result = rows.Run("1\nx/x+1/x\nx(-1,1)[2]\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(VaryingHead("x/x+1/x", "x :範囲 [-1] - [1] :分割2") + RESULT_RULE +
                             "変数x\t関数計算値\n" + Lines({"-1\t0", "0\tnan", "1\t2"}),
                         rows.ReadFile("out.txt")));

    Session infinities;
    infinities.Run("1\n1/x\nx(-1,1)[2]\nout.txt\n1\n0-1/0\nout.txt\n0\n");
    EXPECT_TRUE(SameText(VaryingHead("1/x", "x :範囲 [-1] - [1] :分割2") + RESULT_RULE +
                             "変数x\t関数計算値\n" + Lines({"-1\t-1", "0\tinf", "1\t1"}) +
                             REPORT_HEAD +
                             RESULT_RULE + "0-1/0=-inf\n",
                         infinities.ReadFile("out.txt")));
}

// ---- formula errors ------------------------------------------------------------

// The report of a refused formula has no line end of its own: the closing rule
// ends the line.
TEST(ExplicitScenario, RefusedFormulaShowsTheTextUpToTheFault) {
    Session session;
    SessionResult result = session.Run("1\nx + * 2\n1\n(x+1\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + "これは式になってないぞ！プンプン\n" +
                             "おかしいところはx+*…なんです。" + Back() + FORMULA_PROMPT +
                             "これは式になってないぞ！プンプン\n" +
                             "おかしいところは(x+1…なんです。" + Back(),
                         result.output));
    EXPECT_TRUE(session.Files().empty());
}

// A full-width character at the fault is shown whole (two bytes in code page
// 932, three in UTF-8), and the rest of the line stays readable.
TEST(ExplicitScenario, RefusedFullWidthCharacterIsShownWhole) {
    Session session;
    SessionResult result = session.Run("1\nx+ａc\n1\n２\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    // A full-width form at the fault: the hint line follows.
    const std::string hint = "\n全角の英数字・記号は半角で入力して下さい。\n";
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + "これは式になってないぞ！プンプン\n" +
                             "おかしいところはx+ａ…なんです。" + hint + Back() + FORMULA_PROMPT +
                             "これは式になってないぞ！プンプン\n" + "おかしいところは２…なんです。" +
                             hint + Back(),
                         result.output));
}

TEST(ExplicitScenario, EmptyFormulaAndEndOfInput) {
    Session empty_line;
    SessionResult result = empty_line.Run("1\n  \n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + "式が入力されていません\n" + Back(),
                         result.output));

    Session end_of_input;
    result = end_of_input.Run("1\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + "入力失敗しました\n" + Back(), result.output));
}

// ---- the range line -------------------------------------------------------------

TEST(ExplicitScenario, RangeVariableMustBeInTheFormula) {
    for (const char* range_line : {"y(0,1)", "X(0,1)"}) {
        Session session;
        SessionResult result = session.Run(std::string("1\nx^2\n") + range_line + "\n0\n");
        EXPECT_EQ(result.exit_status, 0) << range_line;
        EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + RANGE_PROMPT + NO_SUCH_NAME + Back(),
                             result.output))
            << range_line;
        EXPECT_TRUE(session.Files().empty()) << range_line;
    }
}

// Refused lines end the run before any value is asked; a line of blanks is no
// empty line; a count of 0 (also 0.5, cut to 0) is refused.
TEST(ExplicitScenario, MalformedRangeLinesAreRefused) {
    for (const char* range_line : {"x(0,1", "x(0,1)[4", "1x(0,1)", "x(a,1)", "x(0,b)",
                                   "x(0,1)[c]", "   ", "x(0,1)[0]", "x(0,1)[0.5]",
                                   "x(0,1)[1e10]"}) {
        Session session;
        SessionResult result = session.Run(std::string("1\na*x\n") + range_line + "\n0\n");
        EXPECT_EQ(result.exit_status, 0) << range_line;
        EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + RANGE_PROMPT + RANGE_ERROR + Back(),
                             result.output))
            << range_line;
        EXPECT_TRUE(session.Files().empty()) << range_line;
    }
}

// Blanks inside a 300-character range line are dropped by the parser.
TEST(ExplicitScenario, LongRangeLineWithBlanks) {
    const std::string range_line = "x(0," + std::string(291, ' ') + "1)[2]";
    ASSERT_EQ(range_line.size(), 300u);
    Session session;
    SessionResult result = session.Run("1\nx\n" + range_line + "\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(VaryingDialogue(""), result.output));
    EXPECT_TRUE(SameText(VaryingHead("x", "x :範囲 [0] - [1] :分割2") + RESULT_RULE +
                             "変数x\t関数計算値\n" + Lines({"0\t0", "0.5\t0.5", "1\t1"}),
                         session.ReadFile("out.txt")));
}

// 418 characters of the range line are read; the rest of the line ("7") is
// the next line read, the value of a.
TEST(ExplicitScenario, OverlongRangeLineIsCutAndItsRestReadNext) {
    const std::string range_line = "x(0,1)[2]" + std::string(409, ' ') + "7";
    ASSERT_EQ(range_line.size(), 419u);
    Session session;
    SessionResult result = session.Run("1\na*x\n" + range_line + "\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(VaryingDialogue(VALUE_HEADER + "a="), result.output));
    EXPECT_TRUE(SameText(VaryingHead("a*x", "x :範囲 [0] - [1] :分割2") + "a\t7\n" + RESULT_RULE +
                             "変数x\t関数計算値\n" + Lines({"0\t0", "0.5\t3.5", "1\t7"}),
                         session.ReadFile("out.txt")));
}

// ---- the value lines --------------------------------------------------------------

TEST(ExplicitScenario, ValueLinesKeepTheirLeadingNumber) {
    Session session;
    SessionResult result = session.Run("1\na*x+b\nx(0,1)[1]\n3abc\nabc\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(VaryingDialogue(VALUE_HEADER + "a=b="), result.output));
    EXPECT_TRUE(SameText(VaryingHead("a*x+b", "x :範囲 [0] - [1] :分割1") + "a\t3\nb\t0\n" +
                             RESULT_RULE + "変数x\t関数計算値\n" + Lines({"0\t0", "1\t3"}),
                         session.ReadFile("out.txt")));
}

// Input ending in the middle of the dialogue: the value reads 0, the file name
// is empty and cannot be opened, and the program ends normally.
TEST(ExplicitScenario, EndOfInputDuringTheDialogue) {
    Session session;
    SessionResult result = session.Run("1\na*x\nx(0,1)[1]\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + RANGE_PROMPT + "\n" + VALUE_HEADER + "a=" +
                             FILE_PROMPT + OPEN_FAILURE + Back(),
                         result.output));
    EXPECT_TRUE(session.Files().empty());
}

// ---- the report file ----------------------------------------------------------------

TEST(ExplicitScenario, FileThatCannotBeOpenedInEveryVariant) {
    Session no_variable;
    SessionResult result = no_variable.Run("1\n2+3\nmissing/out.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + FILE_PROMPT + OPEN_FAILURE + Back(),
                         result.output));
    EXPECT_TRUE(no_variable.Files().empty());

    Session fixed;
    result = fixed.Run("1\na\n\n1\nmissing/out.txt\n0\n");
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + RANGE_PROMPT + VALUE_HEADER + "a=" +
                             FILE_PROMPT + OPEN_FAILURE + Back(),
                         result.output));
    EXPECT_TRUE(fixed.Files().empty());

    Session varying;
    result = varying.Run("1\nx\nx(0,1)\nmissing/out.txt\n0\n");
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + RANGE_PROMPT + "\n" + FILE_PROMPT +
                             OPEN_FAILURE + Back(),
                         result.output));
    EXPECT_TRUE(varying.Files().empty());
}

// Reports are appended: to what the file held, and one per run.
TEST(ExplicitScenario, ReportsAreAppended) {
    Session session;
    session.WriteFile("out.txt", PlatformText("old line\n"));
    SessionResult result = session.Run("1\nx\nx(0,1)[1]\nout.txt\n1\n2+3\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + RANGE_PROMPT + "\n" + FILE_PROMPT + Back() +
                             FORMULA_PROMPT + FILE_PROMPT + Back(),
                         result.output));
    EXPECT_TRUE(SameText("old line\n" + VaryingHead("x", "x :範囲 [0] - [1] :分割1") +
                             RESULT_RULE + "変数x\t関数計算値\n" + Lines({"0\t0", "1\t1"}) +
                             REPORT_HEAD + RESULT_RULE + "2+3=5\n",
                         session.ReadFile("out.txt")));
}

// The file name keeps its blanks.
TEST(ExplicitScenario, FileNameKeepsBlanks) {
    Session session;
    session.Run("1\n2+3\nmy report.txt\n0\n");
    EXPECT_EQ(session.Files(), std::vector<std::string>{"my report.txt"});
}

// 79 characters of a 100-character name are used; the rest ("5" and blanks)
// is what the menu reads next, so the help screen comes again.
TEST(ExplicitScenario, LongFileNameIsCutToItsBuffer) {
    const std::string name = std::string(79, 'f') + "5" + std::string(20, ' ');
    ASSERT_EQ(name.size(), 100u);
    Session session;
    SessionResult result = session.Run("1\n2+3\n" + name + "\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + FILE_PROMPT + Back() + HelpScreen() +
                             MenuText(),
                         result.output));
    EXPECT_EQ(session.Files(), std::vector<std::string>{std::string(79, 'f')});
    EXPECT_TRUE(SameText(REPORT_HEAD + RESULT_RULE + "2+3=5\n",
                         session.ReadFile(std::string(79, 'f'))));
}

// ---- evaluation errors ------------------------------------------------------------

// A sigma bound outside int cannot be evaluated: the message, exit status 1 at
// once (the menu does not come back), and what the report had so far is in the file.
TEST(ExplicitScenario, EvaluationErrorEndsTheProgramAfterFlushing) {
    Session no_variable;
    SessionResult result = no_variable.Run("1\nsigma[n(1,1e10),n]\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + FILE_PROMPT + EVAL_ERROR, result.output));
    EXPECT_TRUE(SameText(REPORT_HEAD + RESULT_RULE, no_variable.ReadFile("out.txt")));

    Session fixed;
    result = fixed.Run("1\na+sigma[n(1,1e10),n]\n\n2\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + RANGE_PROMPT + VALUE_HEADER + "a=" +
                             FILE_PROMPT + EVAL_ERROR,
                         result.output));
    EXPECT_TRUE(SameText(REPORT_HEAD + "計算した式はa+sigma[n(1,1e10),n]\n" + FIXED_HEADING +
                             "a\t2\n" + RESULT_RULE,
                         fixed.ReadFile("out.txt")));

    Session varying;
    result = varying.Run("1\nx+sigma[n(-1e10,1),n]\nx(0,1)[2]\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + RANGE_PROMPT + "\n" + FILE_PROMPT + EVAL_ERROR,
                         result.output));
    EXPECT_TRUE(SameText(VaryingHead("x+sigma[n(-1e10,1),n]", "x :範囲 [0] - [1] :分割2") +
                             RESULT_RULE + "変数x\t関数計算値\n",
                         varying.ReadFile("out.txt")));
}

}  // namespace

namespace {

// A report whose writes fail (a full disk) is not passed off as written.
TEST(ExplicitScenario, ReportOnAFullDeviceIsReportedAsFailed) {
    Session session;
    SessionResult result = session.Run("1\nx^2\nx(0,1)[4]\n/dev/full\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + RANGE_PROMPT + "\n" + FILE_PROMPT +
                             OPEN_FAILURE + Back(),
                         result.output));
}

}  // namespace
