// kansu eval: the value of a formula is the one the explicit report writes
// for it, one line per formula with eval -; refusals and failures end with
// their message on standard error and status 1.
#include "mode_dialogue.h"
#include "session.h"
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

// The user functions of a save file are used; the file is only read. Only
// the functions a formula calls (and those they call) are defined, in file
// order, as a load defines them: a call of a later record is refused.
TEST(EvalScenario, FunctionsOfASaveFile) {
    using userfunc_test::FileId;
    using userfunc_test::Record;
    const std::string refused = "これは式になってないぞ！プンプン\n";
    const struct {
        std::string saved, arguments, output, error_output;
        int status;
        std::string typed;
    } cases[] = {
        {FileId() + Record("g", 1, "a0+1") + Record("f", 2, "a0*g(a1)/3"), "eval 'f(x,0.5)' x=0.1",
         "0.05\n", "", 0, ""},
        // h is broken and never called; k calls f two records up.
        {FileId() + Record("h", 1, "a0+") + Record("g", 1, "a0/3") + Record("f", 1, "g(a0)*2") +
             Record("k", 2, "f(a0)+a1"),
         "eval 'k(0.1,1)'", "1.06667\n", "", 0, ""},
        {FileId() + Record("f", 1, "g(a0)+1") + Record("g", 1, "a0*2"), "eval 'f(0.1)'", "",
         refused + "\n" + refused + "おかしいところはf(…なんです。\n", 1, ""},
        {FileId() + Record("g", 1, "a0*2") + "broken", "eval 'g(0.1)'", "0.2\n",
         "関数を 1 個読み込みました。ファイルの残りのレコードは壊れているため読み込めません\n", 0,
         ""},
        // g defined for the first line is still a later record for f.
        {FileId() + Record("f", 1, "g(a0)+1") + Record("g", 1, "a0*2"), "eval -", "0.2\n",
         refused + "\n" + refused + "おかしいところはf(…なんです。\n", 1, "g(0.1)\nf(0.1)\n"},
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.arguments);
        Session session;
        session.WriteFile("funcs.dat", run.saved);
        SessionResult result =
            session.RunWithArguments(run.arguments + " --functions funcs.dat", run.typed);
        EXPECT_EQ(result.exit_status, run.status);
        EXPECT_EQ(UnixText(result.output), run.output);
        EXPECT_TRUE(SameText(run.error_output, result.error_output));
        EXPECT_EQ(session.ReadFile("funcs.dat"), run.saved);
        EXPECT_EQ(session.Files(), std::vector<std::string>{"funcs.dat"});
    }
}

}  // namespace
