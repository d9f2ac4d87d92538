// At the keyboard of a terminal: the encoding the terminal shows, Ctrl-C and
// Ctrl-D that cancel a dialogue, and the lines on standard error that say
// what a run did. The real binary on a pseudo-terminal, typed at key by key.
#include "console/lineedit.h"
#include "session.h"
#include "terminal.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::string MENU_END = "終了             :0";
const std::string FORMULA_PROMPT = "計算したい式を入力してくださいな";
const std::string RANGE_PROMPT = "(例) x(1,10) :";
const std::string FILE_PROMPT = "(max79) :";
const std::string ENTER = KEY_ENTER;
const std::string UTF8_LOCALE = "LC_ALL=C.UTF-8";

bool EditingTested() { return !WindowsProgram() && LineEditing_Built(); }

bool EndedWith(int status, int exit_status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == exit_status;
}

// The menu shown in UTF-8 on a UTF-8 terminal and in code page 932 on another
// (or when asked); --help and --version follow the same rule.
TEST(KeyboardScenario, UtfEightWhenTheTerminalIsUtfEight) {
    if (WindowsProgram()) GTEST_SKIP() << "the locale of a POSIX terminal";
    struct Case {
        std::vector<std::string> arguments;
        std::string locale;
        std::string shown;
    } cases[] = {
        {{}, UTF8_LOCALE, MENU_END},
        {{}, "LC_ALL=C", Cp932Always(MENU_END)},
        {{"--cp932"}, UTF8_LOCALE, Cp932Always(MENU_END)},
        {{"--help"}, UTF8_LOCALE, "使い方"},
        {{"--help"}, "LC_ALL=C", Cp932Always("使い方")},
        {{"--version"}, UTF8_LOCALE, "ライセンス"},
    };
    for (const Case& c : cases) {
        Session session;
        TerminalSession terminal(session, c.arguments, {c.locale});
        EXPECT_TRUE(terminal.WaitFor(c.shown)) << c.locale;
        terminal.Type("0\r");
        EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
    }
}

// Ctrl-C, or Ctrl-D on an empty line, at any prompt of a dialogue: one line on
// standard error, the menu again, no false message, nothing written or enrolled.
TEST(KeyboardScenario, CtrlCAndCtrlDCancelTheDialogue) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    struct Case {
        std::vector<std::string> answers;  // after the menu's prompt: prompt, line, ...
        std::string prompt;                // where the keys are typed
        std::string keys;
    } cases[] = {
        {{"1"}, FORMULA_PROMPT, KEY_CTRL_C},
        {{"1"}, FORMULA_PROMPT, std::string("x^2+") + KEY_CTRL_C},
        {{"1", FORMULA_PROMPT, "x^2+y"}, RANGE_PROMPT, KEY_CTRL_D},
        {{"1", FORMULA_PROMPT, "x^2+y", RANGE_PROMPT, "x(0,1)"}, "y=", KEY_CTRL_C},
        {{"2", "F(x,y)=", "x-y"}, ":", KEY_CTRL_D},
        {{"1", FORMULA_PROMPT, "2+3"}, FILE_PROMPT, KEY_CTRL_D},
        {{"-1"}, "コマンドを入力して下さい :", KEY_CTRL_D},
        {{"-1", "コマンドを入力して下さい :", "EnrUsrfunc", "やめる--->0", "1", "字以内) :", "f",
          "(0以上) :", "0"},
         "関数定義式を入力して下さい。",
         KEY_CTRL_C},
    };
    for (const Case& c : cases) {
        Session session;
        TerminalSession terminal(session, {"--utf8"});
        ASSERT_TRUE(terminal.Answer(MENU_END, c.answers[0] + ENTER));
        for (size_t i = 1; i + 1 < c.answers.size(); i += 2)
            ASSERT_TRUE(terminal.Answer(c.answers[i], c.answers[i + 1] + ENTER));
        ASSERT_TRUE(terminal.Answer(c.prompt, c.keys));
        ASSERT_TRUE(terminal.Answer(MENU_END, "0" + ENTER));
        // Nothing unsaved, so no question at the end.
        EXPECT_TRUE(EndedWith(terminal.Wait(), 0)) << c.prompt;
        std::string after = terminal.Shown().substr(terminal.Shown().find(c.prompt));
        for (const char* false_word : {"失敗", "以下に表示される", "出力先", "該当コマンドなし",
                                       "保存しますか"})
            EXPECT_EQ(after.find(false_word), std::string::npos) << c.prompt << "\n" << after;
        EXPECT_EQ(session.ReadFile("stderr"), "取り消しました。\n") << c.prompt;
        std::vector<std::string> files = session.Files();
        EXPECT_EQ(std::count_if(files.begin(), files.end(),
                                [](const std::string& name) { return name[0] != '.'; }),
                  1)
            << c.prompt;  // standard error's file only
    }
}

