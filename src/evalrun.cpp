// The machine that runs flat programs: one loop over the steps, an explicit
// frame stack for user-function calls.
#include "calcbintree.h"
#include "evalprog.h"
#include "interrupt.h"
#include "progress.h"

namespace {
// A caller waiting for a user function to return.
struct CallerFrame {
    const EvalStep* resume;
    double* slots;
    int base_level;
};

double Apply(OprFunction routine, double first, double second) {
    double operands[2] = {first, second};
    return routine(operands);
}

// Sum terms, of all sums of one evaluation together, between two looks at
// Ctrl-C and the progress line.
const int SUM_POLL_TERMS = INTERRUPT_POLL_MASK + 1;
}  // namespace

// False when Ctrl-C asked the calculation to end.
bool EvalProgram::Poll_Sums() {
    if (Calculation_Interrupted()) return false;
    if (outer_sum_ == nullptr) return true;
    double lower = outer_sum_step_->number;
    if (!sum_progress_)
        sum_progress_.emplace(static_cast<long long>(outer_sum_step_->limit - lower) + 1,
                              ProgressUnit::Terms);
    sum_progress_->Reach(static_cast<long long>(outer_sum_[3] - lower));
    return true;
}

void EvalProgram::End_Sums() {
    outer_sum_ = nullptr;
    sum_progress_.reset();
}

