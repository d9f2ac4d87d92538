// Menu choice 1, the explicit function mode: the dialogue on the console and
// the report appended to the file the user names.
#include "mode_dialogue.h"
#include "session.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::string FORMULA_PROMPT = "計算したい式を入力してくださいな\n";
const std::string RANGE_PROMPT = "値を変化させる変数名と変化範囲を入力してください。(例) x(1,10) :";
const std::string NO_SUCH_NAME = "そんな変数名は存在しません。\n";
const std::string OPEN_FAILURE = "ファイル書き込みに失敗しました。\n";
const std::string EVAL_ERROR = "関数計算中にエラーが発生しました\n";
const std::string FIXED_HEADING = "変数(値固定)と、その値は以下の通りです\n";
const std::string REFUSED = "これは式になってないぞ！プンプン\n";

std::string Start() { return HelpScreen() + MenuText(); }
// The closing rule after the mode, and the menu again.
std::string Back() { return ClosingRule() + MenuText(); }

// Console of a run that reaches the file name with a varying variable and the
// given value questions (empty: none asked).
std::string VaryingDialogue(const std::string& questions) {
    return Start() + FORMULA_PROMPT + RANGE_PROMPT + "\n" + questions + kFilePrompt + Back();
}
// Console of a run up to what follows the range prompt, then the menu again.
std::string RangeDialogue(const std::string& after_prompt) {
    return Start() + FORMULA_PROMPT + RANGE_PROMPT + after_prompt + Back();
}
// Console of a formula without variables, up to the file name.
std::string NoVariableDialogue(const std::string& after_file_prompt = "") {
    return Start() + FORMULA_PROMPT + kFilePrompt + after_file_prompt + Back();
}