// After a report, its file and the lines added; with --plot the picture too.
TEST(KeyboardScenario, AWordAfterEachReport) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    Session session;
    TerminalSession terminal(session, {"--utf8", "--plot"});
    ASSERT_TRUE(terminal.Answer(MENU_END, "1" + ENTER));
    ASSERT_TRUE(terminal.Answer(FORMULA_PROMPT, "x^2" + ENTER));
    ASSERT_TRUE(terminal.Answer(RANGE_PROMPT, "x(0,1)[4]" + ENTER));
    ASSERT_TRUE(terminal.Answer(FILE_PROMPT, "r.txt" + ENTER));
    ASSERT_TRUE(terminal.Answer(MENU_END, "0" + ENTER));
    EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
    std::string report = session.ReadFile("r.txt");
    long long lines = std::count(report.begin(), report.end(), '\n');
    EXPECT_EQ(session.ReadFile("stderr"), "r.txt に " + std::to_string(lines) +
                                              " 行を書き足しました\nr.svg に図を書きました\n");
    EXPECT_TRUE(session.Exists("r.svg"));
}

// A value read only in part is named with the value used; a whole number is not.
TEST(KeyboardScenario, ValuePromptsSayWhatTheyTook) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    Session session;
    TerminalSession terminal(session, {"--utf8"});
    ASSERT_TRUE(terminal.Answer(MENU_END, "1" + ENTER));
    ASSERT_TRUE(terminal.Answer(FORMULA_PROMPT, "a+b+c+d+x" + ENTER));
    ASSERT_TRUE(terminal.Answer(RANGE_PROMPT, "x(0,1)[1]" + ENTER));
    const char* const values[][2] = {{"a=", "1/2"}, {"b=", "3,5"}, {"c=", "pi"}, {"d=", "-２.５"}};
    for (const auto& value : values) ASSERT_TRUE(terminal.Answer(value[0], value[1] + ENTER));
    ASSERT_TRUE(terminal.Answer(FILE_PROMPT, "v.txt" + ENTER));
    ASSERT_TRUE(terminal.Answer(MENU_END, "0" + ENTER));
    EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
    const std::string advice = " として読みました。値は 0.5 のように数で入力してください。\n";
    std::string report = session.ReadFile("v.txt");
    std::string lines = std::to_string(std::count(report.begin(), report.end(), '\n'));
    EXPECT_EQ(session.ReadFile("stderr"), "「1/2」は 1" + advice + "「3,5」は 3" + advice +
                                              "「pi」は 0" + advice + "v.txt に " + lines +
                                              " 行を書き足しました\n");
}

// A refused formula comes back at the next formula prompt, the cursor at the
// fault: deleting the character there mends it.
TEST(KeyboardScenario, ARefusedFormulaComesBackToBeMended) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    Session session;
    TerminalSession terminal(session, {"--utf8"});
    ASSERT_TRUE(terminal.Answer(MENU_END, "1" + ENTER));
    ASSERT_TRUE(terminal.Answer(FORMULA_PROMPT, "2^^3" + ENTER));
    ASSERT_TRUE(terminal.Answer(MENU_END, "1" + ENTER));
    ASSERT_TRUE(terminal.Answer(FORMULA_PROMPT, "\033[3~" + ENTER));
    ASSERT_TRUE(terminal.Answer(FILE_PROMPT, "m.txt" + ENTER));
    ASSERT_TRUE(terminal.Answer(MENU_END, "0" + ENTER));
    EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
    std::string report = session.ReadFile("m.txt");
    EXPECT_NE(report.find("\n2^3=8\n"), std::string::npos) << report;
}

// The half-width hint after a refused range, command word or formula that
// holds a full-width form or the minus sign U+2212.
TEST(KeyboardScenario, HalfWidthHintForEveryRefusedText) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    struct Case {
        std::vector<std::string> answers;  // prompt, line, ...
    } cases[] = {
        {{MENU_END, "1", FORMULA_PROMPT, "x+1", RANGE_PROMPT, "ｘ(0,1)"}},
        {{MENU_END, "-1", "コマンドを入力して下さい :", "ＣｈｅｃｋＵｆＬｉｓｔ"}},
        {{MENU_END, "1", FORMULA_PROMPT, "x−1"}},
    };
    for (const Case& c : cases) {
        Session session;
        TerminalSession terminal(session, {"--utf8"});
        for (size_t i = 0; i + 1 < c.answers.size(); i += 2)
            ASSERT_TRUE(terminal.Answer(c.answers[i], c.answers[i + 1] + ENTER));
        ASSERT_TRUE(terminal.Answer(MENU_END, "0" + ENTER));
        EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
        EXPECT_EQ(session.ReadFile("stderr"), "全角の英数字・記号・空白は半角で入力してください。\n")
            << c.answers.back();
    }
}

