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
    std::string values;        // NAME=VALUE words, in name order
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
    dialogue.RunWithArguments(
        options, "1\n" + run.formula + "\n" + range + run.typed_values + "out.txt\n0\n");
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
        typed += run.formula + "\n\n";  // a blank line gives an empty line
        expected += Report_Value(run, "") + "\n\n";
    }
    Session session;
    SessionResult result = session.RunWithArguments("eval - a=0.1 b=0.2 x=3 y=7", typed);
    EXPECT_EQ(result.exit_status, 0);
    // x is 3 on every line here, 0.3 in the last case alone: only its line differs.
    std::vector<std::string> values = Lines(UnixText(result.output));
    ASSERT_EQ(values.size(), 2 * CASES.size());
    for (size_t i = 0; i + 2 < values.size(); ++i) EXPECT_EQ(values[i], Lines(expected)[i]);
    EXPECT_EQ(values[values.size() - 2], "1.28571");
}

// What a command line prints on standard output and standard error, and its status.
struct CommandCase {
    std::string arguments;
    int status;
    std::string error_output;  // UTF-8; "*TEXT": its start, anything after
    std::string output = "";   // standard output (ASCII)
    std::string typed = "";    // standard input
};

const std::string kNoFunction =
    ": 組み込み関数にもユーザ定義関数にもありません。--functions FILE か --define で定義してください"
    " / no such built-in or user function; --functions FILE or --define\n";
const std::string kBadForm =
    "定義は name(a0,a1)=式 の形で書いてください / a definition reads name(a0,a1)=formula\n";
const std::string kUnused =
    "定義式は引数をすべて使い、ほかの変数は使えません"
    " / the definition must use every argument and no other variable\n";

// eval x with the value x=VALUE, refused.
CommandCase Not_ANumber(const std::string& value) {
    return {"eval x x=" + value, 1,
            "kansu: 変数の値が数値ではありません / the value is not a number: x=" + value + "\n"};
}

// eval 1 with a --define refused, the refusal after the definition's name.
CommandCase Refused_Definition(const std::string& definition, const std::string& told) {
    return {"eval 1 --define '" + definition + "'", 1,
            "kansu: --define " + definition + ": " + told};
}

