// Line editing on a terminal: the real binary on a pseudo-terminal, typed at
// key by key; its reports and history file checked. Also the encoding choice
// and control characters in a refused formula, through pipes.
#include "console/lineedit.h"
#include "mode_dialogue.h"
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
const std::string SAVE_QUESTION = "Yes-->1 No-->2 ";

std::string Keys(int count, const char* key) {
    std::string keys;
    for (int i = 0; i < count; ++i) keys += key;
    return keys;
}

// The Windows console edits lines itself; a build without libedit reads plainly.
bool EditingTested() { return !WindowsProgram() && LineEditing_Built(); }

bool EndedWith(int status, int exit_status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == exit_status;
}

// Answers one prompt: waits until it shows (and the line editor reads), then
// types the keys.
void Answer(TerminalSession& terminal, const std::string& prompt, const std::string& keys,
            bool editing = true) {
    ASSERT_TRUE(terminal.WaitFor(prompt));
    if (editing) {
        ASSERT_TRUE(terminal.WaitForLineEditor());
    }
    terminal.Type(keys);
}

// One prompt and the line typed at it, Enter after it.
struct Step {
    std::string prompt;
    std::string line;
};

void Answer_Lines(TerminalSession& terminal, const std::vector<Step>& steps, bool editing = true) {
    for (const Step& step : steps) Answer(terminal, step.prompt, step.line + KEY_ENTER, editing);
}

// From the menu through the command line to a user function's definition.
std::vector<Step> Enrolling(const std::string& command, const std::string& name,
                            const std::string& argument_count) {
    return {{MENU_END, "-1"},
            {"コマンドを入力して下さい :", command},
            {"やめる--->0", "1"},
            {"字以内) :", name},
            {"(0以上) :", argument_count}};
}

// One calculation of formula into file, then the end.
std::vector<Step> Calculating(const std::string& formula, const std::string& file) {
    return {{MENU_END, "1"}, {FORMULA_PROMPT, formula}, {FILE_PROMPT, file}, {MENU_END, "0"}};
}

TEST(LineEditScenario, EditRecallAndAnotherRange) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    Session session;
    TerminalSession terminal(session, {"--utf8"});
    // Up recalls the formula, the range (edited) and the file name, each its own.
    Answer_Lines(terminal, {{MENU_END, "1"},
                            {FORMULA_PROMPT, "x^2+sn(x)" + Keys(4, KEY_LEFT) + "i"},
                            {RANGE_PROMPT, "x(0,1)[2]"},
                            {FILE_PROMPT, "out.txt"},
                            {MENU_END, "1"},
                            {FORMULA_PROMPT, KEY_UP},
                            {RANGE_PROMPT, KEY_UP + Keys(3, KEY_BACKSPACE) + "[4]"},
                            {FILE_PROMPT, KEY_UP},
                            {MENU_END, "0"}});
    EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
    EXPECT_TRUE(terminal.LineModeRestored());
    std::string report = session.ReadFile("out.txt");
    const std::string run = "計算した式はx^2+sin(x)\n値可変変数 x :範囲 [0] - [1] :分割";
    for (const char* division : {"2\n", "4\n"})
        EXPECT_NE(report.find(run + division), std::string::npos) << report;
    EXPECT_EQ(session.ReadFile(".local/state/kansu/history"),
              "formula\tx^2+sin(x)\nrange\tx(0,1)[2]\nrange\tx(0,1)[4]\nfile\tout.txt\n");
    // Only the word after each report.
    EXPECT_EQ(session.ReadFile("stderr"),
              "out.txt に 10 行を追記しました\nout.txt に 12 行を追記しました\n");
}

