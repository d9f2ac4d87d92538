// Where the rows of a sweep are evaluated and written: the report's own lane
// on the main thread (the formulas over the variables' own cells, text straight
// to the report), or a worker's lane with copies of the cells and of the
// compiled formulas and text collected for the main thread to write in order.
// A failed evaluation or Ctrl-C ends a lane: nothing more is evaluated on it
// and its later writes are dropped.
#ifndef KANSU_SWEEPLANE_H
#define KANSU_SWEEPLANE_H

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>

#include "eval/evalprog.h"
#include "progress/calcstop.h"
#include "report/reportwriter.h"
#include "report/sweeppoint.h"

class SweepLane;

// What a worker writes at every point (its cells, its machines' state, its
// writer) sits on cache lines of its own: lines shared by two threads that
// both write them cost more than the work.
const size_t CACHE_LINE = 64;

// Runs a compiled formula once, without marking a calculation: the value is
// stored only when EVAL_OK, and a failure while Ctrl-C is pending counts as
// the interruption. Inline, as the value of every point goes through it.
inline EvalOutcome Run_Program(EvalMachine& machine, double* value) {
    double result = 0.0;
    EvalOutcome outcome = machine.Run(&result);
    if (outcome == EVAL_OK) {
        *value = result;
        return EVAL_OK;
    }
    return Calculation_Interrupted() ? EVAL_INTERRUPTED : outcome;
}

// A compiled formula as one lane runs it.
class alignas(CACHE_LINE) LaneFormula {
public:
    LaneFormula(SweepLane& lane, const EvalProgram& program, const char* failure_message,
                bool shows_sum_progress);
    // The value with the lane's cells as they are now; once the lane has ended
    // nothing is evaluated and 0 is given.
    inline double Value();

private:
    SweepLane& lane_;
    EvalMachine machine_;
    const char* failure_message_;
};

// The text a worker lane writes goes to the chunk it is evaluating.
class ChunkTextSink : public std::streambuf {
public:
    void Collect_Into(std::string* text) { text_ = text; }

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int_type overflow(int_type letter) override;

private:
    std::string* text_ = nullptr;
};

class alignas(CACHE_LINE) SweepLane {
public:
    // The report's own lane, writing to out.
    explicit SweepLane(ReportWriter& out);
    // A worker's lane.
    SweepLane();
    SweepLane(const SweepLane&) = delete;
    SweepLane& operator=(const SweepLane&) = delete;

    ReportWriter& Out() { return *out_; }
    bool Ended() const { return outcome_ != EVAL_OK; }
    EvalOutcome Outcome() const { return outcome_; }
    const char* Failure_Message() const { return failure_message_; }
    // Takes the outcome of an evaluation: anything but EVAL_OK ends the lane.
    void Note(EvalOutcome outcome, const char* failure_message);

    // This lane's cell for a variable or argument cell. Asked before the sweep.
    double& Cell(double& original);
    // The program compiled for a formula as this lane runs it.
    LaneFormula& Formula(const EvalProgram& program, LaneFormula& own, const char* failure_message);
    // A worker lane: where its text goes from now on (the writer flushed first).
    void Collect_Into(std::string* text);
    // A worker lane: its cells' values into the cells they copy.
    void Copy_Back() const;

    // Calls visit(point) for the step_number + 1 points of [min, max] in order
    // while the lane lasts; Ctrl-C (polled between points) ends the lane.
    template <class Visit>
    void For_EachPoint(double min_value, double max_value, int step_number, Visit visit) {
        SweepSpacing spacing(min_value, max_value, step_number);
        for (long long index = 0; index <= step_number && !Ended(); ++index) {
            if ((index & INTERRUPT_POLL_MASK) == 0 && Calculation_Interrupted()) {
                Note(EVAL_INTERRUPTED, nullptr);
                break;
            }
            visit(spacing.At(index));
        }
    }

private:
    // A worker's lane owns its writer.
    bool Is_Worker() const { return own_out_.has_value(); }

    ChunkTextSink sink_;
    std::optional<std::ostream> sink_stream_;
    std::optional<ReportWriter> own_out_;
    ReportWriter* out_;
    EvalOutcome outcome_ = EVAL_OK;
    const char* failure_message_ = nullptr;
    // A worker's copies: cells, and the programs moved onto them.
    std::map<const double*, double*> moved_to_;
    struct alignas(CACHE_LINE) LaneCell {
        double value;
    };
    std::deque<LaneCell> cells_;
    std::deque<EvalProgram> programs_;
    std::deque<LaneFormula> formulas_;
    std::map<const LaneFormula*, LaneFormula*> formula_copies_;
};

inline double LaneFormula::Value() {
    double value = 0.0;
    if (lane_.Ended()) return value;
    EvalOutcome outcome = Run_Program(machine_, &value);
    if (outcome != EVAL_OK) lane_.Note(outcome, failure_message_);
    return value;
}

#endif
