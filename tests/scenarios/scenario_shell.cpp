// The console shell: help screen, menu answers, the command prompt.
#include "kansu_version.h"
#include "mode_dialogue.h"
#include "session.h"

#include <regex>
#include <string>
#include <vector>

namespace {

const char COMMAND_PROMPT[] = "実行したいコマンドを入力して下さい :";
const char NO_SUCH_COMMAND[] = "該当コマンドなし\n";
// Printed after every command, before the menu comes back.
const char AFTER_COMMAND[] = "\n\n";

TEST(ShellScenario, Runs) {
    const std::string start = HelpScreen() + MenuText();
    const std::string unknown =
        start + COMMAND_PROMPT + NO_SUCH_COMMAND + AFTER_COMMAND + MenuText();
    const std::string check = start + COMMAND_PROMPT + "ユーザ関数名を入力して下さい。関数 ";
    const std::string no_formula = "式が入力されていません\n";
    std::vector<ModeRun> runs = {
        {"help, the menu and help again, then the end", "5\n0\n", start + start, ""},
        {"0 ends at once", "0\n5\n", start, ""},
        {"end of input at the menu", "", start, ""},
        {"end of input after help", "5\n", start + start, ""},
        {"an unknown command is reported and the menu returns", "-1\nFooBar\n0\n", unknown, ""},
        // Blanks are dropped from the command line, so the name still matches;
        // the function name is then read as a word of its own line.
        {"a command with blanks inside matches", "-1\n  CheckUf List \t\nx\n0\n",
         check + "x は登録されていません。\n" + AFTER_COMMAND + MenuText(), ""},
        // A name longer than its buffer of 80 is cut to 79 characters; the rest
        // of the word is dropped, so the menu then reads the 0 of the next line.
        {"a checked name is cut to its buffer",
         "-1\nCheckUfList\n" + std::string(150, 'f') + "\n0\n",
         check + std::string(79, 'f') + " は登録されていません。\n" + AFTER_COMMAND + MenuText(),
         ""},
        // End of input at the command prompt: the command is empty and matches nothing.
        {"end of input at the command prompt", "-1\n", unknown, ""},
        // 79 characters are kept, the 80th ("B") is lost, and the rest of the line
        // ("5" and blanks) is what the menu reads next: the help screen comes
        // again. Had the cut been one character off, the menu would have read
        // "B5" or blanks and then 0.
        {"a long command line is cut and its rest read next",
         "-1\n" + std::string(79, 'A') + "B" + "5" + std::string(219, ' ') + "\n0\n",
         unknown + start, ""},
        // A blank after the menu number leaves the line feed unread: the formula
        // read gets an empty line, and the 5 of the next line goes back to the menu.
        {"a blank after the menu number gives the mode an empty line", "1 \n5\n0\n",
         start + "計算したい式を入力してくださいな\n" + no_formula + ClosingRule() + MenuText() +
             start,
         ""},
        // Every other mode, given an empty formula, gives up and closes with the rule.
        {"the other modes close with the rule", "2\n\n3\n\n4\n\n0\n",
         start + "F(x,y)=0の形の式でF(x,y)の部分を入力してください\n" + no_formula + ClosingRule() +
             MenuText() + "r=f(θ)の形の式でf(θ)の部分を入力してください\nr=" + no_formula +
             ClosingRule() + MenuText() + "計算したい式を x= ,y= の順に入力してください\nx= " +
             no_formula + ClosingRule() + MenuText(),
         ""},
    };
    // Numbers the menu does not list (and text that is no number) end the
    // program like 0; the 5 typed after them is never read.
    for (const char* answer : {"7\n5\n", "-2\n5\n", "6\n5\n", "abc\n5\n", "99999999999\n5\n"})
        runs.push_back({"an unlisted answer ends like 0", answer, start, ""});
    // Names are compared exactly: case matters, and a known name with something
    // after it is another name.
    for (const char* command : {"checkuflist", "CheckUfListX", "CheckUf", "CHECKUFLIST"})
        runs.push_back(
            {"command names match exactly", std::string("-1\n") + command + "\n0\n", unknown, ""});
    Check_Runs(runs);
}

TEST(ShellScenario, ClosedStandardInputEnds) {
    Session session;
    SessionResult result = session.RunClosedInput();
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(HelpScreen() + MenuText(), result.output));
    EXPECT_TRUE(session.Files().empty());
}

