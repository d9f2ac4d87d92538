// Line editing with libedit. std::cin reads through EditedInputBuf, which asks
// the editor for a whole line when it runs dry; std::cout writes through a
// HeldPromptBuf, whose held text becomes the editor's prompt. Every program
// read therefore sees exactly the bytes a plain read of the typed lines would.
#include "console/lineedit.h"

#include <histedit.h>
#include <langinfo.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iostream>
#include <string>
#include <vector>

#include "console/completion.h"
#include "console/dialoguecancel.h"
#include "console/heldprompt.h"
#include "console/history.h"
#include "console/historyfile.h"
#include "console/inputkind.h"
#include "console/interrupt.h"
#include "text/messages.h"
#include "userfunc/usrfunc.h"

namespace {
class EditedInputBuf : public std::streambuf {
public:
    // Reads again after an end of input (Ctrl-D on an empty line).
    void Resume() { at_end_ = false; }

protected:
    int_type underflow() override;

private:
    int_type End_OfInput();

    std::string line_;
    bool at_end_ = false;  // Ctrl-D on an empty line: nothing more is read
};

// A line offered at the next read of its kind at its place.
struct Mending {
    InputKind kind;
    ReadPlace place;
    std::string keys;  // the line and the keys back to its fault
};

bool Same_Place(const ReadPlace& one, const ReadPlace& other) {
    return one.above == other.above && one.prompt == other.prompt;
}

struct EditSession {
    EditLine* editor = nullptr;
    History* histories[KEPT_INPUT_KIND_COUNT] = {};
    History* no_history = nullptr;  // for reads that keep nothing
    HistoryStore store;
    HistoryFile file{""};
    bool history_changed = false;
    bool warned = false;  // the one line on standard error has been written
    termios terminal_settings = {};
    HeldPromptBuf* output = nullptr;
    std::streambuf* plain_output = nullptr;
    EditedInputBuf input;
    std::streambuf* plain_input = nullptr;
    ReadPlace place;  // of the line being read, or last read
    InputKind reading_kind = InputKind::Other;
    bool interrupted = false;           // the last read was cut short by Ctrl-C
    bool end_requested_before = false;  // Ctrl-C had asked to end before this line
    std::vector<Mending> mendings;      // one at most per kind and place
};

EditSession* session = nullptr;
volatile sig_atomic_t editing_active = 0;
volatile sig_atomic_t history_writing = 0;
volatile sig_atomic_t window_resized = 0;
volatile sig_atomic_t continued = 0;   // SIGCONT: back in the foreground after Ctrl-Z
volatile sig_atomic_t line_shown = 0;  // the editor is reading a line on the screen

const int ENDING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Signals that may end the program and write the history are held off while
// the text to write changes.
class EndingSignalsBlocked {
public:
    EndingSignalsBlocked() {
        sigset_t blocked;
        sigemptyset(&blocked);
        for (int signal_number : ENDING_SIGNALS) sigaddset(&blocked, signal_number);
        sigprocmask(SIG_BLOCK, &blocked, &saved_);
    }
    ~EndingSignalsBlocked() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }

private:
    sigset_t saved_;
};

void Warn_Once(const char* message, const std::string& path) {
    if (session->warned) return;
    session->warned = true;
    std::cerr << message << path << std::endl;
}

