// Test support: code page 932 conversion, byte-exact comparison, and running
// the real kansu binary on a typed session in a fresh temporary directory.
#ifndef KANSU_TEST_SESSION_H
#define KANSU_TEST_SESSION_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

// UTF-8 text to code page 932 bytes (the program's output encoding), and back;
// in a --utf8 run (KANSU_TEST_UTF8 set) both return the text unchanged.
std::string Cp932(const std::string& utf8);
std::string Utf8(const std::string& cp932);
// UTF-8 text to code page 932 bytes in either run.
std::string Cp932Always(const std::string& utf8);

// The program under test: the native binary, or the command in KANSU_COMMAND
// (e.g. "wine /path/kansu.exe"). KANSU_WINDOWS=1 says that the program is the
// Windows build, whose console output and text files end their lines in CR LF.
bool WindowsProgram();
// Text with LF line ends as the program writes it on its platform (CR LF on Windows).
std::string PlatformText(const std::string& text);
// The reverse, for tests that take a written text apart: CR LF back to LF.
// Under Windows a line feed without its carriage return fails the test.
std::string UnixText(const std::string& platform_text);

// Whether this is the --utf8 run of the scenarios, and the native binary.
bool Utf8Run();
std::string KansuBinary();
// The shell command that starts the program under test, without arguments.
std::string ProgramCommandLine();

// Passes when actual (code page 932 bytes) equals expected (UTF-8, converted,
// with the platform's line ends); the failure message shows both as UTF-8 and
// the first differing line.
::testing::AssertionResult SameText(const std::string& expected_utf8,
                                    const std::string& actual_cp932);

// How often part stands in text.
size_t Occurrences(const std::string& text, const std::string& part);

// The bytes of a file (empty when it cannot be read).
std::string Read_WholeFile(const std::string& path);

// The help screen and the menu exactly as the shell prints them (UTF-8).
std::string HelpScreen();
std::string MenuText();
// The line end and rule printed after each calculation mode.
std::string ClosingRule();

struct SessionResult {
    std::string output;        // standard output, code page 932 bytes
    std::string error_output;  // standard error
    int exit_status;
};

// Names of the files in a directory, sorted.
std::vector<std::string> Sorted_FileNames(const std::string& dir);
// Makes a new empty directory /tmp/STEM-XXXXXX (throws when it cannot) and returns its path.
std::string Make_ScratchDir(const std::string& stem);

class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Runs kansu with the typed text (UTF-8, converted) on standard input.
    // Anything on standard error (a sanitizer report) fails the test.
    SessionResult Run(const std::string& typed_utf8);
    // Runs kansu with standard input closed.
    SessionResult RunClosedInput();
    // Runs kansu with command-line arguments; standard error is returned, not checked.
    SessionResult RunWithArguments(const std::string& arguments, const std::string& typed_utf8);
    // The same with environment assignments ("NAME=value ...") for the program;
    // standard error is checked to be empty unless error_output_returned.
    SessionResult RunWithEnvironment(const std::string& assignments, const std::string& arguments,
                                     const std::string& typed_utf8,
                                     bool error_output_returned = false);

    // Runs kansu with arguments after the shell words (e.g. "ulimit -f 8;") in
    // the same shell, the typed text on standard input; standard error is
    // returned, not checked.
    SessionResult RunAfterShellWords(const std::string& shell_words, const std::string& arguments,
                                     const std::string& typed_utf8 = "");

    std::string Path(const std::string& name) const;
    void WriteFile(const std::string& name, const std::string& bytes) const;
    std::string ReadFile(const std::string& name) const;
    bool Exists(const std::string& name) const;
    // Names of the files in the directory, sorted, without the harness's own files.
    std::vector<std::string> Files() const;
    // Paths of the recovery files the runs left in the session's state folder, sorted.
    std::vector<std::string> RecoveryFiles() const;

    const std::string& Dir() const { return dir_; }

private:
    SessionResult Launch(const std::string& input_redirect, const std::string& arguments = "",
                         bool quiet_error_output = true, const std::string& assignments = "",
                         const std::string& shell_words = "");
    std::string dir_;
};

#endif
