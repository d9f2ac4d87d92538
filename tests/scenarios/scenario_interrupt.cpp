// Ctrl-C and the progress line on the real binary: SIGINT while it sums,
// sweeps or waits at the menu; standard error a file or a pseudo-terminal.
#include "process_watch.h"
#include "session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

namespace {

const std::string FILE_PROMPT =
    "---------------------------------\n出力先のファイル名を入力してください(max79) :";
const std::string BACK_TO_MENU = "計算を中断しました。\n" + ClosingRule() + MenuText();
const std::string REPORT_HEAD = "\n****************************計算結果を記録します\n";
const std::string RESULT_RULE = "----------関数計算の結果-------------\n";

// kansu in the session's directory reading a pipe the test writes; standard
// output goes to the file "stdout", standard error to error_fd.
class Child {
public:
    Child(Session& session, int error_fd) : session_(session) {
        int input[2];
        if (pipe(input) != 0) throw std::runtime_error("pipe failed");
        pid_ = fork();
        if (pid_ == 0) {
            int out = open(session.Path("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (dup2(input[0], 0) < 0 || dup2(out, 1) < 0 || dup2(error_fd, 2) < 0 ||
                close(input[1]) != 0 || chdir(session.Dir().c_str()) != 0)
                _exit(127);
            std::string binary = KansuBinary();
            execl(binary.c_str(), binary.c_str(), Utf8Run() ? "--utf8" : nullptr, nullptr);
            _exit(127);
        }
        close(input[0]);
        input_ = input[1];
    }
    ~Child() {
        close(input_);
        if (status_ == -1) kill(pid_, SIGKILL);
        Wait();
    }
    void Type(const std::string& typed_utf8) {
        std::string bytes = Cp932(typed_utf8);
        ASSERT_EQ(write(input_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Waits up to a minute until standard output ends with the text.
    bool WaitForEnding(const std::string& text_utf8) {
        std::string ending = Cp932(text_utf8);
        for (auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
             std::chrono::steady_clock::now() < deadline;
             std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
            std::string output = Output();
            if (output.size() >= ending.size() &&
                output.compare(output.size() - ending.size(), ending.size(), ending) == 0)
                return true;
        }
        return false;
    }
    int Interrupt() {
        kill(pid_, SIGINT);
        return Wait();
    }
    int Wait() {
        if (status_ == -1 && waitpid(pid_, &status_, 0) != pid_) status_ = -2;
        return status_;
    }
    std::string Output() const { return session_.ReadFile("stdout"); }
    pid_t Pid() const { return pid_; }

private:
    Session& session_;
    pid_t pid_ = -1;
    int input_ = -1;
    int status_ = -1;
};

int ErrorFile(Session& session) {
    return open(session.Path("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
}

// Standard error is not a terminal: no progress line however long the sum runs.
// A sum cut short writes no value: the report keeps its head only.
TEST(InterruptScenario, CtrlCEndsALongSumWithoutAValue) {
    if (WindowsProgram()) GTEST_SKIP() << "Ctrl-C is signalled to the native binary only";
    Session session;
    int error_fd = ErrorFile(session);
    Child child(session, error_fd);
    close(error_fd);
    child.Type("1\nsigma[n(1,2000000000),1/n^2]\nsum.txt\n0\n");
    ASSERT_TRUE(child.WaitForEnding(FILE_PROMPT));
    // The report is opened just before the sum starts; a fifth of a second of
    // work after that is the sum, which takes seconds.
    ASSERT_TRUE(WaitUntil([&] { return session.Exists("sum.txt"); }, "sum.txt"));
    ASSERT_TRUE(WaitForCpuTime(child.Pid(), 0.2));
    int status = child.Interrupt();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(child.WaitForEnding(FILE_PROMPT + BACK_TO_MENU));
    EXPECT_TRUE(SameText(REPORT_HEAD + RESULT_RULE, session.ReadFile("sum.txt")));
    EXPECT_EQ(session.ReadFile("stderr"), "");
}

// A sweep cut short keeps its whole lines; the progress line shows on the
// terminal only and is erased (a return, blanks over it, a return).
TEST(InterruptScenario, CtrlCEndsASweepWithProgressOnTheTerminal) {
    if (WindowsProgram()) GTEST_SKIP() << "Ctrl-C is signalled to the native binary only";
    Session session;
    int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0);
    int error_fd = open(ptsname(terminal), O_RDWR | O_NOCTTY);
    Child child(session, error_fd);
    close(error_fd);
    child.Type("1\nx^2\nx(0,1)[200000000]\nout.txt\n0\n");
    ASSERT_TRUE(child.WaitForEnding(FILE_PROMPT));
    // The progress line shows once the sweep has run a while and written rows.
    std::string shown;
    char buffer[4096];
    const std::string progress = Cp932("計算中 ");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (shown.find(progress) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        pollfd ready = {terminal, POLLIN, 0};
        ssize_t got = poll(&ready, 1, 50) > 0 ? read(terminal, buffer, sizeof buffer) : 0;
        if (got > 0) shown.append(buffer, got);
    }
    ASSERT_NE(shown.find(progress), std::string::npos) << shown;
    child.Interrupt();
    EXPECT_TRUE(child.WaitForEnding(FILE_PROMPT + BACK_TO_MENU));
    fcntl(terminal, F_SETFL, O_NONBLOCK);
    for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;) shown.append(buffer, got);
    close(terminal);
    EXPECT_NE(shown.find(Cp932("計算中 ")), std::string::npos) << shown;
    ASSERT_GT(shown.size(), 2u);
    size_t before_blanks = shown.find_last_not_of(' ', shown.size() - 2);
    EXPECT_TRUE(shown.back() == '\r' && shown[before_blanks] == '\r' &&
                before_blanks < shown.size() - 2);
    EXPECT_EQ(child.Output().find('\r'), std::string::npos);
    std::string report = session.ReadFile("out.txt");
    std::string head = Cp932(REPORT_HEAD + "計算した式はx^2\n");
    EXPECT_EQ(report.compare(0, head.size(), head), 0);
    EXPECT_EQ(report.find('\r'), std::string::npos);
    EXPECT_EQ(report.back(), '\n');
    size_t last_row = report.rfind('\n', report.size() - 2) + 1;
    EXPECT_NE(report.find('\t', last_row), std::string::npos);
    EXPECT_LT(std::count(report.begin(), report.end(), '\n'), 200000001);
}

// At the menu Ctrl-C asks the end-of-run question when functions are unsaved,
// and otherwise ends the program as before.
TEST(InterruptScenario, CtrlCAtTheMenuAsksToSaveUnsavedFunctions) {
    if (WindowsProgram()) GTEST_SKIP() << "Ctrl-C is signalled to the native binary only";
    Session session;
    int error_fd = ErrorFile(session);
    Child child(session, error_fd);
    child.Type("-1\nEnrUsrfunc\n1\nf\n1\na0*2\n");
    ASSERT_TRUE(child.WaitForEnding("\n\n" + MenuText()));
    // Ctrl-C before the read has begun would not cut it short.
    ASSERT_TRUE(WaitUntilReadingInput(child.Pid()));
    kill(child.Pid(), SIGINT);
    ASSERT_TRUE(child.WaitForEnding(MenuText() +
                                    "\nユーザ定義関数の変更を保存しますか? Yes-->1 No-->2 \n"));
    child.Type("1\nsaved.dat\n");
    int status = child.Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(session.Exists("saved.dat"));

    Session nothing_unsaved;
    Child idle(nothing_unsaved, error_fd);
    close(error_fd);
    ASSERT_TRUE(idle.WaitForEnding(MenuText()));
    status = idle.Interrupt();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
}

}  // namespace