TEST(EvalScenario, RefusalsAndFailures) {
    std::string formula255, formula256;
    for (int i = 0; i < 127; ++i) formula255 += "0+";
    formula256 = formula255 + "11";
    formula255 += "1";
    const std::string cannot_read = "kansu: ファイルを読めません / cannot read the file: ";
    std::vector<CommandCase> cases = {
        {"eval 'x+*2'", 1, "これは式になってないぞ！プンプン\nおかしいところはx+*…なんです。\n"},
        {"eval ''", 1, "式が入力されていません\n"},
        {"eval 'a*x' a=2", 1,
         "kansu: 値が与えられていない変数です / no value given for the variable: x\n"},
        {"eval 'sigma[n(1,1e10),n]'", 1, "関数計算中にエラーが発生しました\n"},
        {"eval 'f(1)'", 1, "kansu: f" + kNoFunction},
        // A defined function called with too few arguments is no unknown one.
        {"eval 'f(1)' --define 'f(a0,a1)=a0+a1'", 1,
         "これは式になってないぞ！プンプン\nおかしいところはf(…なんです。\n"},
        {"eval 1 --functions missing.dat", 1,
         cannot_read + "missing.dat: No such file or directory\n"},
        {"eval 1 --functions .", 1,
         cannot_read + ".: 通常のファイルではありません / not a regular file\n"},
        {"eval 1 --functions notes.txt", 1, "*"},  // text that defines nothing
        {"eval '" + formula255 + "'", 0, "", "1\n"},
        {"eval '" + formula256 + "'", 1,
         "kansu: 式は半角 255 文字以内で 1 行に書いてください / a formula is one line of at most 255 characters\n"},
        // The filter: one line out for each line in, every line evaluated.
        {"eval -", 1,
         "kansu: 3 行目 / line 3: これは式になってないぞ！プンプン\nおかしいところは2x…なんです。\n",
         "0.333333\n\n\n0.5\n", "1/3\n\n2x\n0.5\n"},
        {"eval -", 1,
         "kansu: 1 行目 / line 1: NUL 文字は式に使えません / a NUL byte cannot stand in a formula\n",
         "\n0.25\n",
         std::string("2\0"
                     "3\n1/4",
                     7)},
        {"eval - a=0.1", 1,
         "kansu: 1 行目 / line 1: 関数計算中にエラーが発生しました\n"
         "kansu: 2 行目 / line 2: kansu: 値が与えられていない変数です / no value given for the variable: b\n",
         "\n\n0.0333333\n", "a*sigma[n(1,1e10),n]\nb\na/3\n"},
        // --define, checked as EnrUsrfunc checks a definition.
        Refused_Definition(
            "sin(a0)=a0",
            "sin: 組み込み関数の名前は使えません / a built-in function has that name\n"),
        Refused_Definition("f(x)=x",
                           "引数は a0 から順に name(a0,a1,a2) のように書いてください"
                           " / the arguments are a0, a1, ... in order\n"),
        Refused_Definition("f(a0,a1)=a0", kUnused),  // more: ArgumentCheck.*
        Refused_Definition("f(a0)=g(a0)", "g" + kNoFunction),
        {"eval 1 --define 'f(a0)=a0' --define 'f(a0)=f(a0)+1'", 1,
         "kansu: --define f(a0)=f(a0)+1: f: 定義式でその関数自身は呼べません"
         " / a definition cannot call its own function\n"},
        Refused_Definition("f=2", kBadForm),
        Refused_Definition("2f(a0)=a0", kBadForm),
        // Usage: status 2.
        {"eval --digits 20 1", 2,
         "kansu: --digits には 1 から 17 までの桁数を付けてください / --digits takes a count from 1 to 17\n"},
        {"eval", 2, "*使い方 / Usage: kansu [--utf8 | --cp932] eval"},  // the usage alone
        {"eval 1 2", 2, "*"},
        {"eval --csv 1", 2, "*"},
        {"functions", 2, "*"},
    };
    for (const char* value : {"", "1e309", "inf", "1/0", "y"}) cases.push_back(Not_ANumber(value));
    for (const CommandCase& run : cases) {
        SCOPED_TRACE(run.arguments.substr(0, 80) + " < " + run.typed);
        Session session;
        session.WriteFile("notes.txt", "x^2 is a parabola\n");
        SessionResult result = session.RunWithArguments(run.arguments, run.typed);
        EXPECT_EQ(result.exit_status, run.status);
        EXPECT_EQ(UnixText(result.output), run.output);
        if (run.error_output[0] != '*') {
            EXPECT_TRUE(SameText(run.error_output, result.error_output));
        } else {
            EXPECT_NE(result.error_output, "");
            EXPECT_EQ(Utf8(result.error_output).rfind(run.error_output.substr(1), 0), 0u);
        }
    }
}

// On the command line pi and e are known unless a NAME=VALUE names them, and
// values and range bounds may be constant formulas: each command line gives
// the value of its plainly written twin.
TEST(EvalScenario, ConstantsAndDefinitions) {
    const std::vector<std::pair<std::string, std::string>> twins = {
        {"eval pi", "eval 3.141592653589793"},
        {"eval 'e^0.1'", "eval 'exp(0.1)'"},
        {"eval --digits 17 x x=2*pi", "eval --digits 17 6.283185307179586"},
        {"eval 'a*pi' a=1/3", "eval '0.3333333333333333*3.141592653589793'"},
        {"eval 'pi+e' pi=0.1 e=0.2", "eval '0.1+0.2'"},
        {"eval x 'x=sqrt(2)/3'", "eval 'sqrt(2)/3'"},
        {"eval 'hyp(0.3,0.4)/k()' --define 'hyp(a0,a1)=sqrt(a0^2+a1^2)' --define 'k()=hyp(1,1)'",
         "eval 'sqrt(0.3^2+0.4^2)/sqrt(2)'"},
        {"eval 'f(0.1)' --define 'f(a0)=a0' --define 'f(a0)=a0/3'", "eval '0.1/3'"},
    };
    Check_Twins(twins, [](const std::string& output) { return output; });
}

// What cannot be written to standard output is said with the system's
// reason, status 1: a value, a table, a picture.
TEST(EvalScenario, AFullStandardOutputFails) {
    if (WindowsProgram()) GTEST_SKIP() << "no /dev/full";
    const std::string reason =
        "標準出力に書き込めません / cannot write to standard output: "
        "No space left on device\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"eval 1/3", "kansu: " + reason},
        {"table x 'x(0,1)[3]'", "kansu: " + reason},
        {"plot r.txt -o -", "kansu plot: " + reason},
    };
    Session session;
    session.RunWithArguments("table x 'x(0,1)[3]' -o r.txt", "");
    const std::string full = "sh -c 'exec \"$@\" >/dev/full' sh";  // the program's alone
    for (const auto& run : cases) {
        SessionResult result = session.RunWithEnvironment(full, run.first, "", true);
        EXPECT_EQ(result.exit_status, 1) << run.first;
        EXPECT_TRUE(SameText(run.second, result.error_output)) << run.first;
    }
}