bool Utf8_Locale() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr &&
           (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

// libedit decodes typed bytes with the character locale: the user's when it
// is UTF-8, else a UTF-8 one the C library has. Only the character classes
// change; numbers and streams keep the classic locale.
bool Use_Utf8Locale() {
    for (const char* name : {"", "C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        if (std::setlocale(LC_CTYPE, name) != nullptr && Utf8_Locale()) return true;
    }
    std::setlocale(LC_CTYPE, "C");
    return false;
}

History* History_For(InputKind kind) {
    int index = InputKind_Index(kind);
    return index < 0 ? session->no_history : session->histories[index];
}

void Remember(InputKind kind, const std::string& line) {
    if (InputKind_Index(kind) < 0 || line.empty()) return;
    HistEvent event;
    history(History_For(kind), &event, H_ENTER, line.c_str());
    EndingSignalsBlocked blocked;
    session->store.Add(kind, line);
    session->file.Prepare(session->store.Text());
    session->history_changed = true;
}

// How long a wait for a key goes before it looks again whether Ctrl-C asked
// the program to end: the signal may arrive just before the wait begins.
const int END_LOOK_MILLISECONDS = 100;

// Back after Ctrl-Z and fg: the shell may have set the terminal its own way
// and written over the screen, so the editor's settings are taken again and
// the prompt and the line are drawn afresh.
void Resume_Editing(EditLine* editor) {
    el_set(editor, EL_PREP_TERM, 0);
    el_set(editor, EL_PREP_TERM, 1);
    el_resize(editor);
    el_set(editor, EL_REFRESH);
}

// Ctrl-D on an empty line of a dialogue cancels it here, as Ctrl-C does: the
// editor would first show it as ^D.
bool Cancels_Dialogue(EditLine* editor, char byte) {
    if (byte != '\004') return false;
    const LineInfo* line = el_line(editor);
    return line->buffer == line->lastchar && Cancel_Dialogue();
}

// Reads one character for the editor: the bytes of a UTF-8 sequence make one
// wide character; Ctrl-C with unsaved work ends the line as a failed read.
int Read_Character(EditLine* editor, wchar_t* character) {
    std::mbstate_t state{};
    for (;;) {
        if (window_resized != 0) {
            window_resized = 0;
            el_resize(editor);
        }
        if (continued != 0) {
            continued = 0;
            Resume_Editing(editor);
        }
        // A Ctrl-C that came after this line began but before the wait is
        // seen at the next look; one during the wait cuts the wait short.
        bool signalled = Dialogue_Cancelled();
        if (Program_EndRequested() && !session->end_requested_before) signalled = true;
        pollfd typed = {STDIN_FILENO, POLLIN, 0};
        int ready = signalled ? -1 : poll(&typed, 1, END_LOOK_MILLISECONDS);
        if (ready == 0) continue;
        char byte = 0;
        ssize_t got = ready < 0 ? -1 : read(STDIN_FILENO, &byte, 1);
        if (got == 0) return 0;
        if (got < 0) {
            if (!signalled && errno != EINTR) return -1;
            if (Dialogue_Cancelled() || Program_EndRequested()) {
                session->interrupted = true;
                return -1;
            }
            continue;
        }
        if (Cancels_Dialogue(editor, byte)) {
            session->interrupted = true;
            return -1;
        }
        wchar_t decoded = 0;
        size_t used = std::mbrtowc(&decoded, &byte, 1, &state);
        if (used == static_cast<size_t>(-2)) continue;
        *character = used == static_cast<size_t>(-1) ? L'\uFFFD' : decoded;
        return 1;
    }
}

char* Current_Prompt(EditLine*) { return &session->place.prompt[0]; }

// Starts the line with the line offered for this kind of read at this place.
void Push_Mending() {
    std::vector<Mending>& mendings = session->mendings;
    for (auto mending = mendings.begin(); mending != mendings.end(); ++mending) {
        if (mending->kind != session->reading_kind || !Same_Place(mending->place, session->place))
            continue;
        el_push(session->editor, mending->keys.c_str());
        mendings.erase(mending);
        return;
    }
}

// Keeps line to be offered at place, replacing what was offered there before.
void Keep_Mending(InputKind kind, const ReadPlace& place, const char* line, int fault) {
    std::string keys(line);
    if (keys.empty()) return;
    for (char letter : keys)
        if (static_cast<unsigned char>(letter) < 0x20 || letter == 0x7F) return;
    // Ctrl-B (back one character) for every character after the fault.
    size_t back = 0;
    if (fault >= 0)
        for (size_t at = static_cast<size_t>(fault); at < keys.size(); ++at)
            if ((static_cast<unsigned char>(keys[at]) & 0xC0) != 0x80) ++back;
    keys.append(back, '\002');
    for (Mending& mending : session->mendings) {
        if (mending.kind == kind && Same_Place(mending.place, place)) {
            mending.keys = keys;
            return;
        }
    }
    session->mendings.push_back(Mending{kind, place, keys});
}

void Show_Choices(const std::vector<std::string>& choices) {
    std::string list = "\n";
    for (const std::string& choice : choices) list += choice + "  ";
    list += "\n";
    std::fputs(list.c_str(), stdout);
    std::fflush(stdout);
}

unsigned char Complete(EditLine* editor, int) {
    const LineInfo* line = el_line(editor);
    std::string before_cursor(line->buffer, line->cursor);
    Completion completion = Complete_Word(session->reading_kind, before_cursor, g_ufunc_list);
    if (!completion.insert.empty()) {
        return el_insertstr(editor, completion.insert.c_str()) == 0 ? CC_REFRESH : CC_ERROR;
    }
    if (completion.choices.empty()) return CC_ERROR;
    Show_Choices(completion.choices);
    return CC_REDISPLAY;
}

extern "C" void On_WindowResize(int) { window_resized = 1; }
extern "C" void On_Continue(int) { continued = 1; }

// Resizes and continuations are noted at the next look for a key; no output
// is cut short.
void Note_Signal(int signal_number, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
}

void Bind_Keys(EditLine* editor) {
    el_set(editor, EL_EDITOR, "emacs");
    // Wide names: the narrow call would leave its converted copies allocated.
    el_wset(editor, EL_ADDFN, L"kansu-complete", L"complete the word before the cursor", Complete);
    el_set(editor, EL_BIND, "^I", "kansu-complete", nullptr);
    el_set(editor, EL_BIND, "^R", "em-inc-search-prev", nullptr);
    el_set(editor, EL_BIND, "^W", "ed-delete-prev-word", nullptr);
    const char* const keys[][2] = {
        {"\033[H", "ed-move-to-beg"},       {"\033[F", "ed-move-to-end"},
        {"\033OH", "ed-move-to-beg"},       {"\033OF", "ed-move-to-end"},
        {"\033[1~", "ed-move-to-beg"},      {"\033[4~", "ed-move-to-end"},
        {"\033[3~", "ed-delete-next-char"},
    };
    for (const auto& key : keys) el_set(editor, EL_BIND, key[0], key[1], nullptr);
    el_source(editor, nullptr);  // the user's ~/.editrc, if any
}

void Load_History() {
    const char* state_home = std::getenv("XDG_STATE_HOME");
    session->file = HistoryFile(History_FilePath(state_home, std::getenv("HOME")));
    std::string text;
    if (!session->file.Path().empty() && !session->file.Read(&text))
        Warn_Once(Msg().HISTORY_UNREADABLE, session->file.Path());
    session->store.Load(text);
    session->file.Prepare(session->store.Text());
    HistEvent event;
    session->no_history = history_init();
    for (int i = 0; i < KEPT_INPUT_KIND_COUNT; ++i) {
        History* kept = history_init();
        history(kept, &event, H_SETSIZE, static_cast<int>(HISTORY_MAX_LINES));
        for (const std::string& line : session->store.Lines(KEPT_INPUT_KINDS[i]))
            history(kept, &event, H_ENTER, line.c_str());
        session->histories[i] = kept;
    }
}

bool Write_History() {
    if (!session->history_changed || history_writing != 0) return true;
    history_writing = 1;
    bool written = session->file.Write();
    if (written) session->history_changed = false;
    history_writing = 0;
    return written;
}

void Stop_AtExit() { Stop_LineEditing(); }
}  // namespace

EditedInputBuf::int_type EditedInputBuf::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (at_end_) return traits_type::eof();
    if (Dialogue_Cancelled()) return End_OfInput();
    std::cout.flush();
    session->place.above = session->output->LastLine();
    session->place.prompt = session->output->TakePrompt();
    session->reading_kind = Current_InputKind();
    session->interrupted = false;
    session->end_requested_before = Program_EndRequested();
    el_set(session->editor, EL_HIST, history, History_For(session->reading_kind));
    Push_Mending();
    int count = 0;
    line_shown = 1;
    const char* typed = el_gets(session->editor, &count);
    line_shown = 0;
    if (typed == nullptr || count <= 0) return End_OfInput();
    line_.assign(typed, static_cast<size_t>(count));
    std::string kept = line_;
    if (!kept.empty() && kept.back() == '\n') kept.pop_back();
    Remember(session->reading_kind, kept);
    setg(&line_[0], &line_[0], &line_[0] + line_.size());
    return traits_type::to_int_type(*gptr());
}