// The report after its common head, of a varying variable.
std::string VaryingHead(const std::string& formula, const std::string& range_line) {
    return "計算した式は" + formula + "\n値可変変数 " + range_line + "\n" + FIXED_HEADING;
}
std::string VaryingRows(const std::string& formula, const std::string& range_line,
                        const std::string& fixed, const std::vector<std::string>& rows) {
    std::string text =
        VaryingHead(formula, range_line) + fixed + kResultRule + "変数x\t関数計算値\n";
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

TEST(ExplicitScenario, Runs) {
    const std::string x_range = "x :範囲 [0] - [1] :分割";
    Check_Runs({
        // The three report variants.
        {"the example report of x^2", "1\nx^2\nx(0,1)[4]\nout.txt\n0\n", VaryingDialogue(""),
         "計算した式はx^2\n"
         "値可変変数 x :範囲 [0] - [1] :分割4\n"
         "変数(値固定)と、その値は以下の通りです\n"
         "----------関数計算の結果-------------\n"
         "変数x\t関数計算値\n"
         "0\t0\n"
         "0.25\t0.0625\n"
         "0.5\t0.25\n"
         "0.75\t0.5625\n"
         "1\t1\n"},
        {"a formula without variables asks nothing", "1\n2 + 3\nout.txt\n0\n", NoVariableDialogue(),
         kResultRule + "2+3=5\n"},
        // An empty range line: every variable is asked, in name order, and the
        // report lists them all.
        {"all variables fixed", "1\na * x + b\n\n2\n1\n3\nout.txt\n0\n",
         RangeDialogue(kValueHeader + "a=b=x=" + kFilePrompt),
         "計算した式はa*x+b\n" + FIXED_HEADING + "a\t2\nb\t1\nx\t3\n" + kResultRule + "a*x+b=7\n"},
        {"one varying and two fixed", "1\na*x+b\nx(0,1)[4]\n2\n1\nout.txt\n0\n",
         VaryingDialogue(kValueHeader + "a=b="),
         VaryingRows("a*x+b", x_range + "4", "a\t2\nb\t1\n",
                     {"0\t1", "0.25\t1.5", "0.5\t2", "0.75\t2.5", "1\t3"})},
        {"numbers in general notation", "1\nx/3\nx(0,1e6)[2]\nout.txt\n0\n", VaryingDialogue(""),
         VaryingRows("x/3", "x :範囲 [0] - [1e+06] :分割2", "",
                     {"0\t0", "500000\t166667", "1e+06\t333333"})},
        {"a descending range", "1\n2*x\nx(1,0)[2]\nout.txt\n0\n", VaryingDialogue(""),
         VaryingRows("2*x", "x :範囲 [1] - [0] :分割2", "", {"1\t2", "0.5\t1", "0\t0"})},
        {"one division", "1\n2*x\nx(-1.5,2.5)[1]\nout.txt\n0\n", VaryingDialogue(""),
         VaryingRows("2*x", "x :範囲 [-1.5] - [2.5] :分割1", "", {"-1.5\t-3", "2.5\t5"})},
        {"a negative count writes no rows", "1\nx\nx(0,1)[-2]\nout.txt\n0\n", VaryingDialogue(""),
         VaryingRows("x", x_range + "-2", "", {})},
        // sin, cos and tan near large multiples of pi and of huge arguments: the
        // same report on every platform (some C libraries lose these digits).
        {"sin near large multiples of pi",
         "1\nsin(x*10*3.14159265358979)\nx(0,1000)[4]\nout.txt\n0\n", VaryingDialogue(""),
         VaryingRows("sin(x*10*3.14159265358979)", "x :範囲 [0] - [1000] :分割4", "",
                     {"0\t0", "250\t-8.30687e-12", "500\t-1.66137e-11", "750\t-2.58301e-11",
                      "1000\t-3.32275e-11"})},
        {"cos near large multiples of pi",
         "1\ncos(x*1.5707963267949)\nx(1,100001)[4]\nout.txt\n0\n", VaryingDialogue(""),
         VaryingRows("cos(x*1.5707963267949)", "x :範囲 [1] - [100001] :分割4", "",
                     {"1\t-3.49148e-15", "25001\t-8.7779e-11", "50001\t-1.78121e-10",
                      "75001\t-2.68464e-10", "100001\t-3.58806e-10"})},
        {"tan near large multiples of pi",
         "1\ntan(x*3.14159265358979)\nx(0,1000000)[4]\nout.txt\n0\n", VaryingDialogue(""),
         VaryingRows("tan(x*3.14159265358979)", "x :範囲 [0] - [1e+06] :分割4", "",
                     {"0\t0", "250000\t-7.5429e-10", "500000\t-1.50858e-09", "750000\t-2.37928e-09",
                      "1e+06\t-3.01716e-09"})},
        {"huge arguments", "1\nsin(x*1e22)+cos(x*1e22)\nx(1,3)[2]\nout.txt\n0\n",
         VaryingDialogue(""),
         VaryingRows("sin(x*1e22)+cos(x*1e22)", "x :範囲 [1] - [3] :分割2", "",
                     {"1\t-0.328986", "2\t-1.34426", "3\t-1.07769"})},
        // Formulas. The summation index is no variable of the table: only a is asked.
        {"a constant sum", "1\nsigma[ n(1,10) ,n^2]\nout.txt\n0\n", NoVariableDialogue(),
         kResultRule + "sigma[n(1,10),n^2]=385\n"},
        {"a sum with a variable", "1\nsigma[n(1,3),n*a]\n\n2\nout.txt\n0\n",
         RangeDialogue(kValueHeader + "a=" + kFilePrompt),
         "計算した式はsigma[n(1,3),n*a]\n" + FIXED_HEADING + "a\t2\n" + kResultRule +
             "sigma[n(1,3),n*a]=12\n"},
        {"a sum over a varying variable", "1\nsigma[n(1,3),n*x]\nx(0,2)[2]\nout.txt\n0\n",
         VaryingDialogue(""),
         VaryingRows("sigma[n(1,3),n*x]", "x :範囲 [0] - [2] :分割2", "",
                     {"0\t0", "1\t6", "2\t12"})},
        {"the logarithm to any base", "1\nlog(2,x)\nx(1,8)[7]\nout.txt\n0\n", VaryingDialogue(""),
         VaryingRows("log(2,x)", "x :範囲 [1] - [8] :分割7", "",
                     {"1\t0", "2\t1", "3\t1.58496", "4\t2", "5\t2.32193", "6\t2.58496",
                      "7\t2.80735", "8\t3"})},
        // / binds tighter than *, and equal operators group to the left.
        {"precedence and grouping", "1\n2^3^2-8/2*4\nout.txt\n0\n", NoVariableDialogue(),
         kResultRule + "2^3^2-8/2*4=48\n"},
        // A value that is not a number is "nan" whatever its sign bit.
        {"0/0", "1\n0/0\nout.txt\n0\n", NoVariableDialogue(), kResultRule + "0/0=nan\n"},
        {"sqrt(0-1)", "1\nsqrt(0-1)\nout.txt\n0\n", NoVariableDialogue(),
         kResultRule + "sqrt(0-1)=nan\n"},
        {"-(0/0)", "1\n-(0/0)\nout.txt\n0\n", NoVariableDialogue(), kResultRule + "-(0/0)=nan\n"},
        {"nan among the rows", "1\nx/x+1/x\nx(-1,1)[2]\nout.txt\n0\n", VaryingDialogue(""),
         VaryingRows("x/x+1/x", "x :範囲 [-1] - [1] :分割2", "", {"-1\t0", "0\tnan", "1\t2"})},
        // The range line. Blanks inside a 300-character line are dropped by the parser.
        {"a long range line with blanks",
         "1\nx\nx(0," + std::string(291, ' ') + "1)[2]\nout.txt\n0\n", VaryingDialogue(""),
         VaryingRows("x", x_range + "2", "", {"0\t0", "0.5\t0.5", "1\t1"})},
        // 418 characters of the range line are read; the rest of the line ("7")
        // is the next line read, the value of a.
        {"an overlong range line", "1\na*x\nx(0,1)[2]" + std::string(409, ' ') + "7\nout.txt\n0\n",
         VaryingDialogue(kValueHeader + "a="),
         VaryingRows("a*x", x_range + "2", "a\t7\n", {"0\t0", "0.5\t3.5", "1\t7"})},
        {"y is not in the formula", "1\nx^2\ny(0,1)\n0\n", RangeDialogue(NO_SUCH_NAME), ""},
        {"X is not x", "1\nx^2\nX(0,1)\n0\n", RangeDialogue(NO_SUCH_NAME), ""},
        // The value lines keep their leading number.
        {"value lines", "1\na*x+b\nx(0,1)[1]\n3abc\nabc\nout.txt\n0\n",
         VaryingDialogue(kValueHeader + "a=b="),
         VaryingRows("a*x+b", x_range + "1", "a\t3\nb\t0\n", {"0\t0", "1\t3"})},
        // Input ending in the middle of the dialogue: the value reads 0, the file
        // name is empty and cannot be opened, and the program ends normally.
        {"end of input during the dialogue", "1\na*x\nx(0,1)[1]\n",
         RangeDialogue("\n" + kValueHeader + "a=" + kFilePrompt + OPEN_FAILURE), ""},
        // A file that cannot be opened, in every variant.
        {"no variable, no file", "1\n2+3\nmissing/out.txt\n0\n", NoVariableDialogue(OPEN_FAILURE),
         ""},
        {"fixed, no file", "1\na\n\n1\nmissing/out.txt\n0\n",
         RangeDialogue(kValueHeader + "a=" + kFilePrompt + OPEN_FAILURE), ""},
        {"varying, no file", "1\nx\nx(0,1)\nmissing/out.txt\n0\n",
         RangeDialogue("\n" + kFilePrompt + OPEN_FAILURE), ""},
        // A report whose writes fail (a full disk) is not passed off as written.
        {"a report on a full device", "1\nx^2\nx(0,1)[4]\n/dev/full\n0\n",
         RangeDialogue("\n" + kFilePrompt + OPEN_FAILURE), ""},
        // Formula errors. The report of a refused formula has no line end of its
        // own: the closing rule ends the line.
        {"refused formulas show the text up to the fault", "1\nx + * 2\n1\n(x+1\n0\n",
         Start() + FORMULA_PROMPT + REFUSED + "おかしいところはx+*…なんです。" + Back() +
             FORMULA_PROMPT + REFUSED + "おかしいところは(x+1…なんです。" + Back(),
         ""},
        {"an empty formula", "1\n  \n0\n",
         Start() + FORMULA_PROMPT + "式が入力されていません\n" + Back(), ""},
        {"end of input", "1\n", Start() + FORMULA_PROMPT + "入力失敗しました\n" + Back(), ""},
    });
}

// Refused lines end the run before any value is asked; a line of blanks is no
// empty line; a count of 0 (also 0.5, cut to 0) and a bound beyond the
// doubles (a table of nan) are refused.
TEST(ExplicitScenario, MalformedRangeLinesAreRefused) {
    std::vector<ModeRun> runs;
    for (const char* range_line :
         {"x(0,1", "x(0,1)[4", "1x(0,1)", "x(a,1)", "x(0,b)", "x(0,1)[c]", "   ", "x(0,1)[0]",
          "x(0,1)[0.5]", "x(0,1)[1e10]", "x(-1e309,1)", "x(0,1e309)[2]"})
        runs.push_back({range_line, std::string("1\na*x\n") + range_line + "\n0\n",
                        RangeDialogue(kRangeError), ""});
    Check_Runs(runs);
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
    EXPECT_TRUE(SameText(kReportHead + VaryingHead("x^2", "x :範囲 [0] - [1] :分割100") +
                             kResultRule + "変数x\t関数計算値\n" + rows,
                         report));
    // A few rows checked by hand, independently of the loop above.
    EXPECT_NE(report.find(PlatformText("\n0\t0\n0.01\t0.0001\n0.02\t0.0004\n")), std::string::npos);
    EXPECT_NE(report.find(PlatformText("\n0.07\t0.0049\n")), std::string::npos);
    EXPECT_NE(report.find(PlatformText("\n0.99\t0.9801\n1\t1\n")), std::string::npos);
}

// A range whose width overflows still runs from end to end in finite points.
TEST(ExplicitScenario, ARangeWiderThanTheLargestNumber) {
    Session session;
    SessionResult result = session.Run("1\nx\nx(-1e308,1e308)[4]\nw.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(kReportHead + VaryingHead("x", "x :範囲 [-1e+308] - [1e+308] :分割4") +
                             kResultRule + "変数x\t関数計算値\n-1e+308\t-1e+308\n" +
                             "-5e+307\t-5e+307\n0\t0\n5e+307\t5e+307\n1e+308\t1e+308\n",
                         session.ReadFile("w.txt")));
}

