// kansu eval: the value of a formula is the one the explicit report writes
// for it, one line per formula with eval -; refusals and failures end with
// their message on standard error and status 1.
#include "mode_dialogue.h"
#include "session.h"
#include "terminal.h"
#include "userfunc_dialogue.h"

#include <string>
#include <vector>

namespace {

struct EvalCase {
    std::string formula;
    std::string values;  // NAME=VALUE words, in name order
    std::string typed_values;  // the same values as the dialogue asks them
};

const std::vector<EvalCase> CASES = {
    {"2+3", "", ""},
    {"1/3", "", ""},
    {"sqrt(2)*sin(1)", "", ""},
    {"-2^0.5", "", ""},
    {"sigma[n(1,10),n^2]/7", "", ""},
    {"log(3,10)", "", ""},
    {"a*x+b", "a=0.1 b=0.2 x=3", "0.1\n0.2\n3\n"},
    {"x^2/y", "x=0.3 y=7", "0.3\n7\n"},
};

// The value line of the explicit report: the last line, after "formula=".
std::string Report_Value(const EvalCase& run, const std::string& options) {
    Session dialogue;
    std::string range = run.values.empty() ? "" : "\n";
    dialogue.RunWithArguments(options, "1\n" + run.formula + "\n" + range + run.typed_values +
                                           "out.txt\n0\n");
    std::vector<std::string> lines = Lines(UnixText(dialogue.ReadFile("out.txt")));
    if (lines.empty()) return "no report";
    return lines.back().substr(run.formula.size() + 1);
}

TEST(EvalScenario, ValueIsTheExplicitReports) {
    for (const char* options : {"", "--digits 12"}) {
        for (const EvalCase& run : CASES) {
            SCOPED_TRACE(run.formula + " " + options);
            Session session;
            SessionResult result = session.RunWithArguments(
                "eval " + std::string(options) + " '" + run.formula + "' " + run.values, "");
            EXPECT_EQ(result.exit_status, 0);
            EXPECT_EQ(UnixText(result.output), Report_Value(run, options) + "\n");
        }
    }
}

TEST(EvalScenario, PipedFormulasGiveOneValueEach) {
    std::string typed;
    std::string expected;
    for (const EvalCase& run : CASES) {
        typed += run.formula + "\n\n";  // blank lines are skipped
        expected += Report_Value(run, "") + "\n";
    }
    Session session;
    SessionResult result = session.RunWithArguments("eval - a=0.1 b=0.2 x=3 y=7", typed);
    EXPECT_EQ(result.exit_status, 0);
    // x is 3 on every line here, 0.3 in the last case alone: only its line differs.
    std::vector<std::string> values = Lines(UnixText(result.output));
    ASSERT_EQ(values.size(), CASES.size());
    for (size_t i = 0; i + 1 < CASES.size(); ++i) EXPECT_EQ(values[i], Lines(expected)[i]);
    EXPECT_EQ(values.back(), "1.28571");
    // A refused line ends the run after the values before it.
    result = session.RunWithArguments("eval -", "1/3\nx+\n2\n");
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(UnixText(result.output), "0.333333\n");
}

TEST(EvalScenario, RefusalsAndFailures) {
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"eval 'x+*2'", "これは式になってないぞ！プンプン\nおかしいところはx+*…なんです。\n"},
        {"eval ''", "式が入力されていません\n"},
        {"eval 'a*x' a=2", "kansu: 値が与えられていない変数です / no value given for the variable: x\n"},
        {"eval x x=", "kansu: 変数の値が数値ではありません / the value is not a number: x=\n"},
        {"eval 'sigma[n(1,1e10),n]'", "関数計算中にエラーが発生しました\n"},
        {"eval 'f(1)'", "これは式になってないぞ！プンプン\nおかしいところはf(…なんです。\n"},
        {"eval 1 --functions missing.dat",
         "kansu: ユーザ定義関数の保存ファイルとして読めません / cannot read as a save file: "
         "missing.dat\n"},
    };
    for (const auto& error : refused) {
        SCOPED_TRACE(error.first);
        Session session;
        SessionResult result = session.RunWithArguments(error.first, "");
        EXPECT_EQ(result.exit_status, 1);
        EXPECT_EQ(result.output, "");
        EXPECT_TRUE(SameText(error.second, result.error_output));
    }
    for (const char* usage : {"eval", "eval 1 2", "eval --digits 0 1", "eval --csv 1"}) {
        Session session;
        EXPECT_EQ(session.RunWithArguments(usage, "").exit_status, 2) << usage;
    }
}

// The user functions of a save file are used; the file is only read.
TEST(EvalScenario, FunctionsOfASaveFile) {
    using userfunc_test::FileId;
    using userfunc_test::Record;
    Session session;
    std::string saved = FileId() + Record("g", 1, "a0+1") + Record("f", 2, "a0*g(a1)/3");
    session.WriteFile("funcs.dat", saved);
    SessionResult result = session.RunWithArguments("eval 'f(x,0.5)' x=0.1 --functions funcs.dat", "");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(UnixText(result.output), "0.05\n");
    EXPECT_EQ(session.ReadFile("funcs.dat"), saved);
    EXPECT_EQ(session.Files(), std::vector<std::string>{"funcs.dat"});
}

// The script commands speak the locale's encoding (LC_ALL, then LC_CTYPE,
// then LANG) through a pipe as on a terminal; an option or KANSU_ENCODING
// wins. The dialogue is not asked here.
struct LocaleCase {
    std::string environment;
    std::string arguments;
    bool utf8;            // the encoding expected without --utf8 from the harness
    bool option_given;    // --utf8 or --cp932 in the arguments: the harness's --utf8 loses
    int status;
    std::string output;        // UTF-8 expectations, converted as expected
    std::string error_output;
};

