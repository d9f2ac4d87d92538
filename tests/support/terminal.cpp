#include "terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

const char* const KEY_UP = "\033[A";
const char* const KEY_LEFT = "\033[D";
const char* const KEY_ENTER = "\r";
const char* const KEY_TAB = "\t";
const char* const KEY_BACKSPACE = "\177";
const char* const KEY_CTRL_C = "\003";
const char* const KEY_CTRL_D = "\004";

namespace {
// However loaded the machine, kansu answers within this; a wait that ends
// here is a failure, never a retry.
const auto PATIENCE = std::chrono::minutes(1);

std::chrono::steady_clock::time_point Deadline() {
    return std::chrono::steady_clock::now() + PATIENCE;
}

[[noreturn]] void Start_Child(Session& session, const std::string& terminal_name,
                              const std::vector<std::string>& arguments,
                              const std::vector<std::string>& environment, bool error_on_terminal) {
    setsid();
    int terminal = open(terminal_name.c_str(), O_RDWR);  // becomes the controlling terminal
    int error_file = error_on_terminal
                         ? terminal
                         : open(session.Path("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (terminal < 0 || error_file < 0 || dup2(terminal, 0) < 0 || dup2(terminal, 1) < 0 ||
        dup2(error_file, 2) < 0 || chdir(session.Dir().c_str()) != 0)
        _exit(127);
    unsetenv("XDG_STATE_HOME");
    unsetenv("KANSU_ENCODING");
    // The terminal's character set is chosen by the test alone (a UTF-8 one
    // would make kansu speak UTF-8).
    for (const char* locale : {"LC_ALL", "LC_CTYPE", "LANG"}) unsetenv(locale);
    setenv("TERM", "xterm", 1);
    setenv("HOME", session.Dir().c_str(), 1);
    for (const std::string& entry : environment) putenv(const_cast<char*>(entry.c_str()));
    std::string binary = KansuBinary();
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& word : arguments) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
}
}  // namespace

TerminalSession::TerminalSession(Session& session, const std::vector<std::string>& arguments,
                                 const std::vector<std::string>& environment,
                                 ErrorOutput error_output)
    : editing_(std::find(arguments.begin(), arguments.end(), "--no-edit") == arguments.end()) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error("no pseudo-terminal");
    winsize size = {};
    size.ws_row = 24;
    size.ws_col = 80;
    ioctl(master_, TIOCSWINSZ, &size);
    std::string terminal_name = ptsname(master_);
    pid_ = fork();
    if (pid_ == 0)
        Start_Child(session, terminal_name, arguments, environment,
                    error_output == ERROR_TO_TERMINAL);
    if (pid_ < 0) throw std::runtime_error("fork failed");
}

TerminalSession::~TerminalSession() {
    if (status_ == -1) {
        kill(pid_, SIGKILL);
        Wait();
    }
    close(master_);
}

void TerminalSession::Type(const std::string& keys) {
    ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
}

void TerminalSession::Resize(int columns) {
    winsize size = {};
    size.ws_row = 24;
    size.ws_col = static_cast<unsigned short>(columns);
    ioctl(master_, TIOCSWINSZ, &size);  // the kernel signals SIGWINCH to kansu
}

void TerminalSession::ReadAvailable(int milliseconds) {
    pollfd ready = {master_, POLLIN, 0};
    char block[4096];
    ssize_t got = poll(&ready, 1, milliseconds) > 0 ? read(master_, block, sizeof block) : 0;
    if (got > 0) shown_.append(block, static_cast<size_t>(got));
    // Once kansu has closed the terminal, poll no longer waits.
    else if (ready.revents != 0)
        usleep(milliseconds * 1000);
}

bool TerminalSession::WaitFor(const std::string& text) {
    for (auto deadline = Deadline(); std::chrono::steady_clock::now() < deadline;) {
        size_t at = shown_.find(text, found_up_to_);
        if (at != std::string::npos) {
            found_up_to_ = at + text.size();
            return true;
        }
        ReadAvailable(50);
    }
    ADD_FAILURE() << "the screen never showed: " << text << "\n--- screen ---\n" << shown_;
    return false;
}

bool TerminalSession::WaitForLineEditor() {
    for (auto deadline = Deadline(); std::chrono::steady_clock::now() < deadline;) {
        termios settings = {};
        if (tcgetattr(master_, &settings) == 0 && (settings.c_lflag & ICANON) == 0) return true;
        ReadAvailable(10);  // the screen is read meanwhile, so kansu never waits to write
    }
    ADD_FAILURE() << "the line editor never took the terminal\n--- screen ---\n" << shown_;
    return false;
}

bool TerminalSession::Answer(const std::string& prompt, const std::string& keys) {
    if (!WaitFor(prompt) || (editing_ && !WaitForLineEditor())) return false;
    Type(keys);
    return true;
}

int TerminalSession::Wait() {
    for (auto deadline = Deadline();
         status_ == -1 && std::chrono::steady_clock::now() < deadline;) {
        ReadAvailable(50);
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    }
    if (status_ == -1) {
        ADD_FAILURE() << "kansu did not end\n--- screen ---\n" << shown_;
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
    return status_;
}

bool TerminalSession::LineModeRestored() const {
    termios settings = {};
    if (tcgetattr(master_, &settings) != 0) return false;
    tcflag_t wanted = ICANON | ECHO | ISIG;
    return (settings.c_lflag & wanted) == wanted && (settings.c_iflag & ICRNL) != 0;
}
