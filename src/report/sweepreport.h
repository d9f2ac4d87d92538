// The report of one calculation run: the writer over the open report file,
// the formulas compiled for it, the sweeps over the ranges and how the run
// ended. A failed evaluation or Ctrl-C ends the report at once: nothing more
// is evaluated or written and the sweeps stop. The failure's message goes
// back to the shell, which shows it and ends the program.
#ifndef KANSU_SWEEPREPORT_H
#define KANSU_SWEEPREPORT_H

#include <fstream>
#include <optional>
#include <vector>

#include <string>

#include "progress/calcstop.h"
#include "progress/progress.h"
#include "eval/evalprog.h"
#include "report/parallelsweep.h"
#include "report/reportfile.h"
#include "report/reportwriter.h"
#include "report/sweeplane.h"
#include "report/sweeppoint.h"

class UsrFuncArray;

// Runs a compiled formula once as a calculation (Ctrl-C stops it, not the
// program). The value is stored only when EVAL_OK.
EvalOutcome Evaluate_Program(EvalMachine& machine, double* value);

class ReportFormula;

// How a calculation run (or one of its reports) ended, as the shell needs it.
struct RunResult {
    int status = 0;                          // 1 done (or cut short by Ctrl-C), 0 not
    const char* evaluation_error = nullptr;  // the message of a failed evaluation
    std::string report_path;                 // the report file closed, empty when none
    long long lines_written = 0;             // lines the run added to it
};
// A calculation mode: its dialogue, then its report.
typedef RunResult (*ModeFunction)(UsrFuncArray& ufunc_list);

class SweepReport {
public:
    // Writes to the open report file; formulas call user functions of ufunc_list.
    SweepReport(ReportFile& file, UsrFuncArray& ufunc_list);
    // Writes to any stream (standard output): Close only flushes it.
    SweepReport(std::ostream& sink, UsrFuncArray& ufunc_list);
    SweepReport(const SweepReport&) = delete;
    SweepReport& operator=(const SweepReport&) = delete;

    // What the report writes; once the report has ended writes are dropped.
    ReportWriter& Out() { return lane_.Out(); }
    UsrFuncArray& Registry() { return ufunc_list_; }
    // The report's own lane: its formulas, cells and text on the main thread.
    SweepLane& Own_Lane() { return lane_; }
    bool Ended() const { return lane_.Ended(); }
    // Takes the outcome of an evaluation; failure_message is what the shell
    // shows when it failed. Anything but EVAL_OK ends the report.
    void Note(EvalOutcome outcome, const char* failure_message) {
        lane_.Note(outcome, failure_message);
    }
    // Formulas compiled for this report register here.
    void Add_Formula(const ReportFormula* formula) { formulas_.push_back(formula); }

    // Calls visit(point) for the step_number + 1 points of [min, max] in order;
    // a negative count visits nothing (the index is wide so that INT_MAX ends).
    // Stops when the report ends or Ctrl-C comes (polled between points); long
    // sweeps show a progress line.
    template <class Visit>
    void For_EachPoint(double min_value, double max_value, int step_number, Visit visit) {
        SweepSpacing spacing(min_value, max_value, step_number);
        CalculationScope calculation;
        ProgressReporter progress(step_number + 1LL);
        for (long long index = 0; index <= step_number && !Ended(); ++index) {
            if ((index & INTERRUPT_POLL_MASK) == 0 && Calculation_Interrupted()) break;
            visit(spacing.At(index));
            progress.Tick();
        }
    }

    // The rows of the step_number + 1 points of [min, max], written in order
    // as For_EachPoint writes them, but evaluated on several threads when the
    // sweep is long enough. bind(lane) gives the function that writes a
    // point's row on that lane, with the lane's cells, formulas (see
    // ReportFormula::On) and text; point_weight is the evaluations a point
    // costs. The report reads the same, byte for byte, on any number of threads.
    template <class BindRow>
    void Sweep(double min_value, double max_value, int step_number, long long point_weight,
               BindRow bind) {
        long long points = step_number + 1LL;
        int lanes = Sweep_Lanes(points, point_weight);
        if (lanes <= 1) {
            For_EachPoint(min_value, max_value, step_number, bind(lane_));
            return;
        }
        ParallelSweep sweep(lanes, points, point_weight);
        // A row may keep values of its own: each on its own cache line.
        struct alignas(CACHE_LINE) LaneRow {
            std::optional<decltype(bind(lane_))> row;
        };
        std::vector<LaneRow> rows(lanes);
        for (int lane = 0; lane < lanes; ++lane) rows[lane].row.emplace(bind(sweep.Lane(lane)));
        SweepSpacing spacing(min_value, max_value, step_number);
        Run_Parallel(sweep, points, [&](int lane, SweepChunk& chunk) {
            auto& row = *rows[lane].row;
            SweepLane& on = sweep.Lane(lane);
            long long index = chunk.first;
            for (; index < chunk.first + chunk.count; ++index) {
                if ((index & INTERRUPT_POLL_MASK) == 0 && sweep.Should_Stop()) break;
                row(spacing.At(index));
                if (on.Ended()) break;
            }
            chunk.done = index - chunk.first;
        });
    }

    // Hands the rest to the file and closes it. After Ctrl-C the user is told
    // the calculation was interrupted; a failed write shows the failure
    // message (status 0). A failed evaluation shows nothing here: its message
    // is in the result. A report to a stream is flushed, and a failed write
    // gives status 0 without a message.
    RunResult Close();

private:
    // Lanes for a sweep of points costing point_weight each: 1 keeps it here.
    int Sweep_Lanes(long long points, long long point_weight) const;
    void Run_Parallel(ParallelSweep& sweep, long long points,
                      const std::function<void(int, SweepChunk&)>& evaluate);

    std::ostream& sink_;
    ReportFile* file_;  // null for a report to a stream
    UsrFuncArray& ufunc_list_;
    ReportWriter out_;
    SweepLane lane_;
    std::vector<const ReportFormula*> formulas_;
};

// A formula of a report, compiled once and evaluated at every point.
class ReportFormula {
public:
    // failure_message: what the shell shows when evaluating this formula fails.
    ReportFormula(SweepReport& report, CompForm* root, const char* failure_message);
    // The value with the variable cells as they are now. Once the report has
    // ended nothing is evaluated and 0 is given (its writes are dropped).
    double Value();
    // The formula as a sweep's lane runs it.
    LaneFormula& On(SweepLane& lane) { return lane.Formula(program_, own_, failure_message_); }
    // Whether an evaluation can leave a value that the next one reads.
    bool Carries_Values() const { return program_.Carries_Values(); }

private:
    EvalProgram program_;
    const char* failure_message_;
    LaneFormula own_;  // on the report's own lane
};

#endif