const std::string kRefused = "これは式になってないぞ！プンプン\nおかしいところは2x…なんです。\n";
const std::string kReport =
    "\n****************************計算結果を記録します\n計算した式はx/3\n"
    "値可変変数 x :範囲 [0] - [1] :分割1\n変数(値固定)と、その値は以下の通りです\n"
    "----------関数計算の結果-------------\n変数x\t関数計算値\n0\t0\n1\t0.333333\n";
const std::string kMissing =
    "kansu plot: missing.txt: ファイルを開けません / cannot open the file\n"
    "kansu plot: 使い方は kansu plot --help で表示されます / kansu plot --help shows the usage\n";

TEST(EvalScenario, ScriptCommandsSpeakTheLocalesEncoding) {
    const std::vector<LocaleCase> cases = {
        {"LANG=C.UTF-8", "eval 2x", true, false, 1, "", kRefused},
        {"LANG=C", "eval 2x", false, false, 1, "", kRefused},
        {"LC_ALL=C LANG=C.UTF-8", "eval 2x", false, false, 1, "", kRefused},
        {"LC_CTYPE=C.UTF-8 LANG=C", "eval 2x", true, false, 1, "", kRefused},
        {"LC_ALL=C.UTF-8 LC_CTYPE=C", "eval 2x", true, false, 1, "", kRefused},
        {"LC_ALL= LC_CTYPE=C.UTF-8", "eval 2x", true, false, 1, "", kRefused},
        {"LANG=xx_YY.UTF-8", "eval 2x", true, false, 1, "", kRefused},  // not installed
        {"LANG=ja_JP", "eval 2x", false, false, 1, "", kRefused},
        {"LANG=C.UTF-8 KANSU_ENCODING=cp932", "eval 2x", false, false, 1, "", kRefused},
        {"LANG=C KANSU_ENCODING=utf-8", "eval 2x", true, false, 1, "", kRefused},
        {"LANG=C.UTF-8", "--cp932 eval 2x", false, true, 1, "", kRefused},
        {"LANG=C.UTF-8 KANSU_ENCODING=utf-8", "--cp932 eval 2x", false, true, 1, "", kRefused},
        {"LANG=C", "--utf8 eval 2x", true, true, 1, "", kRefused},
        {"LANG=C.UTF-8", "eval 1/3", true, false, 0, "0.333333\n", ""},
        {"LANG=C.UTF-8", "table x/3 'x(0,1)[1]'", true, false, 0, kReport, ""},
        {"LANG=C", "table x/3 'x(0,1)[1]'", false, false, 0, kReport, ""},
        {"LANG=C.UTF-8", "plot missing.txt", true, false, 1, "", kMissing},
        {"LANG=C.UTF-8", "--cp932 plot missing.txt", false, true, 1, "", kMissing},
        {"LANG=C", "plot missing.txt", false, false, 1, "", kMissing},
    };
    for (const LocaleCase& c : cases) {
        SCOPED_TRACE(c.environment + " " + c.arguments);
        bool utf8 = c.option_given || !Utf8Run() ? c.utf8 : true;
        auto encoded = [utf8](const std::string& text) {
            return PlatformText(utf8 ? text : Cp932Always(text));
        };
        Session session;
        SessionResult result = session.RunWithEnvironment(c.environment, c.arguments, "", true);
        EXPECT_EQ(result.exit_status, c.status);
        EXPECT_EQ(result.output, encoded(c.output));
        EXPECT_EQ(result.error_output, encoded(c.error_output));
    }
}

// On a terminal as through a pipe: the locale decides, not the terminal.
TEST(EvalScenario, TerminalSpeaksTheLocalesEncodingToo) {
    for (bool utf8 : {true, false}) {
        Session session;
        TerminalSession terminal(session, {"eval", "2x"}, {utf8 ? "LANG=C.UTF-8" : "LANG=C"},
                                 TerminalSession::ERROR_TO_TERMINAL);
        std::string line = "おかしいところは2x…なんです。";
        EXPECT_TRUE(terminal.WaitFor(utf8 ? line : Cp932Always(line))) << terminal.Shown();
        EXPECT_EQ(terminal.Wait(), 1 << 8);
    }
    // A KANSU_ENCODING not understood is told in the locale's encoding.
    Session told;
    TerminalSession bad_value(told, {"eval", "1/3"}, {"LANG=C.UTF-8", "KANSU_ENCODING=sjis"},
                              TerminalSession::ERROR_TO_TERMINAL);
    EXPECT_TRUE(bad_value.WaitFor("KANSU_ENCODING の値が正しくありません")) << bad_value.Shown();
    EXPECT_EQ(bad_value.Wait(), 0);
    Session session;
    ASSERT_EQ(session.RunWithArguments("table x/3 'x(0,1)[4]' -o out.txt", "").exit_status, 0);
    TerminalSession terminal(session, {"plot", "--term", "out.txt"}, {"LANG=C.UTF-8"});
    EXPECT_TRUE(terminal.WaitFor("x: 変数x   y: 関数計算値")) << terminal.Shown();
    EXPECT_EQ(terminal.Wait(), 0);
    // Braille dots (U+2800 to U+28FF), not the ASCII marks of code page 932.
    EXPECT_NE(terminal.Shown().find("\xe2\xa0"), std::string::npos) << terminal.Shown();
}

}  // namespace
