// Ctrl-C and the progress line, on the real binary: the child gets SIGINT while
// it sweeps or waits at the menu; its standard error is a file or a terminal.
#include "session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

const std::string FILE_PROMPT =
    "---------------------------------\n出力先のファイル名を入力してください(max79) :";
const std::string INTERRUPTED = "計算を中断しました。\n";
const std::string SAVE_QUESTION = "ユーザ定義関数の変更を保存しますか? Yes-->1 No-->2 \n";
// Long enough that no run ends before the signal, even under the sanitizers.
const std::string LONG_SWEEP = "1\nx^2\nx(0,1)[200000000]\nout.txt\n0\n";

// kansu in the session's directory: standard input is a pipe the test writes,
// standard output a file, standard error a file or the terminal of error_tty.
class Child {
public:
    Child(Session& session, int error_fd) : session_(session) {
        int input[2];
        if (pipe(input) != 0) throw std::runtime_error("pipe failed");
        pid_ = fork();
        if (pid_ == 0) {
            dup2(input[0], 0);
            int out = open(session.Path("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
            dup2(error_fd, 2);
            close(input[1]);
            if (chdir(session.Dir().c_str()) != 0) _exit(127);
            std::string binary = KansuBinary();
            const char* utf8 = Utf8Run() ? "--utf8" : nullptr;
            execl(binary.c_str(), binary.c_str(), utf8, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(input[0]);
        input_ = input[1];
    }
    ~Child() {
        if (input_ >= 0) close(input_);
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            Wait();
        }
    }
    void Type(const std::string& typed_utf8) {
        std::string bytes = Cp932(typed_utf8);
        ASSERT_EQ(write(input_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Waits until standard output holds the text (UTF-8, converted).
    bool WaitForOutput(const std::string& text_utf8) {
        for (int tries = 0; tries < 600; ++tries) {
            if (Output().find(Cp932(text_utf8)) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    void Interrupt() { kill(pid_, SIGINT); }
    int Wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        status_ = status;
        return status;
    }
    std::string Output() const { return session_.ReadFile("stdout"); }

private:
    Session& session_;
    pid_t pid_ = -1;
    int input_ = -1;
    int status_ = -1;
};

// Complete report lines after the head: each "point\tvalue".
void ExpectWholeLines(const std::string& report, size_t most) {
    size_t head_end = report.find(Cp932("変数x\t関数計算値\n"));
    ASSERT_NE(head_end, std::string::npos);
    std::string rows = report.substr(head_end + Cp932("変数x\t関数計算値\n").size());
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back(), '\n');
    size_t count = 0;
    for (size_t start = 0; start < rows.size(); ++count) {
        size_t end = rows.find('\n', start);
        EXPECT_NE(rows.find('\t', start), std::string::npos);
        start = end + 1;
    }
    EXPECT_LT(count, most);
}

void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

TEST(InterruptScenario, CtrlCEndsTheSweepAndTheMenuComesBack) {
    Session session;
    int error_fd = open(session.Path("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Child child(session, error_fd);
    close(error_fd);
    child.Type(LONG_SWEEP);
    ASSERT_TRUE(child.WaitForOutput(FILE_PROMPT));
    Pause(1000);  // past the half second after which a terminal would show progress
    child.Interrupt();
    int status = child.Wait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::string output = child.Output();
    std::string ending = Cp932(FILE_PROMPT + INTERRUPTED) + Cp932(ClosingRule() + MenuText());
    ASSERT_GE(output.size(), ending.size());
    EXPECT_TRUE(SameText(Utf8(ending), output.substr(output.size() - ending.size())));
    EXPECT_EQ(session.ReadFile("stderr"), "");  // not a terminal: no progress line
    ExpectWholeLines(session.ReadFile("out.txt"), 200000001);
}

// A sum cut short writes no value: the report keeps its head only.
TEST(InterruptScenario, CtrlCEndsALongSumWithoutAValue) {
    Session session;
    int error_fd = open(session.Path("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Child child(session, error_fd);
    close(error_fd);
    child.Type("1\nsigma[n(1,2000000000),1/n^2]\nsum.txt\n0\n");
    ASSERT_TRUE(child.WaitForOutput(FILE_PROMPT));
    Pause(700);
    child.Interrupt();
    int status = child.Wait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(child.WaitForOutput(FILE_PROMPT + INTERRUPTED + ClosingRule() + MenuText()));
    EXPECT_TRUE(SameText("\n****************************計算結果を記録します\n"
                         "----------関数計算の結果-------------\n",
                         session.ReadFile("sum.txt")));
}

// On a terminal the progress line shows there, and only there.
TEST(InterruptScenario, ProgressGoesToTheTerminalOnly) {
    Session session;
    int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(grantpt(terminal), 0);
    ASSERT_EQ(unlockpt(terminal), 0);
    int error_fd = open(ptsname(terminal), O_RDWR | O_NOCTTY);
    ASSERT_GE(error_fd, 0);
    Child child(session, error_fd);
    close(error_fd);
    child.Type(LONG_SWEEP);
    ASSERT_TRUE(child.WaitForOutput(FILE_PROMPT));
    Pause(1500);
    child.Interrupt();
    child.Wait();
    std::string shown;
    char buffer[4096];
    fcntl(terminal, F_SETFL, O_NONBLOCK);
    for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;) shown.append(buffer, got);
    close(terminal);
    EXPECT_NE(shown.find(Cp932("計算中 ")), std::string::npos) << shown;
    EXPECT_NE(shown.find(Cp932(" 点  残り約 ")), std::string::npos);
    // The line is erased at the end: a return, blanks over it, a return.
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), '\r');
    size_t before_blanks = shown.find_last_not_of(' ', shown.size() - 2);
    EXPECT_LT(before_blanks, shown.size() - 2);
    EXPECT_EQ(shown[before_blanks], '\r');
    EXPECT_EQ(child.Output().find('\r'), std::string::npos);
    EXPECT_EQ(child.Output().find(Cp932("計算中")), std::string::npos);
    ExpectWholeLines(session.ReadFile("out.txt"), 200000001);
}

// At the menu, Ctrl-C with unsaved functions asks the end-of-run question;
// without them it ends the program as before.
TEST(InterruptScenario, CtrlCAtTheMenuAsksToSaveUnsavedFunctions) {
    Session session;
    int error_fd = open(session.Path("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Child child(session, error_fd);
    child.Type("-1\nEnrUsrfunc\n1\nf\n1\na0*2\n");
    ASSERT_TRUE(child.WaitForOutput("登録された関数は\n"));
    Pause(300);
    child.Interrupt();
    ASSERT_TRUE(child.WaitForOutput(SAVE_QUESTION));
    child.Type("1\nsaved.dat\n");
    int status = child.Wait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(session.Exists("saved.dat"));

    Session nothing_unsaved;
    Child idle(nothing_unsaved, error_fd);
    close(error_fd);
    ASSERT_TRUE(idle.WaitForOutput("終了             :0\n"));
    idle.Interrupt();
    status = idle.Wait();
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGINT);
}

}  // namespace