TEST(LineEditScenario, TabCompletesCommandsAndFunctions) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    Session session;
    TerminalSession terminal(session, {"--utf8"});
    Answer_Lines(terminal, Enrolling(std::string("EnrU") + KEY_TAB, "root", "1"));
    Answer_Lines(terminal, {{"を使ってください。", std::string("sq") + KEY_TAB + "a0)"}});
    ASSERT_TRUE(terminal.WaitFor("double root( a0 ) = sqrt(a0)"));
    // Several matches are listed, the user function with its argument count.
    Answer_Lines(terminal, {{MENU_END, "1"}});
    Answer(terminal, FORMULA_PROMPT, std::string("r") + KEY_TAB);
    ASSERT_TRUE(terminal.WaitFor("root("));
    terminal.Type(std::string("\025s") + KEY_TAB);  // Ctrl-U empties the line
    ASSERT_TRUE(terminal.WaitFor("sin(  sqrt(  sinh(  sigma["));
    terminal.Type(std::string("\025") + "2" + KEY_ENTER);
    Answer_Lines(terminal, {{FILE_PROMPT, "out.txt"}, {MENU_END, "0"}, {SAVE_QUESTION, "2"}});
    EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
    EXPECT_EQ(session.ReadFile(".local/state/kansu/history"),
              "command\tEnrUsrfunc\nformula\t2\ndefinition\tsqrt(a0)\nfile\tout.txt\n");
}

// The history of one run is there in the next; the XDG state directory is used.
TEST(LineEditScenario, HistoryKeptAcrossRuns) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    Session session;
    session.WriteFile("history-start", "formula\told\nmenu\t1\n");
    const std::vector<std::string> state = {"XDG_STATE_HOME=" + session.Dir() + "/xdg"};
    for (const char* formula : {"2*3", "7"}) {
        TerminalSession terminal(session, {}, {state[0], "KANSU_ENCODING=utf-8"});
        Answer_Lines(terminal, Calculating(formula, "a.txt"));
        EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
    }
    TerminalSession terminal(session, {"--utf8"}, state);
    Answer_Lines(terminal, Calculating(Keys(2, KEY_UP), KEY_UP));
    EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
    const std::string head = kReportHead + kResultRule;
    EXPECT_EQ(session.ReadFile("a.txt"), head + "2*3=6\n" + head + "7=7\n" + head + "2*3=6\n");
    EXPECT_EQ(session.ReadFile("xdg/kansu/history"),
              "formula\t2*3\nformula\t7\nformula\t2*3\nfile\ta.txt\n");
    EXPECT_FALSE(session.Exists(".local"));
}

// A history that cannot be read or written costs one line on standard error.
TEST(LineEditScenario, UnusableHistoryFileNeverStopsTheRun) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    Session session;
    session.WriteFile("plain-file", "");
    ASSERT_EQ(system(("mkdir -p " + session.Path("dir/kansu/history")).c_str()), 0);
    // A FIFO is never opened for a read that would wait for its writer.
    ASSERT_EQ(system(("mkdir -p " + session.Path("fifo/kansu") + " && mkfifo " +
                      session.Path("fifo/kansu/history"))
                         .c_str()),
              0);
    for (const char* state_home : {"plain-file", "dir", "fifo"}) {
        TerminalSession terminal(session, {"--utf8"},
                                 {"XDG_STATE_HOME=" + session.Dir() + "/" + state_home});
        Answer_Lines(terminal, Calculating("1+1", "b.txt"));
        EXPECT_TRUE(EndedWith(terminal.Wait(), 0)) << state_home;
        std::string error_output = session.ReadFile("stderr");
        // The history's line, and the report's.
        EXPECT_EQ(std::count(error_output.begin(), error_output.end(), '\n'), 2) << error_output;
        EXPECT_NE(error_output.find("the input history: " + session.Dir() + "/" + state_home +
                                    "/kansu/history\n"),
                  std::string::npos)
            << error_output;
    }
    std::string report = session.ReadFile("b.txt");
    EXPECT_EQ(report.rfind("1+1=2\n"), report.size() - 6);  // two reports
    EXPECT_LT(report.find("1+1=2\n"), report.size() - 6);
}

