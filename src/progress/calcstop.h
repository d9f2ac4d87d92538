// What stops a calculation: the flag that Ctrl-C raises inside one, and the
// terminating signal that ended a run. Sweeps and sums poll the flag; the
// signal handlers (console/interrupt.h) raise it. Everything here may be used
// from a signal handler and from the sweep's worker threads.
#ifndef KANSU_CALCSTOP_H
#define KANSU_CALCSTOP_H

// Marks the extent of a calculation; scopes may nest.
class CalculationScope {
public:
    CalculationScope();
    ~CalculationScope();
    CalculationScope(const CalculationScope&) = delete;
    CalculationScope& operator=(const CalculationScope&) = delete;
};
// Whether a calculation scope is open.
bool Calculation_Running();

// How often loops poll: every INTERRUPT_POLL_MASK + 1 iterations.
const long long INTERRUPT_POLL_MASK = 63;

// Set by Ctrl-C inside a calculation (Interrupt_Calculation); cleared by
// Clear_CalculationInterrupt.
bool Calculation_Interrupted();
void Interrupt_Calculation();
void Clear_CalculationInterrupt();

// A terminating signal that the run outlives (SIGHUP, SIGTERM, SIGQUIT with
// unsaved work, or any signal a script command records): its number is kept
// and a calculation in progress stops.
void Note_TerminationSignal(int signal_number);
// That signal's number; 0 when none came.
int Termination_Signal();

#endif
