#include "process_watch.h"

#include "session.h"

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {
const auto PATIENCE = std::chrono::minutes(1);
const auto POLL_EVERY = std::chrono::milliseconds(5);

std::string ProcFile(pid_t pid, const char* name) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// User and system time in clock ticks; -1 when the process is gone.
long long CpuTicks(pid_t pid) {
    std::string stat = ProcFile(pid, "stat");
    size_t name_end = stat.rfind(')');
    if (name_end == std::string::npos) return -1;
    // After the name: state, then fields 4 to 13, then utime and stime.
    std::istringstream fields(stat.substr(name_end + 1));
    std::string skipped;
    for (int field = 3; field <= 13; ++field) fields >> skipped;
    long long user = 0;
    long long system = 0;
    if (!(fields >> user >> system)) return -1;
    return user + system;
}
}  // namespace

bool WaitUntil(const std::function<bool()>& condition, const std::string& what) {
    for (auto deadline = std::chrono::steady_clock::now() + PATIENCE;
         std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(POLL_EVERY))
        if (condition()) return true;
    ADD_FAILURE() << "waited a minute in vain for " << what;
    return false;
}

bool WaitUntilReadingInput(pid_t pid) {
    // A blocked task shows its system call number and arguments; a running one
    // shows "running".
    const std::string reading = std::to_string(SYS_read) + " 0x0 ";
    std::string seen;
    for (auto deadline = std::chrono::steady_clock::now() + PATIENCE;
         std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(POLL_EVERY)) {
        seen = ProcFile(pid, "syscall");
        if (seen.compare(0, reading.size(), reading) == 0) return true;
    }
    ADD_FAILURE() << "process " << pid
                  << " never blocked reading standard input; last seen: " << seen;
    return false;
}

bool WaitForCpuTime(pid_t pid, double seconds) {
    long long start = CpuTicks(pid);
    long long wanted = static_cast<long long>(seconds * sysconf(_SC_CLK_TCK) + 0.5);
    long long used = 0;
    for (auto deadline = std::chrono::steady_clock::now() + PATIENCE;
         start >= 0 && std::chrono::steady_clock::now() < deadline;
         std::this_thread::sleep_for(POLL_EVERY)) {
        long long now = CpuTicks(pid);
        if (now < 0) break;
        used = now - start;
        if (used >= wanted) return true;
    }
    ADD_FAILURE() << "process " << pid << " used " << used << " of the " << wanted
                  << " clock ticks awaited";
    return false;
}

pid_t StartProgram(const std::string& dir, const std::vector<std::string>& arguments,
                   const std::string& name, const std::string& input_name) {
    std::string binary = KansuBinary();
    std::vector<std::string> words = {binary};
    if (Utf8Run()) words.push_back("--utf8");
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::string state = "XDG_STATE_HOME=" + dir + "/.kansu-state";
    pid_t pid = fork();
    if (pid != 0) return pid;
    std::string input = input_name.empty() ? "/dev/null" : dir + "/" + input_name;
    int in = open(input.c_str(), O_RDONLY);
    int out = open((dir + "/" + name + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int error = open((dir + "/" + name + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || error < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 ||
        dup2(error, 2) < 0 || chdir(dir.c_str()) != 0 || putenv(&state[0]) != 0)
        _exit(127);
    // As Session runs it: no encoding, evaluator or locale from the tester's environment.
    for (const char* name : {"KANSU_ENCODING", "KANSU_MACHINE_CODE", "LC_ALL", "LC_CTYPE", "LANG"})
        unsetenv(name);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
}

int WaitForExit(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, 0) == pid ? status : -1;
}

long long FileSize(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}
