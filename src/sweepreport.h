// The report of one calculation run: the writer over the open report file,
// the formulas compiled for it, the sweeps over the ranges and how the run
// ended. A failed evaluation or Ctrl-C ends the report at once: nothing more
// is evaluated or written and the sweeps stop. The failure's message goes
// back to the shell, which shows it and ends the program.
#ifndef KANSU_SWEEPREPORT_H
#define KANSU_SWEEPREPORT_H

#include <fstream>

#include "evalprog.h"
#include "interrupt.h"
#include "modecommon.h"
#include "progress.h"
#include "reportwriter.h"

class UsrFuncArray;

// How one evaluation ended.
enum EvalOutcome { EVAL_OK, EVAL_FAILED, EVAL_INTERRUPTED };

// Runs a compiled formula once: the one place that reads the evaluator's
// outcome. The value is stored only when EVAL_OK.
EvalOutcome Evaluate_Program(EvalProgram& program, double* value);

// How a calculation run (or one of its reports) ended, as the shell needs it.
struct RunResult {
    int status = 0;                          // 1 done (or cut short by Ctrl-C), 0 not
    const char* evaluation_error = nullptr;  // the message of a failed evaluation
};
// A calculation mode: its dialogue, then its report.
typedef RunResult (*ModeFunction)(UsrFuncArray& ufunc_list);

class SweepReport {
public:
    // Writes to the open report file; formulas call user functions of ufunc_list.
    SweepReport(std::ofstream& file, UsrFuncArray& ufunc_list);
    SweepReport(const SweepReport&) = delete;
    SweepReport& operator=(const SweepReport&) = delete;

    // What the report writes; once the report has ended writes are dropped.
    ReportWriter& Out() { return out_; }
    UsrFuncArray& Registry() { return ufunc_list_; }
    bool Ended() const { return outcome_ != EVAL_OK; }
    // Takes the outcome of an evaluation; failure_message is what the shell
    // shows when it failed. Anything but EVAL_OK ends the report.
    void Note(EvalOutcome outcome, const char* failure_message);

    // Calls visit(point) for the step_number + 1 points of [min, max] in order;
    // a negative count visits nothing (the index is wide so that INT_MAX ends).
    // Stops when the report ends or Ctrl-C comes (polled between points); long
    // sweeps show a progress line.
    template <class Visit>
    void For_EachPoint(double min_value, double max_value, int step_number, Visit visit) {
        double step_value = Step_Width(min_value, max_value, step_number);
        CalculationScope calculation;
        ProgressReporter progress(step_number + 1LL);
        for (long long index = 0; index <= step_number && !Ended(); ++index) {
            if ((index & INTERRUPT_POLL_MASK) == 0 && Calculation_Interrupted()) break;
            visit(Sweep_Point(static_cast<int>(index), step_value, min_value));
            progress.Tick();
        }
    }

    // Hands the rest to the file and closes it. After Ctrl-C the user is told
    // the calculation was interrupted; a failed write shows the failure
    // message (status 0). A failed evaluation shows nothing here: its message
    // is in the result.
    RunResult Close();

private:
    std::ofstream& file_;
    UsrFuncArray& ufunc_list_;
    ReportWriter out_;
    EvalOutcome outcome_ = EVAL_OK;
    const char* failure_message_ = nullptr;
};

// A formula of a report, compiled once and evaluated at every point.
class ReportFormula {
public:
    // failure_message: what the shell shows when evaluating this formula fails.
    ReportFormula(SweepReport& report, CompForm* root, const char* failure_message);
    // The value with the variable cells as they are now. Once the report has
    // ended nothing is evaluated and 0 is given (its writes are dropped).
    double Value();

private:
    SweepReport& report_;
    EvalProgram program_;
    const char* failure_message_;
};

#endif
