#include "sweepreport.h"

EvalOutcome Evaluate_Program(EvalProgram& program, double* value) {
    CalculationScope calculation;
    int error_code = 1;
    double result = program.Run(&error_code);
    if (error_code != 0) {
        *value = result;
        return EVAL_OK;
    }
    // A sum cut short by Ctrl-C fails like any other evaluation.
    return Calculation_Interrupted() ? EVAL_INTERRUPTED : EVAL_FAILED;
}

SweepReport::SweepReport(std::ofstream& file, UsrFuncArray& ufunc_list)
    : file_(file), ufunc_list_(ufunc_list), out_(file) {}

void SweepReport::Note(EvalOutcome outcome, const char* failure_message) {
    if (outcome == EVAL_OK || Ended()) return;
    outcome_ = outcome;
    failure_message_ = failure_message;
    // What was written so far stays in the file; nothing more reaches it.
    out_.Stop();
}

RunResult SweepReport::Close() {
    RunResult result;
    if (outcome_ == EVAL_FAILED) {
        result.evaluation_error = failure_message_;
        return result;
    }
    out_.flush();
    result.status = Close_ReportFile(file_);
    return result;
}

ReportFormula::ReportFormula(SweepReport& report, CompForm* root, const char* failure_message)
    : report_(report), program_(root, report.Registry()), failure_message_(failure_message) {}

double ReportFormula::Value() {
    double value = 0.0;
    if (report_.Ended()) return value;
    report_.Note(Evaluate_Program(program_, &value), failure_message_);
    return value;
}
