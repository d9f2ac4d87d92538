// At the keyboard of a terminal, one test per point: the encoding, Ctrl-C and
// Ctrl-D that cancel, the lines that say what happened, values read in part,
// refused formulas to mend, a tidy screen, and the half-width hint.
#include "console/lineedit.h"
#include "session.h"
#include "terminal.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::string MENU = "終了             :0", FORMULA = "計算したい式を入力してくださいな",
                  RANGE = "(例) x(1,10) :", FILE_NAME = "(max79) :", ENTER = KEY_ENTER;

bool EditingTested() { return !WindowsProgram() && LineEditing_Built(); }
bool EndedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }

// Answers prompt after prompt: {prompt, line, prompt, line, ...}, Enter after each line.
void Answer(TerminalSession& terminal, const std::vector<std::string>& steps) {
    for (size_t i = 0; i + 1 < steps.size(); i += 2)
        ASSERT_TRUE(terminal.Answer(steps[i], steps[i + 1] + ENTER)) << steps[i + 1];
}

// Ends the run at the menu and hands back standard error.
std::string Ended(Session& session, TerminalSession& terminal) {
    Answer(terminal, {MENU, "0"});
    EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
    return session.ReadFile("stderr");
}

TEST(KeyboardScenario, UtfEightWhenTheTerminalIsUtfEight) {
    if (WindowsProgram()) GTEST_SKIP() << "the locale of a POSIX terminal";
    const std::string utf8 = "LC_ALL=C.UTF-8", other = "LC_ALL=C";
    const struct {
        std::vector<std::string> arguments;
        std::string locale, shown;
    } cases[] = {{{}, utf8, MENU},
                 {{}, other, Cp932Always(MENU)},
                 {{"--cp932"}, utf8, Cp932Always(MENU)},
                 {{"--help"}, utf8, "使い方"},
                 {{"--help"}, other, Cp932Always("使い方")},
                 {{"--version"}, utf8, "ライセンス"}};
    for (const auto& c : cases) {
        Session session;
        TerminalSession terminal(session, c.arguments, {c.locale});
        EXPECT_TRUE(terminal.WaitFor(c.shown)) << c.locale;
        terminal.Type("0\r");
        EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
    }
}

TEST(KeyboardScenario, CtrlCAndCtrlDCancelTheDialogue) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    const std::string command = "コマンドを入力して下さい :";
    const struct {
        std::vector<std::string> steps;
        std::string prompt, keys;  // where the keys are typed
    } cases[] = {
        {{MENU, "1"}, FORMULA, "x^2+" + std::string(KEY_CTRL_C)},
        {{MENU, "1", FORMULA, "x^2+y"}, RANGE, KEY_CTRL_D},
        {{MENU, "1", FORMULA, "x^2+y", RANGE, "x(0,1)"}, "y=", KEY_CTRL_C},
        {{MENU, "2", "F(x,y)=", "x-y"}, ":", KEY_CTRL_D},
        {{MENU, "1", FORMULA, "2+3"}, FILE_NAME, KEY_CTRL_D},
        {{MENU, "-1"}, command, KEY_CTRL_D},
        {{MENU, "-1", command, "EnrUsrfunc", "やめる--->0", "1", "字以内) :", "f",
          "(0以上) :", "0"},
         "関数定義式を入力して下さい。",
         KEY_CTRL_C},
    };
    for (const auto& c : cases)
        for (bool plain : {false, true}) {
            Session session;
            TerminalSession terminal(session, plain
                                                  ? std::vector<std::string>{"--utf8", "--no-edit"}
                                                  : std::vector<std::string>{"--utf8"});
            Answer(terminal, c.steps);
            ASSERT_TRUE(terminal.Answer(c.prompt, c.keys));
            // No save question: nothing was enrolled.
            EXPECT_EQ(Ended(session, terminal), "取り消しました。\n") << c.prompt;
            std::string after = terminal.Shown().substr(terminal.Shown().find(c.prompt));
            for (const char* word :
                 {"失敗", "以下に表示される", "出力先", "該当コマンドなし", "保存", "^D"})
                EXPECT_EQ(after.find(word), std::string::npos) << c.prompt << "\n" << after;
            std::vector<std::string> files = session.Files();  // the history's aside
            EXPECT_EQ(
                std::count_if(files.begin(), files.end(), [](auto& f) { return f[0] != '.'; }), 1);
        }
}

