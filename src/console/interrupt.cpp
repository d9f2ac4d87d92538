#include "console/interrupt.h"

#include <csignal>
#include <cstdio>
#include <iostream>

#include "console/dialoguecancel.h"
#include "progress/calcstop.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

namespace {
volatile std::sig_atomic_t unsaved_work = 0;
volatile std::sig_atomic_t end_requested = 0;
void (*volatile signal_end_hook)() = nullptr;

void End_ByDefaultAction(int signal_number) {
    if (signal_end_hook != nullptr) signal_end_hook();
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

extern "C" void On_Interrupt(int signal_number) {
    // Nothing to lose: end as an interrupted program always has.
    if (Record_Interrupt()) End_ByDefaultAction(signal_number);
#ifdef _WIN32
    std::signal(SIGINT, On_Interrupt);  // the handler is reset on every signal there
#endif
}
extern "C" void On_Termination(int signal_number) {
    if (Record_Termination(signal_number)) End_ByDefaultAction(signal_number);
}

extern "C" void On_ScriptSignal(int signal_number) {
    Note_TerminationSignal(signal_number);
#ifdef _WIN32
    std::signal(signal_number, On_ScriptSignal);
#endif
}

#ifdef _WIN32
void (*volatile console_close_hook)() = nullptr;

// Runs on a thread of its own; the process ends when it returns.
BOOL WINAPI On_ConsoleControl(DWORD event) {
    if (event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT)
        return FALSE;  // Ctrl-C and Ctrl-Break reach the signal handlers
    if (Record_Termination(SIGTERM) || console_close_hook == nullptr) return FALSE;
    console_close_hook();
    return TRUE;
}
#endif

void Install(int signal_number, void (*handler)(int)) {
#ifdef _WIN32
    std::signal(signal_number, handler);
#else
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a pending console read must return
    sigaction(signal_number, &action, nullptr);
#endif
}
}  // namespace

bool Record_Termination(int signal_number) {
    if (unsaved_work == 0) return true;
    Note_TerminationSignal(signal_number);
    end_requested = 1;
    return false;
}

bool Record_Interrupt() {
    if (Calculation_Running()) {
        Interrupt_Calculation();
        return false;
    }
    if (Cancel_Dialogue()) return false;
    if (unsaved_work == 0) return true;
    end_requested = 1;
    return false;
}

void Set_SignalEndHook(void (*hook)()) { signal_end_hook = hook; }

void Set_ConsoleCloseHook(void (*hook)()) {
#ifdef _WIN32
    console_close_hook = hook;
#else
    (void)hook;
#endif
}

void Install_InterruptHandler() {
#ifdef _WIN32
    SetConsoleCtrlHandler(On_ConsoleControl, TRUE);
#endif
    Install(SIGINT, On_Interrupt);
    Install(SIGTERM, On_Termination);
#ifdef SIGHUP
    Install(SIGHUP, On_Termination);
#endif
#ifdef SIGQUIT
    Install(SIGQUIT, On_Termination);
#endif
}

void Install_ScriptSignalHandler() {
    Install(SIGINT, On_ScriptSignal);
    Install(SIGTERM, On_ScriptSignal);
#ifdef SIGHUP
    Install(SIGHUP, On_ScriptSignal);
#endif
#ifdef SIGQUIT
    Install(SIGQUIT, On_ScriptSignal);
#endif
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

void Note_UnsavedWork(bool unsaved) { unsaved_work = unsaved ? 1 : 0; }
bool Program_EndRequested() { return end_requested != 0; }

void Resume_InputAfterInterrupt() {
    std::clearerr(stdin);
    std::cin.clear();
}
