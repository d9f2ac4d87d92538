// Test support: the real kansu binary on a pseudo-terminal (80 columns),
// typed at key by key, with its screen output collected.
#ifndef KANSU_TEST_TERMINAL_H
#define KANSU_TEST_TERMINAL_H

#include <sys/types.h>

#include <string>
#include <vector>

#include "session.h"

// Keys as a terminal sends them.
extern const char* const KEY_UP;
extern const char* const KEY_LEFT;
extern const char* const KEY_ENTER;
extern const char* const KEY_TAB;
extern const char* const KEY_BACKSPACE;
extern const char* const KEY_CTRL_C;
extern const char* const KEY_CTRL_D;

class TerminalSession {
public:
    // Where standard error goes: the file "stderr", or the terminal too.
    enum ErrorOutput { ERROR_TO_FILE, ERROR_TO_TERMINAL };
    // Starts kansu in the session's directory (also HOME) with TERM=xterm and
    // the "NAME=value" entries given, on a terminal of 80 columns.
    TerminalSession(Session& session, const std::vector<std::string>& arguments,
                    const std::vector<std::string>& environment = {},
                    ErrorOutput error_output = ERROR_TO_FILE);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    void Type(const std::string& keys);
    // Gives the terminal another width, as dragging a window's edge does.
    void Resize(int columns);
    // Waits up to a minute until the screen shows text after what the last wait found.
    bool WaitFor(const std::string& text);
    // Waits until the line editor has the terminal: keys typed earlier would
    // meet the terminal's own line editing.
    bool WaitForLineEditor();
    // Waits for the prompt and (unless started with --no-edit) for the line
    // editor, then types the keys.
    bool Answer(const std::string& prompt, const std::string& keys);
    // Waits up to a minute for the end; the status as waitpid gives it.
    int Wait();
    std::string Shown() const { return shown_; }
    pid_t Pid() const { return pid_; }
    // Whether the terminal is in its ordinary line mode, as before kansu started.
    bool LineModeRestored() const;

private:
    void ReadAvailable(int milliseconds);

    bool editing_ = true;
    int master_ = -1;
    pid_t pid_ = -1;
    int status_ = -1;
    std::string shown_;
    size_t found_up_to_ = 0;
};

#endif
