// The machine that runs flat programs: a loop over the steps of a program that
// runs straight through, and one with an explicit frame stack for
// user-function calls and the state of sums for any other. Each op of
// evalops.def has one handler (the straight ones in evalarith.inc and
// evalcalling.inc, shared by both loops), reached by computed goto where the compiler has it, by a
// switch elsewhere.
#include <cmath>

#include "eval/evalprog.h"
#include "progress/calcstop.h"
#include "progress/progress.h"
#include "formula/trigreduce.h"

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

// Writes an inlined call's argument cells from where its arguments are.
void Write_Arguments(const EvalCall& call, const double* fp) {
    for (int i = 0; i < call.arg_count; ++i) {
        const EvalArgument& source = call.sources[i];
        double value = source.form == OPERAND_NUMBER ? source.number
                       : source.form == OPERAND_CELL ? *source.cell
                                                     : fp[source.slot];
        *call.arg_cells[i] = value;
    }
}

// Sum terms, of all sums of one evaluation together, between two looks at
// Ctrl-C and the progress line.
const int SUM_POLL_TERMS = INTERRUPT_POLL_MASK + 1;
// Terms of a sum of its index between two looks.
const double SUM_CHUNK_TERMS = 4096.0;

}  // namespace

EvalMachine::EvalMachine(const EvalProgram& program, bool shows_sum_progress, EvalCode code)
    : program_(program),
      // A cache line of slack after the slots: machines of two threads that
      // were allocated side by side never write the same line.
      stack_(program.stack_size_ + 8, 0.0),
      runnable_(program.Runnable()),
      shows_sum_progress_(shows_sum_progress),
      straight_(program.Straight()),
      arithmetic_(program.Arithmetic()) {
    if (code == EVAL_NATIVE_WHERE_ABLE && straight_) native_ = NativeCode::Compile(program);
    if (native_) native_start_ = native_->Start();
}

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

// Each loop below defines how it goes on to the next step (NEXT) where the
// compiler has computed goto; a switch simply breaks.
#if KANSU_COMPUTED_GOTO
#define STEP(name) op_##name
#else
#define STEP(name) case OP_##name
#define NEXT() break
#endif

// Steps that run straight through, from step to the END that closes them:
// only the accumulator and the frame's slots, and no jump, so the running
// step is the only pointer into the program. The accumulator's value then.
// Without calls, the steps that call a routine are left out, and with them
// the registers a call must keep. For the terms of a sum (terms), the steps
// from step to TERM_END run again and again, the running sum and the index in
// registers, until the last term or the next look at Ctrl-C.
#if KANSU_COMPUTED_GOTO
#define NEXT() goto* handlers[(++step)->op]
#endif
template <bool with_calls, bool terms>
double EvalMachine::Run_Line(const EvalStep* step, double* fp, StraightSum* sum) const {
    double acc = 0.0;
    const EvalStep* const first = step;
    double total = terms ? sum->total : 0.0;
    double index = terms ? sum->index : 0.0;
#if KANSU_COMPUTED_GOTO
    static const void* const handlers[EVAL_OP_COUNT] = {
#define EVAL_OP(name, effect, operand) &&op_##name,
#define EVAL_CALLING_OP(name, effect, operand) with_calls ? &&op_##name : &&op_other,
#define EVAL_FLOW_OP(name, effect, operand) &&op_other,
#include "eval/evalops.def"
#undef EVAL_OP
    };
    goto* handlers[step->op];
    {
#else
    for (;; ++step) {
        switch (step->op) {
#endif
#include "eval/evalarith.inc"
#include "eval/evalcalling.inc"
        STEP(END) : STEP(TERM_END) : if (terms) {
            // The same additions, in the same order, as term after term.
            total += acc;
            index += 1.0;
            if (--sum->terms_left != 0 && index <= sum->last_index) {
                *sum->index_slot = index;
                step = first;
#if KANSU_COMPUTED_GOTO
                goto* handlers[step->op];
#else
                    --step;  // the loop steps on to first
                    NEXT();
#endif
            }
            sum->total = total;
            sum->index = index;
        }
        return acc;
#if KANSU_COMPUTED_GOTO
    op_other:
#else
        default:
#endif
        return 0.0;  // not reached: the steps were checked
#if !KANSU_COMPUTED_GOTO
    }
#endif
}
}

template double EvalMachine::Run_Line<false, false>(const EvalStep*, double*, StraightSum*) const;
template double EvalMachine::Run_Line<true, false>(const EvalStep*, double*, StraightSum*) const;

// A sum whose summand runs straight through, its slots as for SIGMA_BEGIN:
// the terms run from the next step, the running sum kept in a register. False
// when Ctrl-C ended it.
template <bool with_calls>
bool EvalMachine::Sum_Straight(const EvalStep* step, double* fp, int& terms_to_poll, double* sum) {
    double* state = fp + step->slot;
    StraightSum terms{state + 3, step->number, step->last_index, 0.0, 0};
    if (terms.index <= terms.last_index && outer_sum_ == nullptr) {
        outer_sum_ = state;
        outer_sum_step_ = step;
    }
    while (terms.index <= terms.last_index) {
        state[3] = terms.index;
        terms.terms_left = terms_to_poll;
        Run_Line<with_calls, true>(step + 1, fp, &terms);
        terms_to_poll = terms.terms_left;
        if (terms_to_poll == 0) {
            terms_to_poll = SUM_POLL_TERMS;
            state[3] = terms.index;
            if (!Poll_Sums()) {
                End_Sums();
                return false;
            }
        }
    }
    if (state == outer_sum_) End_Sums();
    *sum = terms.total;
    return true;
}

// Any program: jumps, calls and sums too.
#if KANSU_COMPUTED_GOTO
#undef NEXT
#define NEXT()                    \
    do {                          \
        step = pc++;              \
        goto* handlers[step->op]; \
    } while (0)
#endif
EvalOutcome EvalMachine::Run_Flow(double* value) {
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
#include "eval/evalops.def"
#undef EVAL_OP
    };
    NEXT();
    {
#else
        for (;;) {
            step = pc++;
            switch (step->op) {
#endif
#include "eval/evalarith.inc"
#include "eval/evalcalling.inc"
        STEP(FAIL) : fp[step->slot] = acc;
        acc = 0.0;
        failed = true;
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

        STEP(SIGMA_STRAIGHT) : STEP(SIGMA_ARITHMETIC) : {
            fp[step->slot] = acc;
            bool done = step->op == OP_SIGMA_ARITHMETIC
                            ? Sum_Straight<false>(step, fp, terms_to_poll, &acc)
                            : Sum_Straight<true>(step, fp, terms_to_poll, &acc);
            if (!done) {
                *value = 0.0;
                return EVAL_INTERRUPTED;
            }
            pc = steps + step->jump;
            NEXT();
        }
        STEP(TERM_END) : * value = 0.0;  // not reached: SIGMA_STRAIGHT runs the terms
        return EVAL_FAILED;

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
