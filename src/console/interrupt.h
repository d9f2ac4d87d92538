// Ctrl-C (SIGINT), and the signals that end a run (SIGHUP, SIGTERM, SIGQUIT).
// Inside a calculation Ctrl-C only raises the flag that the sweeps and sums
// poll (progress/calcstop.h), so the calculation ends and the menu comes back.
// At a prompt of a dialogue that may be cancelled it cancels it
// (dialoguecancel.h). Elsewhere it ends the program at once, unless unsaved
// user functions exist: then reads are cut short (the handler is installed
// without SA_RESTART) and the shell leaves its loop and asks the end-of-run
// save question.
#ifndef KANSU_INTERRUPT_H
#define KANSU_INTERRUPT_H

void Install_InterruptHandler();
// Runs, from the handler, before a signal ends the program at once (the line
// editor gives the terminal back there); it must be async-signal-safe.
void Set_SignalEndHook(void (*hook)());

// On Windows, closing the console window, logging off or shutting down ends
// the process once the console's control handler returns: with unsaved work
// the handler calls hook first (which writes the recovery file, as SIGHUP
// leads to elsewhere). Nothing happens on other systems.
void Set_ConsoleCloseHook(void (*hook)());

// Whether Ctrl-C outside a calculation must ask before ending (unsaved work).
void Note_UnsavedWork(bool unsaved);
// Set by Ctrl-C outside a calculation while unsaved work exists.
bool Program_EndRequested();
// Makes standard input readable again after a read cut short by Ctrl-C.
void Resume_InputAfterInterrupt();

// Records a terminating signal as its handler does; true when the program is
// to end at once. With unsaved work the run ends instead: a calculation in
// progress stops, pending reads are cut short and Termination_Signal
// (progress/calcstop.h) names the signal. Tests call it directly.
bool Record_Termination(int signal_number);

// The script commands (eval, table, plot): SIGINT, SIGTERM, SIGHUP and
// SIGQUIT only record the signal (Note_TerminationSignal) and stop the
// calculation, so that the command can give its output file back as it was
// and end with status 128 + the signal number. A write beyond the file-size
// limit fails (SIGXFSZ ignored) instead of ending the program.
void Install_ScriptSignalHandler();

// Records one Ctrl-C as the handler does; true when the program is to end at
// once. Tests call it directly.
bool Record_Interrupt();

#endif
