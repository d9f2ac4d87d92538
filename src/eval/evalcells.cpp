// What a compiled program is made of: whether its steps run straight through,
// the cells it reads and writes, and the program moved onto other cells (a
// worker thread runs its own copy over cells of its own).
#include <set>

#include "eval/evalprog.h"

namespace {
// Steps whose cell the step writes rather than reads.
bool Writes_ItsCell(EvalOp op) { return op == OP_ARGUMENT; }

// Steps that read their cell (a step whose operand became a local keeps the
// cell it was compiled from, unread).
bool Reads_ItsCell(const EvalStep& step) {
    if (step.cell == nullptr || Writes_ItsCell(step.op)) return false;
    switch (EVAL_OP_OPERAND[step.op]) {
    case OPERAND_CELL:
    case OPERAND_ROUTINE_CELL:
    case OPERAND_CELL_NUMBER:
    case OPERAND_ROUTINE_CELL_NUMBER:
    case OPERAND_CELL_LOCAL:
    case OPERAND_CALL: return true;  // a call of one variable reads it itself
    default: return false;
    }
}
}  // namespace

bool EvalProgram::Runnable() const {
    for (const EvalStep& step : steps_)
        if (step.op < 0 || step.op >= EVAL_OP_COUNT) return false;
    return !steps_.empty();
}

bool EvalProgram::Straight() const {
    if (!Runnable() || steps_.back().op != OP_END) return false;
    for (size_t i = 0; i < steps_.size(); ++i)
        if (!EVAL_OP_STRAIGHT[steps_[i].op] || (steps_[i].op == OP_END && i + 1 < steps_.size()))
            return false;
    return true;
}

bool EvalProgram::Arithmetic() const {
    if (!Straight()) return false;
    for (const EvalStep& step : steps_)
        if (EVAL_OP_CALLING[step.op]) return false;
    return true;
}

std::vector<const double*> EvalProgram::Cells() const {
    std::set<const double*> seen;
    std::vector<const double*> cells;
    auto add = [&](const double* cell) {
        if (cell != nullptr && seen.insert(cell).second) cells.push_back(cell);
    };
    for (const EvalStep& step : steps_) add(step.cell);
    for (const EvalCall& call : calls_) {
        for (const double* cell : call.arg_cells) add(cell);
        for (const EvalArgument& source : call.sources) add(source.cell);
    }
    return cells;
}

bool EvalProgram::Carries_Values() const {
    std::set<const double*> written;
    for (const EvalCall& call : calls_)
        written.insert(call.arg_cells.begin(), call.arg_cells.end());
    for (const EvalStep& step : steps_)
        if (Writes_ItsCell(step.op)) written.insert(step.cell);
    for (const EvalStep& step : steps_)
        if (Reads_ItsCell(step) && written.count(step.cell) != 0) return true;
    // An inlined call may pass a cell as it is.
    for (const EvalCall& call : calls_)
        for (const EvalArgument& source : call.sources)
            if (source.cell != nullptr && written.count(source.cell) != 0) return true;
    return false;
}

EvalProgram EvalProgram::Relocated(const std::map<const double*, double*>& moved_to) const {
    EvalProgram copy(*this);
    for (EvalStep& step : copy.steps_)
        if (step.cell != nullptr) step.cell = moved_to.at(step.cell);
    for (EvalCall& call : copy.calls_) {
        for (double*& cell : call.arg_cells) cell = moved_to.at(cell);
        for (EvalArgument& source : call.sources)
            if (source.cell != nullptr) source.cell = moved_to.at(source.cell);
    }
    return copy;
}