// Ctrl-D on an empty line is end of input; Ctrl-C asks to save unsaved
// functions, or ends at once; the terminal's own settings come back.
TEST(LineEditScenario, CtrlDAndCtrlCKeepTheirMeaning) {
    if (!EditingTested()) GTEST_SKIP() << "no line editing: Windows or a build without libedit";
    Session session;
    {
        TerminalSession terminal(session, {"--utf8"});
        Answer(terminal, MENU_END, "\004");
        EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
        EXPECT_TRUE(terminal.LineModeRestored());
    }
    {
        TerminalSession terminal(session, {"--utf8"});
        Answer_Lines(terminal, Enrolling("EnrUsrfunc", "f", "0"));
        Answer_Lines(terminal, {{"関数定義式を入力して下さい。", "2"}, {MENU_END, "1"}});
        Answer(terminal, FORMULA_PROMPT, "f()+");
        ASSERT_TRUE(terminal.WaitFor("f()+"));  // echoed by the editor
        terminal.Type("\003");                  // cancels the calculation's dialogue
        Answer(terminal, MENU_END, "\003");
        Answer_Lines(terminal,
                     {{SAVE_QUESTION, "1"}, {"保存ファイルパスを指定して下さい :", "saved.dat"}});
        // Ctrl-C ended the run: 128 + SIGINT, as when nothing was unsaved.
        EXPECT_TRUE(EndedWith(terminal.Wait(), 128 + SIGINT));
        EXPECT_TRUE(terminal.LineModeRestored());
        EXPECT_TRUE(session.Exists("saved.dat"));
    }
    {
        // Ctrl-C at the save question, too: 130, the functions in a recovery file.
        TerminalSession terminal(session, {"--utf8"});
        Answer_Lines(terminal, Enrolling("EnrUsrfunc", "g", "0"));
        Answer_Lines(terminal, {{"関数定義式を入力して下さい。", "3"}, {MENU_END, "0"}});
        Answer(terminal, SAVE_QUESTION, "\003");
        EXPECT_TRUE(EndedWith(terminal.Wait(), 128 + SIGINT));
        EXPECT_NE(session.ReadFile("stderr").find("kansu-recovery-"), std::string::npos);
    }
    // Ctrl-C, or a signal that ends the program, at a prompt: the history is written.
    for (int signal_number : {SIGINT, SIGTERM}) {
        Session fresh;
        TerminalSession terminal(fresh, {"--utf8"});
        Answer_Lines(terminal, {{MENU_END, "1"}, {FORMULA_PROMPT, "x*2"}});
        Answer(terminal, RANGE_PROMPT, "x(");
        ASSERT_TRUE(terminal.WaitFor("x("));
        if (signal_number == SIGINT) {
            terminal.Type("\003");  // cancels the dialogue; at the menu it ends the run
            Answer(terminal, MENU_END, "\022x");  // even inside a Ctrl-R search
            ASSERT_TRUE(terminal.WaitFor("x"));
            terminal.Type("\003");
        } else
            kill(terminal.Pid(), signal_number);
        int status = terminal.Wait();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
        // The shell's prompt comes on a line of its own, the search's line erased.
        const std::string shown = terminal.Shown();
        EXPECT_EQ(shown.substr(shown.rfind('\n') - 1), "\r\n\033[J")
            << shown.substr(shown.size() - 40);
        EXPECT_TRUE(terminal.LineModeRestored());
        EXPECT_EQ(fresh.ReadFile(".local/state/kansu/history"), "formula\tx*2\n");
    }
}