// Reports are appended: to what the file held, and one per run.
TEST(ExplicitScenario, ReportsAreAppended) {
    Session session;
    session.WriteFile("out.txt", PlatformText("old line\n"));
    SessionResult result = session.Run("1\nx\nx(0,1)[1]\nout.txt\n1\n2+3\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + RANGE_PROMPT + "\n" + kFilePrompt + Back() +
                             FORMULA_PROMPT + kFilePrompt + Back(),
                         result.output));
    EXPECT_TRUE(SameText("old line\n" + kReportHead + VaryingHead("x", "x :範囲 [0] - [1] :分割1") +
                             kResultRule + "変数x\t関数計算値\n" + "0\t0\n1\t1\n" + kReportHead +
                             kResultRule + "2+3=5\n",
                         session.ReadFile("out.txt")));
}

// The file name keeps its blanks.
TEST(ExplicitScenario, FileNameKeepsBlanks) {
    Session session;
    session.Run("1\n2+3\nmy report.txt\n0\n");
    EXPECT_EQ(session.Files(), std::vector<std::string>{"my report.txt"});
}

// A name longer than 79 characters is refused, never cut (a cut name would be
// another file); the blanks after it do not count.
TEST(ExplicitScenario, LongFileNameIsRefused) {
    const std::string name = std::string(79, 'f') + "5" + std::string(20, ' ');
    ASSERT_EQ(name.size(), 100u);
    Session session;
    SessionResult result = session.Run("1\n2+3\n" + name + "\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + kFilePrompt +
                             "パスが長すぎます。半角 79 文字以内で入力してください\n" + Back(),
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
    const std::string hint = "\n全角の英数字・記号・空白は半角で入力してください。\n";
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + "これは式になってないぞ！プンプン\n" +
                             "おかしいところはx+ａ…なんです。" + hint + Back() + FORMULA_PROMPT +
                             "これは式になってないぞ！プンプン\n" +
                             "おかしいところは２…なんです。" + hint + Back(),
                         result.output));
}

