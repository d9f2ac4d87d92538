// The machine that runs flat programs: one loop over the steps, an explicit
// frame stack for user-function calls. Each op of evalops.def has one handler
// here; the handlers are reached by computed goto where the compiler has it,
// by a switch elsewhere.
#include <cmath>

#include "evalprog.h"
#include "interrupt.h"
#include "progress.h"
#include "trigreduce.h"

#if defined(__GNUC__) && !defined(KANSU_SWITCH_DISPATCH)
#define KANSU_COMPUTED_GOTO 1
#else
#define KANSU_COMPUTED_GOTO 0
#endif

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
// Terms of a sum of its index between two looks.
const double SUM_CHUNK_TERMS = 4096.0;

bool Valid_Ops(const std::vector<EvalStep>& steps) {
    for (const EvalStep& step : steps)
        if (step.op < 0 || step.op >= EVAL_OP_COUNT) return false;
    return !steps.empty();
}
}  // namespace

EvalMachine::EvalMachine(const EvalProgram& program, bool shows_sum_progress)
    : program_(program),
      // A cache line of slack after the slots: machines of two threads that
      // were allocated side by side never write the same line.
      stack_(program.stack_size_ + 8, 0.0),
      runnable_(Valid_Ops(program.steps_)),
      shows_sum_progress_(shows_sum_progress) {}

// False when Ctrl-C asked the calculation to end.
bool EvalMachine::Poll_Sums() {
    if (Calculation_Interrupted()) return false;
    if (outer_sum_ != nullptr) Show_SumProgress(outer_sum_step_, outer_sum_[3]);
    return true;
}

// The outermost sum has reached index.
void EvalMachine::Show_SumProgress(const EvalStep* sum_step, double index) {
    if (!shows_sum_progress_) return;
    double lower = sum_step->number;
    if (!sum_progress_)
        sum_progress_.emplace(static_cast<long long>(sum_step->last_index - lower) + 1,
                              ProgressUnit::Terms);
    sum_progress_->Reach(static_cast<long long>(index - lower));
}

void EvalMachine::End_Sums() {
    outer_sum_ = nullptr;
    sum_progress_.reset();
}

#if KANSU_COMPUTED_GOTO
#define STEP(name) op_##name
#define NEXT()                    \
    do {                          \
        step = pc++;              \
        goto* handlers[step->op]; \
    } while (0)
#else
#define STEP(name) case OP_##name
#define NEXT() break
#endif