// The user functions of a save file are used; the file is only read. Only
// the functions a formula calls (and those they call) are defined, in file
// order, as a load defines them: a call of a later record is refused.
TEST(EvalScenario, FunctionsOfASaveFile) {
    using userfunc_test::FileId;
    using userfunc_test::Record;
    const std::string g = Record("g", 1, "a0+1"), f = Record("f", 2, "a0*g(a1)/3");
    const std::string g_then_f = FileId() + g + f, f_then_g = FileId() + f + g;
    const std::string listed = "g(a0)=a0+1\nf(a0,a1)=a0*g(a1)/3\n";
    // Only what the formula calls is defined, each after what it calls.
    const struct {
        std::string saved, arguments, output, error_output = "", typed = "";
        int status = 0;
    } cases[] = {
        {g_then_f, "eval 'f(x,0.5)' x=0.1", "0.05\n"},
        // Saved in name order, f before the g it calls: it is still defined.
        {f_then_g, "eval 'f(x,0.5)' x=0.1", "0.05\n"},
        // h is broken and never called; k calls f two records up.
        {FileId() + Record("h", 1, "a0+") + Record("g", 1, "a0/3") + Record("f", 1, "g(a0)*2") +
             Record("k", 2, "f(a0)+a1"),
         "eval 'k(0.1,1)'", "1.06667\n"},
        // f calls g, g calls k: both later records.
        {FileId() + Record("f", 1, "g(a0)+1") + Record("g", 1, "k(a0)*2") + Record("k", 1, "a0/3"),
         "eval 'f(0.1)'", "1.06667\n"},
        {FileId() + Record("g", 1, "a0*2") + "broken", "eval 'g(0.1)'", "0.2\n",
         "関数を 1 個読み込みました。ファイルの残りのレコードは壊れているため読み込めません\n"},
        // g defined for the first line is not defined again for the second.
        {FileId() + Record("f", 1, "g(a0)+1") + Record("g", 1, "a0*2"), "eval -", "0.2\n1.2\n", "",
         "g(0.1)\nf(0.1)\n"},
        // A --define may call the save file's functions.
        {FileId() + Record("g", 1, "a0/3"), "eval 'h(0.1)' --define 'h(a0)=g(a0)*2'",
         "0.0666667\n"},
        // kansu functions writes them as text lines, callees first, which read back.
        {f_then_g, "functions", listed},
        {listed, "eval 'f(x,0.5)' x=0.1", "0.05\n"},
        {listed, "functions", "",
         "kansu: ユーザ定義関数の保存ファイルとして読めません / cannot read as a save file: "
         "funcs.dat\n",
         "", 1},
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.arguments);
        Session table;
        table.WriteFile("funcs.dat", run.saved);
        std::string file = run.arguments == "functions" ? " funcs.dat" : " --functions funcs.dat";
        SessionResult result = table.RunWithArguments(run.arguments + file, run.typed);
        EXPECT_EQ(result.exit_status, run.status);
        EXPECT_EQ(UnixText(result.output), run.output);
        EXPECT_TRUE(SameText(run.error_output, result.error_output));
        EXPECT_EQ(table.ReadFile("funcs.dat"), run.saved);
        EXPECT_EQ(table.Files(), std::vector<std::string>{"funcs.dat"});
    }
}