// The read found no line: Ctrl-C or Ctrl-D cancelled a dialogue (whose output
// is then dropped until the shell takes the cancel), or Ctrl-D at the menu
// ended the input. The screen's line is ended either way.
EditedInputBuf::int_type EditedInputBuf::End_OfInput() {
    setg(nullptr, nullptr, nullptr);
    bool cancelled = Dialogue_Cancelled();
    if (!cancelled && !session->interrupted) cancelled = Cancel_Dialogue();
    if (!cancelled && !session->interrupted) at_end_ = true;
    if (cancelled && !std::cout.bad()) {
        std::fputs("\n", stdout);
        std::fflush(stdout);
        std::cout.setstate(std::ios::badbit);
    } else if (at_end_) {
        std::fputs("\n", stdout);
        std::fflush(stdout);
    }
    return traits_type::eof();
}

bool LineEditing_Built() { return true; }

bool Start_LineEditing(bool wanted, bool utf8) {
    if (session != nullptr || !utf8) return false;
    if (!Terminal_CanEdit(wanted, isatty(STDIN_FILENO) != 0, isatty(STDOUT_FILENO) != 0,
                          std::getenv("TERM")))
        return false;
    if (!Use_Utf8Locale()) return false;
    session = new EditSession;
    if (tcgetattr(STDIN_FILENO, &session->terminal_settings) != 0 ||
        (session->editor = el_init("kansu", stdin, stdout, stderr)) == nullptr) {
        delete session;
        session = nullptr;
        return false;
    }
    el_set(session->editor, EL_PROMPT, Current_Prompt);
    el_set(session->editor, EL_GETCFN, Read_Character);
    Bind_Keys(session->editor);
    Load_History();
    std::cout.flush();
    session->plain_output = std::cout.rdbuf();
    session->output = new HeldPromptBuf(session->plain_output);
    std::cout.rdbuf(session->output);
    session->plain_input = std::cin.rdbuf(&session->input);
    Note_Signal(SIGWINCH, On_WindowResize);
    Note_Signal(SIGCONT, On_Continue);
    editing_active = 1;
    std::atexit(Stop_AtExit);
    return true;
}

