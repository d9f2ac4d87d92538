#include "report/sweeplane.h"

#include <ostream>

LaneFormula::LaneFormula(SweepLane& lane, const EvalProgram& program, const char* failure_message,
                         bool shows_sum_progress)
    : lane_(lane), machine_(program, shows_sum_progress), failure_message_(failure_message) {}

std::streamsize ChunkTextSink::xsputn(const char* bytes, std::streamsize count) {
    if (text_ == nullptr) return 0;
    text_->append(bytes, static_cast<size_t>(count));
    return count;
}

ChunkTextSink::int_type ChunkTextSink::overflow(int_type letter) {
    if (text_ == nullptr) return traits_type::eof();
    if (!traits_type::eq_int_type(letter, traits_type::eof()))
        text_->push_back(traits_type::to_char_type(letter));
    return traits_type::not_eof(letter);
}

SweepLane::SweepLane(ReportWriter& out) : out_(&out) {}

SweepLane::SweepLane()
    : sink_stream_(std::in_place, &sink_),
      own_out_(std::in_place, *sink_stream_),
      out_(&*own_out_) {}

void SweepLane::Note(EvalOutcome outcome, const char* failure_message) {
    if (outcome == EVAL_OK || Ended()) return;
    outcome_ = outcome;
    failure_message_ = failure_message;
    // What was written so far stays; nothing more is written.
    out_->Stop();
}

double& SweepLane::Cell(double& original) {
    if (!Is_Worker()) return original;
    auto found = moved_to_.find(&original);
    if (found != moved_to_.end()) return *found->second;
    cells_.push_back(LaneCell{original});
    moved_to_.emplace(&original, &cells_.back().value);
    return cells_.back().value;
}

LaneFormula& SweepLane::Formula(const EvalProgram& program, LaneFormula& own,
                                const char* failure_message) {
    if (!Is_Worker()) return own;
    auto found = formula_copies_.find(&own);
    if (found != formula_copies_.end()) return *found->second;
    for (const double* cell : program.Cells()) Cell(*const_cast<double*>(cell));
    programs_.push_back(program.Relocated(moved_to_));
    formulas_.emplace_back(*this, programs_.back(), failure_message, false);
    formula_copies_.emplace(&own, &formulas_.back());
    return formulas_.back();
}

void SweepLane::Collect_Into(std::string* text) {
    out_->flush();
    sink_.Collect_Into(text);
}

void SweepLane::Copy_Back() const {
    for (const auto& moved : moved_to_) *const_cast<double*>(moved.first) = *moved.second;
}