// The word needs a terminal, not line editing.
TEST(KeyboardScenario, AWordAfterEachReport) {
    if (WindowsProgram()) GTEST_SKIP() << "a POSIX terminal";
    Session session;
    TerminalSession terminal(session, {"--utf8", "--plot", "--no-edit"});
    Answer(terminal, {MENU, "1", FORMULA, "x^2", RANGE, "x(0,1)[4]", FILE_NAME, "r.txt"});
    std::string error_output = Ended(session, terminal), report = session.ReadFile("r.txt");
    EXPECT_EQ(error_output, "r.txt に " +
                                std::to_string(std::count(report.begin(), report.end(), '\n')) +
                                " 行を追記しました\nr.svg に図を書きました\n");
    EXPECT_TRUE(session.Exists("r.svg"));

    // A report whose writing failed (beyond the file-size limit) gets no word of lines added.
    Session limited;
    TerminalSession cut(limited, {"--utf8", "--no-edit"});
    const rlimit lowered = {8192, 8192};  // kansu's alone
    ASSERT_EQ(prlimit(cut.Pid(), RLIMIT_FSIZE, &lowered, nullptr), 0);
    Answer(cut, {MENU, "1", FORMULA, "x/3", RANGE, "x(0,1)[3000]", FILE_NAME, "big.txt"});
    EXPECT_EQ(Ended(limited, cut), "");
    EXPECT_NE(cut.Shown().find("ファイル書き込みに失敗しました。"), std::string::npos);
}

TEST(KeyboardScenario, ValuePromptsSayWhatTheyTook) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    Session session;
    TerminalSession terminal(session, {"--utf8"});
    Answer(terminal, {MENU, "1", FORMULA, "a+b+c+d+x", RANGE, "x(0,1)[1]", "a=", "1/2", "b=", "3,5",
                      "c=", "pi", "d=", "-２.５", FILE_NAME, "v.txt"});
    const std::string advice = " として読みました。値は 0.5 のように数で入力してください。\n";
    std::string error_output = Ended(session, terminal);
    EXPECT_EQ(error_output.substr(0, error_output.find("v.txt")),
              "「1/2」は 1" + advice + "「3,5」は 3" + advice + "「pi」は 0" + advice);
}

TEST(KeyboardScenario, ARefusedFormulaComesBackToBeMended) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    const std::string implicit = "の部分を入力してください", parameter = "(例) t(1,10) :";
    const struct {
        std::vector<std::string> steps;
        std::string reported;
    } cases[] = {
        // The cursor is at the fault: deleting the character there mends the formula.
        {{MENU, "1", FORMULA, "2^^3", MENU, "1", FORMULA, "\033[3~", FILE_NAME, "m.txt"},
         "\n2^3=8\n"},
        // Each at its own prompt: a refused y at y=, the x typed before it at x=.
        {{MENU, "4", "x= ", "sin(t)", "y= ", "cos(t)+", MENU, "4", "x= ", "", "y= ", "1", parameter,
          "t(0,1)[1]", FILE_NAME, "m.txt"},
         "計算式 x=sin(t) :y=cos(t)+1\n"},
        // Not at the prompt of another mode.
        {{MENU, "1", FORMULA, "x+", MENU, "2", implicit, "x-y", RANGE, "x(0,1)[1]",
          "y(1,10) :", "y(0,1)[1]", FILE_NAME, "m.txt"},
         "計算式 x-y= 0 \n"},
    };
    for (const auto& c : cases) {
        Session session;
        TerminalSession terminal(session, {"--utf8"});
        Answer(terminal, c.steps);
        Ended(session, terminal);
        std::string report = session.ReadFile("m.txt");
        EXPECT_NE(report.find(c.reported), std::string::npos) << report;
    }
}