EvalOutcome EvalMachine::Run(double* value) {
    // Every op must have a handler: a program holding anything else fails.
    static_assert(EVAL_OP_COUNT == OP_END + 1, "evalops.def ends with END");
    if (!runnable_) {
        *value = 0.0;
        return EVAL_FAILED;
    }
    const EvalStep* const steps = program_.steps_.data();
    const EvalStep* pc = steps;
    const EvalStep* step = pc;
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

#if KANSU_COMPUTED_GOTO
    static const void* const handlers[EVAL_OP_COUNT] = {
#define EVAL_OP(name, effect, operand) &&op_##name,
#include "evalops.def"
#undef EVAL_OP
    };
    NEXT();
    {
#else
    for (;;) {
        step = pc++;
        switch (step->op) {
#endif
        STEP(NUMBER) : fp[step->slot] = acc;
        acc = step->number;
        NEXT();
        STEP(CELL) : fp[step->slot] = acc;
        acc = *step->cell;
        NEXT();
        STEP(LOCAL) : fp[step->slot] = acc;
        acc = fp[step->local_slot];
        NEXT();
        STEP(FAIL) : fp[step->slot] = acc;
        acc = 0.0;
        failed = true;
        NEXT();

        STEP(ADD) : acc = fp[step->slot] + acc;
        NEXT();
        STEP(SUB) : acc = fp[step->slot] - acc;
        NEXT();
        STEP(MUL) : acc = fp[step->slot] * acc;
        NEXT();
        STEP(DIV) : acc = fp[step->slot] / acc;
        NEXT();
        STEP(ROUTINE2) : acc = Apply(step->routine, fp[step->slot], acc);
        NEXT();
        STEP(ADD_NUMBER) : acc = acc + step->number;
        NEXT();
        STEP(SUB_NUMBER) : acc = acc - step->number;
        NEXT();
        STEP(MUL_NUMBER) : acc = acc * step->number;
        NEXT();
        STEP(DIV_NUMBER) : acc = acc / step->number;
        NEXT();
        STEP(ROUTINE2_NUMBER) : acc = Apply(step->routine, acc, step->number);
        NEXT();
        STEP(ADD_CELL) : acc = acc + *step->cell;
        NEXT();
        STEP(SUB_CELL) : acc = acc - *step->cell;
        NEXT();
        STEP(MUL_CELL) : acc = acc * *step->cell;
        NEXT();
        STEP(DIV_CELL) : acc = acc / *step->cell;
        NEXT();
        STEP(ROUTINE2_CELL) : acc = Apply(step->routine, acc, *step->cell);
        NEXT();
        STEP(ADD_LOCAL) : acc = acc + fp[step->local_slot];
        NEXT();
        STEP(SUB_LOCAL) : acc = acc - fp[step->local_slot];
        NEXT();
        STEP(MUL_LOCAL) : acc = acc * fp[step->local_slot];
        NEXT();
        STEP(DIV_LOCAL) : acc = acc / fp[step->local_slot];
        NEXT();
        STEP(ROUTINE2_LOCAL) : acc = Apply(step->routine, acc, fp[step->local_slot]);
        NEXT();

        STEP(NUMBER_ADD) : acc = step->number + acc;
        NEXT();
        STEP(NUMBER_SUB) : acc = step->number - acc;
        NEXT();
        STEP(NUMBER_MUL) : acc = step->number * acc;
        NEXT();
        STEP(NUMBER_DIV) : acc = step->number / acc;
        NEXT();
        STEP(NUMBER_ROUTINE2) : acc = Apply(step->routine, step->number, acc);
        NEXT();
        STEP(CELL_ADD_NUMBER) : fp[step->slot] = acc;
        acc = *step->cell + step->number;
        NEXT();
        STEP(CELL_SUB_NUMBER) : fp[step->slot] = acc;
        acc = *step->cell - step->number;
        NEXT();
        STEP(CELL_MUL_NUMBER) : fp[step->slot] = acc;
        acc = *step->cell * step->number;
        NEXT();
        STEP(CELL_DIV_NUMBER) : fp[step->slot] = acc;
        acc = *step->cell / step->number;
        NEXT();
        STEP(CELL_ROUTINE2_NUMBER) : fp[step->slot] = acc;
        acc = Apply(step->routine, *step->cell, step->number);
        NEXT();

        STEP(POW) : acc = std::pow(fp[step->slot], acc);
        NEXT();
        STEP(POW_NUMBER) : acc = std::pow(acc, step->number);
        NEXT();
        STEP(POW_CELL) : acc = std::pow(acc, *step->cell);
        NEXT();
        STEP(POW_LOCAL) : acc = std::pow(acc, fp[step->local_slot]);
        NEXT();
        STEP(NUMBER_POW) : acc = std::pow(step->number, acc);
        NEXT();
        STEP(CELL_POW_NUMBER) : fp[step->slot] = acc;
        acc = std::pow(*step->cell, step->number);
        NEXT();
        STEP(LOCAL_POW_NUMBER) : fp[step->slot] = acc;
        acc = std::pow(fp[step->local_slot], step->number);
        NEXT();
        STEP(CELL_POW_LOCAL) : fp[step->slot] = acc;
        acc = std::pow(*step->cell, fp[step->local_slot]);
        NEXT();

        STEP(LOCAL_ADD_NUMBER) : fp[step->slot] = acc;
        acc = fp[step->local_slot] + step->number;
        NEXT();
        STEP(LOCAL_SUB_NUMBER) : fp[step->slot] = acc;
        acc = fp[step->local_slot] - step->number;
        NEXT();
        STEP(LOCAL_MUL_NUMBER) : fp[step->slot] = acc;
        acc = fp[step->local_slot] * step->number;
        NEXT();
        STEP(LOCAL_DIV_NUMBER) : fp[step->slot] = acc;
        acc = fp[step->local_slot] / step->number;
        NEXT();
        STEP(LOCAL_ROUTINE2_NUMBER) : fp[step->slot] = acc;
        acc = Apply(step->routine, fp[step->local_slot], step->number);
        NEXT();

        // One statement per operation: no multiply-add joins them.
        STEP(NUMBER_MUL_CELL_SQUARE) : {
            fp[step->slot] = acc;
            double square = *step->cell * *step->cell;
            acc = step->number * square;
            NEXT();
        }
        STEP(ADD_NUMBER_MUL_CELL) : {
            double product = step->number * *step->cell;
            acc = acc + product;
            NEXT();
        }
        STEP(SUB_NUMBER_MUL_CELL) : {
            double product = step->number * *step->cell;
            acc = acc - product;
            NEXT();
        }
        STEP(ADD_CELL_SQUARE) : {
            double square = *step->cell * *step->cell;
            acc = acc + square;
            NEXT();
        }
        STEP(SUB_CELL_SQUARE) : {
            double square = *step->cell * *step->cell;
            acc = acc - square;
            NEXT();
        }

        STEP(ROUTINE0) : fp[step->slot] = acc;
        acc = Apply(step->routine, 0.0, 0.0);
        NEXT();
        STEP(ROUTINE1) : acc = Apply(step->routine, acc, 0.0);
        NEXT();
        STEP(ROUTINE1_CELL) : fp[step->slot] = acc;
        acc = Apply(step->routine, *step->cell, 0.0);
        NEXT();
        STEP(SIN) : acc = Reduced_Sin(acc);
        NEXT();
        STEP(COS) : acc = Reduced_Cos(acc);
        NEXT();
        STEP(TAN) : acc = Reduced_Tan(acc);
        NEXT();
        STEP(EXP) : acc = std::exp(acc);
        NEXT();
        STEP(SIN_CELL) : fp[step->slot] = acc;
        acc = Reduced_Sin(*step->cell);
        NEXT();
        STEP(COS_CELL) : fp[step->slot] = acc;
        acc = Reduced_Cos(*step->cell);
        NEXT();
        STEP(TAN_CELL) : fp[step->slot] = acc;
        acc = Reduced_Tan(*step->cell);
        NEXT();
        STEP(EXP_CELL) : fp[step->slot] = acc;
        acc = std::exp(*step->cell);
        NEXT();
        STEP(SQUARE) : acc = acc * acc;
        NEXT();
        STEP(CELL_SQUARE) : fp[step->slot] = acc;
        acc = *step->cell * *step->cell;
        NEXT();

        // Slots: the value below the sum, the running sum, unused, the index.
        // The gap keeps the compiler from joining sum and index into one wide
        // store, which a following read of the index alone could not take over.
        STEP(SIGMA_BEGIN) : fp[step->slot] = acc;
        if (step->number > step->last_index) {
            acc = 0.0;
            pc = steps + step->jump;
        } else {
            fp[step->slot + 1] = 0.0;
            fp[step->slot + 3] = step->number;
            if (outer_sum_ == nullptr) {
                outer_sum_ = fp + step->slot;
                outer_sum_step_ = step;
            }
        }
        NEXT();
        STEP(SIGMA_NEXT) : {
            double* state = fp + step->slot;
            state[1] += acc;
            state[3] += 1.0;
            if (--terms_to_poll == 0) {
                terms_to_poll = SUM_POLL_TERMS;
                // A sum cut short has no value.
                if (!Poll_Sums()) {
                    End_Sums();
                    *value = 0.0;
                    return EVAL_INTERRUPTED;
                }
            }
            if (state[3] <= step->last_index) {
                pc = steps + step->jump;
            } else {
                acc = state[1];
                if (state == outer_sum_) End_Sums();
            }
            NEXT();
        }

        STEP(SUM_OF_INDEX) : {
            fp[step->slot] = acc;
            double sum = 0.0;
            double index = step->number;
            bool outermost = outer_sum_ == nullptr;
            while (index <= step->last_index) {
                // Terms up to the next look at Ctrl-C, added in a tight loop.
                double chunk_last = index + (SUM_CHUNK_TERMS - 1);
                if (chunk_last > step->last_index) chunk_last = step->last_index;
                for (; index <= chunk_last; index += 1.0) sum += index;
                if (Calculation_Interrupted()) {
                    if (outermost) End_Sums();
                    *value = 0.0;
                    return EVAL_INTERRUPTED;
                }
                if (outermost) Show_SumProgress(step, index);
            }
            if (outermost) End_Sums();
            acc = sum;
            NEXT();
        }

        STEP(GUARD) : if (base_level + step->level > EVAL_LEVEL_LIMIT) {
            fp[step->slot] = acc;
            acc = 0.0;
            failed = true;
            pc = steps + step->jump;
        }
        NEXT();
        STEP(CALL_ENTRY) : if (call_cut) {
            fp[step->slot] = acc;
            acc = 0.0;
            failed = true;
            pc = steps + step->jump;
        }
        NEXT();
        STEP(CALL) : {
            const EvalCall& call = program_.calls_[step->call];
            int count = call.arg_count;
            if (count == 0) fp[step->slot] = acc;
            if (step->cell != nullptr) {  // the argument is this variable
                fp[step->slot] = acc;
                acc = *step->cell;
            }
            if (!call.checked_at_entry && call_cut) {
                acc = 0.0;
                failed = true;
                NEXT();
            }
            // Every argument is computed before any cell is written. The last one
            // joins the others at the head of the callee's frame.
            for (int i = 0; i + 1 < count; ++i) *call.arg_cells[i] = fp[step->slot + 1 + i];
            if (count > 0) {
                *call.arg_cells[count - 1] = acc;
                fp[step->slot + count] = acc;
            }
            if (call.callee < 0 || call_cut || call_depth >= USER_CALL_DEPTH_LIMIT) {
                if (call.callee >= 0) call_cut = true;
                acc = 0.0;
                failed = true;
                NEXT();
            }
            callers[call_depth++] = CallerFrame{pc, fp, base_level};
            fp += step->slot + 1;
            base_level += call.level;
            pc = steps + (base_level + call.max_level > EVAL_LEVEL_LIMIT ? call.guarded_entry
                                                                         : call.fast_entry);
            NEXT();
        }
        STEP(ARGUMENTS) : {
            const EvalCall& call = program_.calls_[step->call];
            fp[step->slot] = acc;
            const double* arguments = fp + step->slot + 1 - call.arg_count;
            for (int i = 0; i < call.arg_count; ++i) *call.arg_cells[i] = arguments[i];
            NEXT();
        }
        STEP(ARGUMENT) : fp[step->slot] = acc;
        *const_cast<double*>(step->cell) = acc;
        NEXT();
        STEP(RETURN) : {
            const CallerFrame& caller = callers[--call_depth];
            if (call_depth == 0) call_cut = false;
            pc = caller.resume;
            fp = caller.slots;
            base_level = caller.base_level;
            NEXT();
        }
        STEP(END) : * value = acc;
        return failed ? EVAL_FAILED : EVAL_OK;
#if !KANSU_COMPUTED_GOTO
    default: *value = 0.0; return EVAL_FAILED;
    }
#endif
}
*value = 0.0;  // not reached: every handler goes on or returns
return EVAL_FAILED;
}
