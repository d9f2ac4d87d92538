// Test support: what a child process is doing, read from /proc (Linux), so
// that a test acts when the child is ready instead of after a guessed pause.
#ifndef KANSU_TEST_PROCESS_WATCH_H
#define KANSU_TEST_PROCESS_WATCH_H

#include <sys/types.h>

#include <functional>
#include <string>

// Waits up to a minute until condition() holds; a failure names what.
bool WaitUntil(const std::function<bool()>& condition, const std::string& what);

// Waits up to a minute until the process is blocked reading its standard input.
bool WaitUntilReadingInput(pid_t pid);
// Waits up to a minute until the process has used `seconds` more CPU time,
// all its threads together, than when the wait began.
bool WaitForCpuTime(pid_t pid, double seconds);

#endif
