#include "report/sweepreport.h"

EvalOutcome Evaluate_Program(EvalMachine& machine, double* value) {
    CalculationScope calculation;
    return Run_Program(machine, value);
}

SweepReport::SweepReport(ReportFile& file, UsrFuncArray& ufunc_list)
    : sink_(file), file_(&file), ufunc_list_(ufunc_list), out_(file), lane_(out_) {}

SweepReport::SweepReport(std::ostream& sink, UsrFuncArray& ufunc_list)
    : sink_(sink), file_(nullptr), ufunc_list_(ufunc_list), out_(sink), lane_(out_) {}

RunResult SweepReport::Close() {
    RunResult result;
    if (lane_.Outcome() == EVAL_FAILED) {
        result.evaluation_error = lane_.Failure_Message();
        return result;
    }
    out_.flush();
    if (file_ == nullptr) {
        sink_.flush();
        result.status = sink_.fail() ? 0 : 1;
        return result;
    }
    result.status = Close_ReportFile(*file_);
    result.report_path = file_->path;
    result.lines_written = file_->head_lines + out_.Lines();
    return result;
}

int SweepReport::Sweep_Lanes(long long points, long long point_weight) const {
    int threads = Sweep_Threads();
    // A short sweep is done before threads could share it.
    if (threads <= 1 || points * point_weight < 2 * CHUNK_POINTS) return 1;
    for (const ReportFormula* formula : formulas_)
        if (formula->Carries_Values()) return 1;
    return threads;
}

// The main thread writes the chunks in order and counts the points written;
// the first chunk not whole ends the report as its lane ended.
void SweepReport::Run_Parallel(ParallelSweep& sweep, long long points,
                               const std::function<void(int, SweepChunk&)>& evaluate) {
    CalculationScope calculation;
    ProgressReporter progress(points);
    long long written = 0;
    int last_lane = sweep.Run(evaluate, [&](const SweepChunk& chunk) {
        out_.Write(chunk.text.data(), chunk.text.size());
        written += chunk.done;
        progress.Reach(written);
        if (chunk.done != chunk.count) Note(chunk.outcome, chunk.failure_message);
    });
    // The cells are left as the last point written left them, as on one thread.
    if (last_lane >= 0) sweep.Lane(last_lane).Copy_Back();
}

ReportFormula::ReportFormula(SweepReport& report, CompForm* root, const char* failure_message)
    : program_(root, report.Registry()),
      failure_message_(failure_message),
      own_(report.Own_Lane(), program_, failure_message, true) {
    report.Add_Formula(this);
}

double ReportFormula::Value() {
    CalculationScope calculation;
    return own_.Value();
}