// The widest line shown, in columns (a Japanese character two), the echo of Ctrl-C aside.
size_t WidestLine(std::string shown) {
    size_t echo = shown.rfind("^C"), widest = 0, columns = 0;
    if (echo != std::string::npos) shown.erase(echo, 2);
    for (unsigned char letter : shown) {
        columns = letter == '\r' || letter == '\n' ? 0
                                                   : columns + (letter < 0x80    ? 1
                                                                : letter >= 0xE0 ? 2
                                                                                 : 0);
        widest = std::max(widest, columns);
    }
    return widest;
}

// After Ctrl-Z and fg the line is drawn again; the progress line fits the
// terminal and follows a resize; Ctrl-D at the menu ends its line.
TEST(KeyboardScenario, TheTerminalStaysTidy) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    Session session;
    TerminalSession terminal(session, {"--utf8"}, {}, TerminalSession::ERROR_TO_TERMINAL);
    Answer(terminal, {MENU, "1"});
    ASSERT_TRUE(terminal.Answer(FORMULA, "x^2+"));
    ASSERT_TRUE(terminal.WaitFor("x^2+"));
    int status = 0;
    kill(terminal.Pid(), SIGSTOP);
    ASSERT_EQ(waitpid(terminal.Pid(), &status, WUNTRACED), terminal.Pid());
    kill(terminal.Pid(), SIGCONT);
    EXPECT_TRUE(terminal.WaitFor("x^2+"));  // drawn again
    Answer(terminal, {"", "1", RANGE, "", "x=", "2", FILE_NAME, "f.txt"});
    Answer(terminal, {MENU, "1", FORMULA, "sigma[n(1,100),x*n]", RANGE, "x(0,1)[2000000000]",
                      FILE_NAME, "p.txt"});
    for (int columns : {40, 20}) {
        terminal.Resize(columns);
        for (int rewrite = 0; rewrite < 3; ++rewrite) ASSERT_TRUE(terminal.WaitFor("\r計算中"));
        size_t from = terminal.Shown().rfind("\r計算中");
        if (columns == 20) terminal.Type(KEY_CTRL_C);
        ASSERT_TRUE(terminal.WaitFor(columns == 20 ? "計算を中断しました。" : "\r計算中"));
        std::string shown = terminal.Shown().substr(from);
        EXPECT_LT(WidestLine(shown.substr(0, shown.find("計算を中断しました。"))), columns);
    }
    ASSERT_TRUE(terminal.Answer(MENU, KEY_CTRL_D));
    EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
    std::string shown = terminal.Shown();
    EXPECT_EQ(shown.substr(shown.rfind(MENU) + MENU.size()), "\r\n^D\r\n");
    EXPECT_NE(session.ReadFile("f.txt").find("x^2+1"), std::string::npos);
}

TEST(KeyboardScenario, HalfWidthHintForEveryRefusedText) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    const std::vector<std::string> cases[] = {
        {MENU, "1", FORMULA, "x+1", RANGE, "ｘ(0,1)"},
        {MENU, "-1", "コマンドを入力して下さい :", "ＣｈｅｃｋＵｆＬｉｓｔ"},
        {MENU, "1", FORMULA, "x−1"},  // the minus sign U+2212
    };
    for (const auto& steps : cases) {
        Session session;
        TerminalSession terminal(session, {"--utf8"});
        Answer(terminal, steps);
        EXPECT_EQ(Ended(session, terminal), "全角の英数字・記号・空白は半角で入力してください。\n")
            << steps.back();
    }
}

}  // namespace