ReadPlace Last_ReadPlace() { return session == nullptr ? ReadPlace() : session->place; }

void Offer_ForMending(InputKind kind, const char* line, int fault) {
    if (session != nullptr) Keep_Mending(kind, session->place, line, fault);
}

void Offer_Again(InputKind kind, const ReadPlace& place, const char* line) {
    if (session != nullptr) Keep_Mending(kind, place, line, -1);
}

void Stop_LineEditing() {
    if (session == nullptr) return;
    editing_active = 0;
    // No handler of the editor's outlives it (a leak checker at exit clones the
    // process and must not meet them).
    Note_Signal(SIGWINCH, SIG_DFL);
    Note_Signal(SIGCONT, SIG_DFL);
    if (!Write_History()) Warn_Once(Msg().HISTORY_UNWRITABLE, session->file.Path());
    session->output->Release();
    std::cout.rdbuf(session->plain_output);
    std::cin.rdbuf(session->plain_input);
    el_end(session->editor);
    for (History* kept : session->histories) history_end(kept);
    history_end(session->no_history);
    tcsetattr(STDIN_FILENO, TCSADRAIN, &session->terminal_settings);
    delete session->output;
    delete session;
    session = nullptr;
}

void Resume_EditedInput() {
    if (session != nullptr) session->input.Resume();
}

void Stop_LineEditing_OnSignal() {
    if (editing_active == 0) return;
    editing_active = 0;
    // The shell's prompt follows on a line of its own: past the edited line,
    // with what the editor showed below it (a Ctrl-R search) erased.
    if (line_shown != 0) {
        static const char NEXT_LINE[] = "\r\n\033[J";
        ssize_t written = write(STDOUT_FILENO, NEXT_LINE, sizeof NEXT_LINE - 1);
        (void)written;
    }
    tcsetattr(STDIN_FILENO, TCSANOW, &session->terminal_settings);
    Write_History();
}