// ---- evaluation errors ------------------------------------------------------------

// A sigma bound outside int cannot be evaluated: the message, exit status 1 at
// once (the menu does not come back), and what the report had so far is in the file.
TEST(ExplicitScenario, EvaluationErrorEndsTheProgramAfterFlushing) {
    Session no_variable;
    SessionResult result = no_variable.Run("1\nsigma[n(1,1e10),n]\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + kFilePrompt + EVAL_ERROR, result.output));
    EXPECT_TRUE(SameText(kReportHead + kResultRule, no_variable.ReadFile("out.txt")));

    Session fixed;
    result = fixed.Run("1\na+sigma[n(1,1e10),n]\n\n2\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_TRUE(SameText(
        Start() + FORMULA_PROMPT + RANGE_PROMPT + kValueHeader + "a=" + kFilePrompt + EVAL_ERROR,
        result.output));
    EXPECT_TRUE(SameText(
        kReportHead + "計算した式はa+sigma[n(1,1e10),n]\n" + FIXED_HEADING + "a\t2\n" + kResultRule,
        fixed.ReadFile("out.txt")));

    Session varying;
    result = varying.Run("1\nx+sigma[n(-1e10,1),n]\nx(0,1)[2]\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_TRUE(SameText(Start() + FORMULA_PROMPT + RANGE_PROMPT + "\n" + kFilePrompt + EVAL_ERROR,
                         result.output));
    EXPECT_TRUE(SameText(kReportHead +
                             VaryingHead("x+sigma[n(-1e10,1),n]", "x :範囲 [0] - [1] :分割2") +
                             kResultRule + "変数x\t関数計算値\n",
                         varying.ReadFile("out.txt")));
}

}  // namespace