// ---- command-line options ----------------------------------------------------

TEST(ShellScenario, HelpAndVersionPrintAndStartNothing) {
    Session session;
    SessionResult result = session.RunWithArguments("--help", "1\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.error_output, "");
    EXPECT_TRUE(session.Files().empty());
    for (const char* word :
         {"--utf8",      "--digits",    "--version", "-1",       "EnrUsrfunc",
          "DelUsrfunc",  "SaveUsrfunc", "SetUfList", "SetUfdef", "ShowUfList2",
          "CheckUfList", "使い方",      "コマンド",  "--plot",   "plot REPORT",
          "--term",      "--xrange",    "--all",     "--title",  "終了ステータス",
          "128+n",       "eval, table"}) {
        EXPECT_NE(result.output.find(Cp932(word)), std::string::npos) << word;
    }
    EXPECT_EQ(result.output.find(Cp932("入力スタイルを選んで下さい")), std::string::npos);
    result = session.RunWithArguments("--version", "");
    EXPECT_EQ(result.exit_status, 0);
    // The version is the project's (CMakeLists.txt), with the commit of the
    // checkout it was built from (checked against git by tests/install/check.sh).
    std::string first_line = UnixText(result.output).substr(0, UnixText(result.output).find('\n'));
    EXPECT_TRUE(std::regex_match(first_line, std::regex(std::string("kansu ") + KANSU_VERSION +
                                                        "( \\(git [0-9a-f]{7,}\\))?")))
        << first_line;
    EXPECT_EQ(KANSU_COMMIT[0] != '\0', first_line.find(" (git ") != std::string::npos);
    EXPECT_TRUE(SameText(
        first_line + "\n" +
            "Copyright (c) 2026 the kansu authors\n"
            "MIT ライセンス (無保証、全文は LICENSE) / MIT License, no warranty: see LICENSE\n",
        result.output));
}

// An unknown option, or a count out of its range, is refused before anything starts.
TEST(ShellScenario, RefusedOptionsEndWithStatusTwo) {
    const std::pair<const char*, const char*> cases[] = {
        {"--utf-8 --help", "kansu: 不明なオプションです / unknown option: --utf-8\n"},
        {"--digits 18",
         "kansu: --digits には 1 から 17 までの桁数を付けてください"
         " / --digits takes a count from 1 to 17\n"},
        {"--threads 65",
         "kansu: --threads には 1 から 64 までのスレッド数を付けてください"
         " / --threads takes a count from 1 to 64\n"},
    };
    for (const auto& refused : cases) {
        Session session;
        SessionResult result = session.RunWithArguments(refused.first, "0\n");
        EXPECT_EQ(result.exit_status, 2) << refused.first;
        EXPECT_EQ(result.output, "") << refused.first;
        EXPECT_TRUE(
            SameText(std::string(refused.second) +
                         "使い方は kansu --help で表示されます / Try 'kansu --help' for usage.\n",
                     result.error_output));
    }
}

// --digits N writes report numbers with N significant digits.
TEST(ShellScenario, DigitsOptionSetsTheReportPrecision) {
    Session session;
    SessionResult result =
        session.RunWithArguments("--digits 10", "1\n1/x\nx(1,3)[2]\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    std::string report = session.ReadFile("out.txt");
    for (const char* row : {"1\t1\n", "2\t0.5\n", "3\t0.3333333333\n"})
        EXPECT_NE(report.find(PlatformText(row)), std::string::npos) << row;
}

}  // namespace
