// A sweep where no worker thread can be started runs on the main thread alone.
// It has a test program of its own: the worker pool must not have been used
// before the threads are refused.
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <system_error>
#include <thread>
#include <vector>

#include "report/parallelsweep.h"

namespace {

enum ChildOutcome { SWEPT_WHOLE = 0, SWEEP_WRONG = 1, THREADS_STILL_START = 2, NO_USER = 3 };

// No further thread or process for this user: as root, the user "nobody".
bool Refuse_Threads() {
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (nobody == nullptr || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
            return false;
    }
    rlimit none = {0, 0};
    return setrlimit(RLIMIT_NPROC, &none) == 0;
}

bool Thread_Starts() {
    try {
        std::thread probe([] {});
        probe.join();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

// Three lanes over three chunks, the second stopping halfway when short is set.
bool Sweep_Alone(bool short_second) {
    ParallelSweep sweep(3, 3 * CHUNK_POINTS, 1);
    std::vector<long long> firsts;
    long long written = 0;
    int last_lane = sweep.Run(
        [&](int, SweepChunk& chunk) {
            bool whole = !(short_second && chunk.first == CHUNK_POINTS);
            chunk.done = whole ? chunk.count : chunk.count / 2;
        },
        [&](const SweepChunk& chunk) {
            firsts.push_back(chunk.first);
            written += chunk.done;
        });
    if (short_second)
        return last_lane == 0 && firsts == std::vector<long long>{0, CHUNK_POINTS} &&
               written == CHUNK_POINTS + CHUNK_POINTS / 2;
    return last_lane == 0 && firsts == std::vector<long long>{0, CHUNK_POINTS, 2 * CHUNK_POINTS} &&
           written == 3 * CHUNK_POINTS;
}

TEST(SweepWithoutThreads, EveryChunkIsEvaluatedAndWrittenInOrder) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!Refuse_Threads()) _exit(NO_USER);
        if (Thread_Starts()) _exit(THREADS_STILL_START);
        _exit(Sweep_Alone(false) && Sweep_Alone(true) ? SWEPT_WHOLE : SWEEP_WRONG);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the sweep ended by signal " << status;
    if (WEXITSTATUS(status) == NO_USER) GTEST_SKIP() << "no user \"nobody\" to drop root for";
    if (WEXITSTATUS(status) == THREADS_STILL_START)
        GTEST_SKIP() << "threads still start under RLIMIT_NPROC 0 (a privileged user)";
    EXPECT_EQ(WEXITSTATUS(status), SWEPT_WHOLE) << "the chunks were not all written in order";
}

}  // namespace
