// Test support: what a child process is doing, read from /proc (Linux), so
// that a test acts when the child is ready instead of after a guessed pause.
#ifndef KANSU_TEST_PROCESS_WATCH_H
#define KANSU_TEST_PROCESS_WATCH_H

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// Waits up to a minute until condition() holds; a failure names what.
bool WaitUntil(const std::function<bool()>& condition, const std::string& what);

// Waits up to a minute until the process is blocked reading its standard input.
bool WaitUntilReadingInput(pid_t pid);
// Waits up to a minute until the process has used `seconds` more CPU time,
// all its threads together, than when the wait began.
bool WaitForCpuTime(pid_t pid, double seconds);

// Starts the native program in the folder dir with the arguments (after
// --utf8 in the UTF-8 run of the scenarios), its recovery files kept in
// dir/.kansu-state; standard input reads dir/input_name (/dev/null when
// empty), standard output and error go to dir/NAME.out and dir/NAME.err.
pid_t StartProgram(const std::string& dir, const std::vector<std::string>& arguments,
                   const std::string& name, const std::string& input_name = "");
// Waits for the process to end: its status as waitpid gives it.
int WaitForExit(pid_t pid);
// The size of a file, -1 when there is none.
long long FileSize(const std::string& path);

#endif