// Ctrl-D at the menu ends the run with status 0, and its line: the shell's
// next prompt starts on a line of its own.
TEST(KeyboardScenario, CtrlDAtTheMenuEndsItsLine) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    Session session;
    TerminalSession terminal(session, {"--utf8"});
    ASSERT_TRUE(terminal.Answer(MENU_END, KEY_CTRL_D));
    EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
    std::string shown = terminal.Shown();
    EXPECT_EQ(shown.substr(shown.rfind(MENU_END) + MENU_END.size()), "\r\n^D\r\n");
}

// Stopped (Ctrl-Z) and continued (fg) at a prompt: the prompt and the line
// typed so far are drawn again, and the line goes on from there.
TEST(KeyboardScenario, TheLineIsRedrawnAfterFg) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    Session session;
    TerminalSession terminal(session, {"--utf8"});
    ASSERT_TRUE(terminal.Answer(MENU_END, "1" + ENTER));
    ASSERT_TRUE(terminal.Answer(FORMULA_PROMPT, "x^2+"));
    ASSERT_TRUE(terminal.WaitFor("x^2+"));
    kill(terminal.Pid(), SIGSTOP);
    int status = 0;
    ASSERT_EQ(waitpid(terminal.Pid(), &status, WUNTRACED), terminal.Pid());
    ASSERT_TRUE(WIFSTOPPED(status));
    kill(terminal.Pid(), SIGCONT);
    EXPECT_TRUE(terminal.WaitFor("x^2+"));  // drawn again
    ASSERT_TRUE(terminal.Answer("", "1" + ENTER));
    ASSERT_TRUE(terminal.Answer(RANGE_PROMPT, ENTER));
    ASSERT_TRUE(terminal.Answer("x=", "2" + ENTER));
    ASSERT_TRUE(terminal.Answer(FILE_PROMPT, "f.txt" + ENTER));
    ASSERT_TRUE(terminal.Answer(MENU_END, "0" + ENTER));
    EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
    EXPECT_NE(session.ReadFile("f.txt").find("x^2+1"), std::string::npos);
}

// Columns a text takes on the terminal: a Japanese character two.
size_t Columns(const std::string& text) {
    size_t columns = 0;
    for (unsigned char letter : text) columns += letter < 0x80 ? 1 : letter >= 0xE0 ? 2 : 0;
    return columns;
}

// The widest rewrite of the progress line from at on.
size_t WidestProgress(const std::string& shown, size_t at) {
    size_t widest = 0;
    for (size_t end; (at = shown.find('\r', at)) != std::string::npos; at = end) {
        end = shown.find_first_of("\r\n", at + 1);
        if (end == std::string::npos) end = shown.size();
        widest = std::max(widest, Columns(shown.substr(at + 1, end - at - 1)));
    }
    return widest;
}

// The progress line never wraps in a narrow terminal, and follows a resize.
TEST(KeyboardScenario, TheProgressLineFitsTheTerminal) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    Session session;
    TerminalSession terminal(session, {"--utf8"}, {}, TerminalSession::ERROR_TO_TERMINAL);
    ASSERT_TRUE(terminal.Answer(MENU_END, "1" + ENTER));
    ASSERT_TRUE(terminal.Answer(FORMULA_PROMPT, "sigma[n(1,100),x*n]" + ENTER));
    ASSERT_TRUE(terminal.Answer(RANGE_PROMPT, "x(0,1)[2000000000]" + ENTER));
    ASSERT_TRUE(terminal.Answer(FILE_PROMPT, "p.txt" + ENTER));
    terminal.Resize(40);  // the line shows after half a second of work
    ASSERT_TRUE(terminal.WaitFor("\r計算中"));
    ASSERT_TRUE(terminal.WaitFor("\r計算中"));
    EXPECT_LE(WidestProgress(terminal.Shown(), 0), 39u);
    terminal.Resize(20);
    for (int rewrite = 0; rewrite < 3; ++rewrite) ASSERT_TRUE(terminal.WaitFor("\r計算中"));
    size_t after_resize = terminal.Shown().rfind("\r計算中");
    terminal.Type(KEY_CTRL_C);
    ASSERT_TRUE(terminal.WaitFor("計算を中断しました。"));
    // The rewrites and the erasure, up to the message after Ctrl-C.
    std::string shown = terminal.Shown();
    shown = shown.substr(0, shown.find("計算を中断しました。", after_resize));
    size_t echo = shown.rfind("^C");  // the terminal's echo of the key
    if (echo != std::string::npos) shown.erase(echo, 2);
    EXPECT_LE(WidestProgress(shown, after_resize), 19u);
    ASSERT_TRUE(terminal.Answer(MENU_END, "0" + ENTER));
    EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
}

}  // namespace
