#include "progress/calcstop.h"

#include <atomic>
#include <csignal>

namespace {
volatile std::sig_atomic_t calculation_depth = 0;
// Read by the sweep's worker threads too: an atomic that never locks, which
// a signal handler may set.
std::atomic<int> calculation_interrupted{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler sets it");
volatile std::sig_atomic_t termination_signal = 0;
}  // namespace

CalculationScope::CalculationScope() { calculation_depth = calculation_depth + 1; }
CalculationScope::~CalculationScope() { calculation_depth = calculation_depth - 1; }
bool Calculation_Running() { return calculation_depth > 0; }

bool Calculation_Interrupted() {
    return calculation_interrupted.load(std::memory_order_relaxed) != 0;
}
void Interrupt_Calculation() { calculation_interrupted = 1; }
void Clear_CalculationInterrupt() { calculation_interrupted = 0; }

void Note_TerminationSignal(int signal_number) {
    termination_signal = signal_number;
    calculation_interrupted = 1;
}
int Termination_Signal() { return termination_signal; }