// Ctrl-D at a prompt ends that read only: the save question that follows still
// waits for its answer, edited or read plainly.
TEST(LineEditScenario, CtrlDEarlierDoesNotAnswerTheSaveQuestion) {
    if (WindowsProgram()) GTEST_SKIP() << "the pseudo-terminal is POSIX";
    const std::vector<std::string> ways[] = {{"--utf8"}, {"--utf8", "--no-edit"}};
    for (const std::vector<std::string>& arguments : ways) {
        bool editing = arguments.size() == 1 && EditingTested();
        Session session;
        TerminalSession terminal(session, arguments);
        Answer_Lines(terminal, Enrolling("EnrUsrfunc", "f", "0"), editing);
        Answer_Lines(terminal, {{"関数定義式を入力して下さい。", "2"}, {MENU_END, "1"}}, editing);
        // Ctrl-D cancels the formula prompt, then ends the run at the menu.
        Answer(terminal, FORMULA_PROMPT, "\004", editing);
        Answer(terminal, MENU_END, "\004", editing);
        Answer_Lines(terminal,
                     {{SAVE_QUESTION, "1"}, {"保存ファイルパスを指定して下さい :", "saved.dat"}},
                     editing);
        EXPECT_TRUE(EndedWith(terminal.Wait(), 0)) << arguments.size();
        EXPECT_TRUE(session.Exists("saved.dat")) << arguments.size();
    }
}

// Without editing (--no-edit, or code page 932) the keys arrive as typed: an
// arrow key's escape sequence is refused and shown visibly; nothing is kept.
TEST(LineEditScenario, PlainReadingWithNoEditAndInCodePage932) {
    if (WindowsProgram()) GTEST_SKIP() << "the Windows console edits lines itself";
    const std::vector<std::vector<std::string>> starts = {{"--utf8", "--no-edit"}, {"--cp932"}, {}};
    for (const std::vector<std::string>& arguments : starts) {
        Session session;
        bool utf8 = arguments.size() == 2;
        TerminalSession terminal(session, arguments, {"KANSU_ENCODING=cp932"});
        auto shown = [utf8](const std::string& text) { return utf8 ? text : Cp932Always(text); };
        Answer_Lines(terminal, {{shown(MENU_END), "1"}, {shown(FORMULA_PROMPT), KEY_UP}}, false);
        EXPECT_TRUE(terminal.WaitFor(shown("おかしいところは^[…なんです。")));
        Answer_Lines(terminal, {{shown(MENU_END), "0"}}, false);
        EXPECT_TRUE(EndedWith(terminal.Wait(), 0));
        EXPECT_EQ(session.Files(), std::vector<std::string>{"stderr"});
    }
}

// Through pipes: KANSU_ENCODING picks the encoding unless an option does
// (the utf8. run adds --utf8 first, so --cp932 still wins there).
TEST(LineEditScenario, EncodingFromTheEnvironmentAndOptions) {
    struct Case {
        const char* variable;
        const char* arguments;
        bool utf8;
    } cases[] = {
        {"utf-8", "", true},
        {"cp932", "", Utf8Run()},
        {"utf-8", "--cp932", false},
    };
    for (const Case& c : cases) {
        Session session;
        SessionResult result = session.RunWithEnvironment(
            std::string("KANSU_ENCODING=") + c.variable, c.arguments, "0\n");
        std::string text = HelpScreen() + MenuText();
        EXPECT_EQ(result.output, PlatformText(c.utf8 ? text : Cp932Always(text)))
            << c.variable << " " << c.arguments;
        EXPECT_EQ(result.exit_status, 0);
    }
}

// A refused formula with control characters (an arrow key typed where no line
// editing runs) shows them as ^[ and the like.
TEST(LineEditScenario, ControlCharactersInARefusedFormulaShownVisibly) {
    Session session;
    SessionResult result = session.Run("1\n\033[A\n1\nx+\001\n0\n");
    EXPECT_TRUE(SameText(HelpScreen() + MenuText() +
                             "計算したい式を入力してくださいな\n"
                             "これは式になってないぞ！プンプン\nおかしいところは^[…なんです。" +
                             ClosingRule() + MenuText() +
                             "計算したい式を入力してくださいな\n"
                             "これは式になってないぞ！プンプン\nおかしいところはx+^A…なんです。" +
                             ClosingRule() + MenuText(),
                         result.output));
}

}  // namespace