double EvalProgram::Run(int* error_num) {
    const EvalStep* const steps = steps_.data();
    const EvalStep* pc = steps;
    double* fp = stack_.data();
    double acc = 0.0;
    bool failed = false;
    // Tree levels below the running definition's root, as the level limit counts them.
    int base_level = 0;
    int call_depth = 0;
    // Set once a call went past the depth limit: every call still pending then
    // returns at once, so a function that calls itself several times does not
    // multiply its work before the outermost call returns.
    bool call_cut = false;
    CallerFrame callers[USER_CALL_DEPTH_LIMIT];
    int terms_to_poll = SUM_POLL_TERMS;
    outer_sum_ = nullptr;

    for (;;) {
        const EvalStep& step = *pc++;
        switch (step.op) {
        case OP_NUMBER: fp[step.slot] = acc; acc = step.number; break;
        case OP_CELL: fp[step.slot] = acc; acc = *step.cell; break;
        case OP_LOCAL: fp[step.slot] = acc; acc = fp[step.aux]; break;
        case OP_FAIL: fp[step.slot] = acc; acc = 0.0; failed = true; break;

        case OP_ADD: acc = fp[step.slot] + acc; break;
        case OP_SUB: acc = fp[step.slot] - acc; break;
        case OP_MUL: acc = fp[step.slot] * acc; break;
        case OP_DIV: acc = fp[step.slot] / acc; break;
        case OP_ROUTINE2: acc = Apply(step.routine, fp[step.slot], acc); break;
        case OP_ADD_NUMBER: acc = acc + step.number; break;
        case OP_SUB_NUMBER: acc = acc - step.number; break;
        case OP_MUL_NUMBER: acc = acc * step.number; break;
        case OP_DIV_NUMBER: acc = acc / step.number; break;
        case OP_ROUTINE2_NUMBER: acc = Apply(step.routine, acc, step.number); break;
        case OP_ADD_CELL: acc = acc + *step.cell; break;
        case OP_SUB_CELL: acc = acc - *step.cell; break;
        case OP_MUL_CELL: acc = acc * *step.cell; break;
        case OP_DIV_CELL: acc = acc / *step.cell; break;
        case OP_ROUTINE2_CELL: acc = Apply(step.routine, acc, *step.cell); break;
        case OP_ADD_LOCAL: acc = acc + fp[step.aux]; break;
        case OP_SUB_LOCAL: acc = acc - fp[step.aux]; break;
        case OP_MUL_LOCAL: acc = acc * fp[step.aux]; break;
        case OP_DIV_LOCAL: acc = acc / fp[step.aux]; break;
        case OP_ROUTINE2_LOCAL: acc = Apply(step.routine, acc, fp[step.aux]); break;

        case OP_NUMBER_ADD: acc = step.number + acc; break;
        case OP_NUMBER_SUB: acc = step.number - acc; break;
        case OP_NUMBER_MUL: acc = step.number * acc; break;
        case OP_NUMBER_DIV: acc = step.number / acc; break;
        case OP_NUMBER_ROUTINE2: acc = Apply(step.routine, step.number, acc); break;
        case OP_CELL_ADD_NUMBER: fp[step.slot] = acc; acc = *step.cell + step.number; break;
        case OP_CELL_SUB_NUMBER: fp[step.slot] = acc; acc = *step.cell - step.number; break;
        case OP_CELL_MUL_NUMBER: fp[step.slot] = acc; acc = *step.cell * step.number; break;
        case OP_CELL_DIV_NUMBER: fp[step.slot] = acc; acc = *step.cell / step.number; break;
        case OP_CELL_ROUTINE2_NUMBER:
            fp[step.slot] = acc;
            acc = Apply(step.routine, *step.cell, step.number);
            break;

        case OP_ROUTINE0: fp[step.slot] = acc; acc = Apply(step.routine, 0.0, 0.0); break;
        case OP_ROUTINE1: acc = Apply(step.routine, acc, 0.0); break;
        case OP_ROUTINE1_CELL: fp[step.slot] = acc; acc = Apply(step.routine, *step.cell, 0.0); break;
        case OP_ROUTINE_N: acc = Apply(step.routine, fp[step.slot], fp[step.slot + 1]); break;
        case OP_SQUARE: acc = acc * acc; break;
        case OP_CELL_SQUARE: fp[step.slot] = acc; acc = *step.cell * *step.cell; break;

        // Slots: the value below the sum, the running sum, unused, the index.
        // The gap keeps the compiler from joining sum and index into one wide
        // store, which a following read of the index alone could not take over.
        case OP_SIGMA_BEGIN:
            fp[step.slot] = acc;
            if (step.number > step.limit) {
                acc = 0.0;
                pc = steps + step.aux;
            } else {
                fp[step.slot + 1] = 0.0;
                fp[step.slot + 3] = step.number;
                if (outer_sum_ == nullptr) {
                    outer_sum_ = fp + step.slot;
                    outer_sum_step_ = &step;
                }
            }
            break;
        case OP_SIGMA_NEXT: {
            double* state = fp + step.slot;
            state[1] += acc;
            state[3] += 1.0;
            if (--terms_to_poll == 0) {
                terms_to_poll = SUM_POLL_TERMS;
                // A sum cut short is no value: the evaluation fails.
                if (!Poll_Sums()) {
                    End_Sums();
                    *error_num = 0;
                    return 0.0;
                }
            }
            if (state[3] <= step.limit) {
                pc = steps + step.aux;
            } else {
                acc = state[1];
                if (state == outer_sum_) End_Sums();
            }
            break;
        }

        case OP_GUARD:
            if (base_level + step.limit > EVAL_LEVEL_LIMIT) {
                fp[step.slot] = acc;
                acc = 0.0;
                failed = true;
                pc = steps + step.aux;
            }
            break;
        case OP_CALL_ENTRY:
            if (call_cut) {
                fp[step.slot] = acc;
                acc = 0.0;
                failed = true;
                pc = steps + step.aux;
            }
            break;
        case OP_CALL: {
            const EvalCall& call = calls_[step.aux];
            int count = call.arg_count;
            if (count == 0) fp[step.slot] = acc;
            if (step.cell != nullptr) {  // the argument is this variable
                fp[step.slot] = acc;
                acc = *step.cell;
            }
            if (!call.checked_at_entry && call_cut) {
                acc = 0.0;
                failed = true;
                break;
            }
            // Every argument is computed before any cell is written.
            for (int i = 0; i + 1 < count; ++i) *call.arg_cells[i] = fp[step.slot + 1 + i];
            if (count > 0) *call.arg_cells[count - 1] = acc;
            if (call.callee < 0 || call_cut || call_depth >= USER_CALL_DEPTH_LIMIT) {
                if (call.callee >= 0) call_cut = true;
                acc = 0.0;
                failed = true;
                break;
            }
            callers[call_depth++] = CallerFrame{pc, fp, base_level};
            fp += step.slot + 1;
            base_level += call.level;
            pc = steps + (base_level + call.max_level > EVAL_LEVEL_LIMIT ? call.guarded_entry
                                                                         : call.fast_entry);
            break;
        }
        case OP_RETURN: {
            const CallerFrame& caller = callers[--call_depth];
            if (call_depth == 0) call_cut = false;
            pc = caller.resume;
            fp = caller.slots;
            base_level = caller.base_level;
            break;
        }
        default:  // OP_END
            if (failed) *error_num = 0;
            return acc;
        }
    }
}