// A text file of definitions: # comments and blank lines skipped, each
// refusal with its line number, every line checked, nothing evaluated then.
TEST(EvalScenario, FunctionsOfATextFile) {
    const std::string head = "# right triangles\n\n  hyp(a0, a1) = sqrt(a0^2 + a1^2)\r\n",
                      tail = "k()=hyp(0.3,0.4)/3",
                      command = "eval 'k()+half(0.1)' --functions defs.txt";
    Session session;
    session.WriteFile(
        "defs.txt", head + "sin(a0)=a0\nhalf(a0)=a0/2\nw(a0,a2)=a0\ntwice(a0)=2*nope(a0)\n" + tail);
    SessionResult result = session.RunWithArguments(command, "");
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.output, "");
    EXPECT_TRUE(SameText(
        "kansu: defs.txt: 4 行目 / line 4: sin: 組み込み関数の名前は使えません / a built-in "
        "function has that name\n"
        "kansu: defs.txt: 6 行目 / line 6: 引数は a0 から順に name(a0,a1,a2) のように書いてください"
        " / the arguments are a0, a1, ... in order\n"
        "kansu: defs.txt: 7 行目 / line 7: nope" +
            kNoFunction,
        result.error_output));
    session.WriteFile("defs.txt", head + "half(a0)=a0/2\n" + tail);
    result = session.RunWithArguments(command, "");
    SessionResult plain = session.RunWithArguments("eval 'sqrt(0.3^2+0.4^2)/3+0.1/2'", "");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.output, plain.output);
    EXPECT_EQ(result.error_output, "");
}

// The script commands speak the locale's encoding (LC_ALL, then LC_CTYPE,
// then LANG) through a pipe as on a terminal; an option or KANSU_ENCODING
// wins. The dialogue is not asked here.
struct LocaleCase {
    std::string environment;
    std::string arguments;
    bool utf8;          // the encoding expected without --utf8 from the harness
    bool option_given;  // --utf8 or --cp932 in the arguments: the harness's --utf8 loses
    int status;
    std::string output;  // UTF-8 expectations, converted as expected
    std::string error_output;
};

const std::string kRefused = "これは式になってないぞ！プンプン\nおかしいところは2x…なんです。\n";
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
        {"LANG=C.UTF-8", "table x/3 'x(0,1)[1]'", true, false, 0, kThirdsReport, ""},
        {"LANG=C", "table x/3 'x(0,1)[1]'", false, false, 0, kThirdsReport, ""},
        {"LANG=C.UTF-8", "plot missing.txt", true, false, 1, "", kMissing},
        {"LANG=C.UTF-8", "--cp932 plot missing.txt", false, true, 1, "", kMissing},
        {"LANG=C", "plot missing.txt", false, false, 1, "", kMissing},
    };
    for (const LocaleCase& c : cases) {
        // On Windows the code page decides, not these variables.
        bool by_locale_alone =
            !c.option_given && c.environment.find("KANSU_ENCODING") == std::string::npos;
        if (WindowsProgram() && by_locale_alone) continue;
        SCOPED_TRACE(c.environment + " " + c.arguments);
        bool utf8 = c.option_given || !Utf8Run() ? c.utf8 : true;
        Session session;
        SessionResult result = session.RunWithEnvironment(c.environment, c.arguments, "", true);
        EXPECT_EQ(result.exit_status, c.status);
        EXPECT_EQ(result.output, Encoded(c.output, utf8));
        EXPECT_EQ(result.error_output, Encoded(c.error_output, utf8));
    }
}

// On a terminal as through a pipe: the locale decides, not the terminal.
// A KANSU_ENCODING not understood is told in the locale's encoding; a plot
// shows braille dots (U+2800 to U+28FF), not the ASCII marks of code page 932.
TEST(EvalScenario, TerminalSpeaksTheLocalesEncodingToo) {
    const std::string fault = "おかしいところは2x…なんです。",
                      bad = "KANSU_ENCODING の値が正しくありません",
                      legend = "x: 変数x   y: 関数計算値";
    const struct {
        int status;
        std::vector<std::string> arguments, environment, shown;
    } cases[] = {
        {1, {"eval", "2x"}, {"LANG=C.UTF-8"}, {fault}},
        {1, {"eval", "2x"}, {"LANG=C"}, {Cp932Always(fault)}},
        {0, {"eval", "1/3"}, {"LANG=C.UTF-8", "KANSU_ENCODING=sjis"}, {bad}},
        {0, {"plot", "--term", "out.txt"}, {"LANG=C.UTF-8"}, {"\xe2\xa0", legend}},
    };
    for (const auto& c : cases) {
        Session session;
        ASSERT_EQ(session.RunWithArguments("table x/3 'x(0,1)[4]' -o out.txt", "").exit_status, 0);
        TerminalSession terminal(session, c.arguments, c.environment,
                                 TerminalSession::ERROR_TO_TERMINAL);
        for (const std::string& text : c.shown)
            EXPECT_TRUE(terminal.WaitFor(text)) << terminal.Shown();
        EXPECT_EQ(terminal.Wait(), c.status << 8);
    }
}

}  // namespace
