// Expression trees turned once into flat programs, and the machine that runs
// them: constants converted, variables and summation indices read from fixed
// places, built-in functions called through their table routine, user
// functions entered directly. A program does not change once compiled, so
// machines on several threads may run one program. Running allocates
// nothing, looks up no name and does not recurse, so the depth a formula
// reaches does not depend on the thread's stack.
#ifndef KANSU_EVALPROG_H
#define KANSU_EVALPROG_H

#include <map>
#include <optional>
#include <vector>

#include "eval/evallimits.h"
#include "eval/evalnative.h"
#include "formula/fmula.h"
#include "progress/progress.h"

class UsrFuncArray;

// a0, a1, ...: the names whose cells calls write.
bool Is_ArgumentName(const char* name);

enum EvalStackEffect { EFFECT_PUSH, EFFECT_POP, EFFECT_KEEP, EFFECT_CALL, EFFECT_SUM };

enum EvalOperand {
    OPERAND_NONE,
    OPERAND_NUMBER,
    OPERAND_CELL,
    OPERAND_LOCAL,
    OPERAND_ROUTINE,
    OPERAND_ROUTINE_NUMBER,
    OPERAND_ROUTINE_CELL,
    OPERAND_ROUTINE_LOCAL,
    OPERAND_CELL_NUMBER,
    OPERAND_ROUTINE_CELL_NUMBER,
    OPERAND_LOCAL_NUMBER,
    OPERAND_CELL_LOCAL,
    OPERAND_ROUTINE_LOCAL_NUMBER,
    OPERAND_SUM_BOUNDS,
    OPERAND_LEVEL,
    OPERAND_JUMP,
    OPERAND_CALL
};

enum EvalOp {
#define EVAL_OP(name, effect, operand) OP_##name,
#include "eval/evalops.def"
#undef EVAL_OP
    EVAL_OP_COUNT
};

inline constexpr EvalStackEffect EVAL_OP_EFFECT[EVAL_OP_COUNT] = {
#define EVAL_OP(name, effect, operand) EFFECT_##effect,
#include "eval/evalops.def"
#undef EVAL_OP
};

inline constexpr EvalOperand EVAL_OP_OPERAND[EVAL_OP_COUNT] = {
#define EVAL_OP(name, effect, operand) OPERAND_##operand,
#include "eval/evalops.def"
#undef EVAL_OP
};

// True for the steps that run straight through: no jump, failure, call or sum.
inline constexpr bool EVAL_OP_STRAIGHT[EVAL_OP_COUNT] = {
#define EVAL_OP(name, effect, operand) true,
#define EVAL_FLOW_OP(name, effect, operand) false,
#include "eval/evalops.def"
#undef EVAL_OP
};

// True for the straight steps that call a routine.
inline constexpr bool EVAL_OP_CALLING[EVAL_OP_COUNT] = {
#define EVAL_OP(name, effect, operand) false,
#define EVAL_CALLING_OP(name, effect, operand) true,
#include "eval/evalops.def"
#undef EVAL_OP
};

inline constexpr const char* EVAL_OP_NAME[EVAL_OP_COUNT] = {
#define EVAL_OP(name, effect, operand) #name,
#include "eval/evalops.def"
#undef EVAL_OP
};

// The forms of one binary operation: with its right operand in a slot, a
// constant, a cell or a local; with a constant or a cell on the left and the
// right operand computed; with a cell or a local on the left and a constant
// on the right.
struct EvalBinaryForms {
    EvalOp with_slot;
    EvalOp with_number;
    EvalOp with_cell;
    EvalOp with_local;
    EvalOp number_first;
    EvalOp cell_first;
    EvalOp cell_then_number;
    EvalOp local_then_number;
};

// By operator code.
inline constexpr EvalBinaryForms EVAL_BINARY_FORMS[BINARY_OPERATOR_COUNT] = {
    {OP_ADD, OP_ADD_NUMBER, OP_ADD_CELL, OP_ADD_LOCAL, OP_NUMBER_ADD, OP_CELL_ADD,
     OP_CELL_ADD_NUMBER, OP_LOCAL_ADD_NUMBER},
    {OP_SUB, OP_SUB_NUMBER, OP_SUB_CELL, OP_SUB_LOCAL, OP_NUMBER_SUB, OP_CELL_SUB,
     OP_CELL_SUB_NUMBER, OP_LOCAL_SUB_NUMBER},
    {OP_MUL, OP_MUL_NUMBER, OP_MUL_CELL, OP_MUL_LOCAL, OP_NUMBER_MUL, OP_CELL_MUL,
     OP_CELL_MUL_NUMBER, OP_LOCAL_MUL_NUMBER},
    {OP_DIV, OP_DIV_NUMBER, OP_DIV_CELL, OP_DIV_LOCAL, OP_NUMBER_DIV, OP_CELL_DIV,
     OP_CELL_DIV_NUMBER, OP_LOCAL_DIV_NUMBER},
    {OP_POW, OP_POW_NUMBER, OP_POW_CELL, OP_POW_LOCAL, OP_NUMBER_POW, OP_CELL_POW,
     OP_CELL_POW_NUMBER, OP_LOCAL_POW_NUMBER},
};
static_assert(OPR_PLUS == 0 && OPR_MINUS == 1 && OPR_TIMES == 2 && OPR_DIVIDE == 3 &&
                  OPR_POWER == 4,
              "EVAL_BINARY_FORMS is indexed by operator code");
// Two-argument built-in functions, through their routine.
inline constexpr EvalBinaryForms ROUTINE2_FORMS = {
    OP_ROUTINE2,        OP_ROUTINE2_NUMBER, OP_ROUTINE2_CELL,        OP_ROUTINE2_LOCAL,
    OP_NUMBER_ROUTINE2, OP_CELL_ROUTINE2,   OP_CELL_ROUTINE2_NUMBER, OP_LOCAL_ROUTINE2_NUMBER};

// One step of a program. Each op reads the fields its operand kind names.
struct EvalStep {
    EvalOp op;
    int slot;             // the slot the step saves the accumulator to or combines with
    int local_slot;       // LOCAL: the slot of a summation index or of an argument
    int jump;             // where control continues when the step jumps
    int level;            // LEVEL: tree level of the frame the guard checks
    int call;             // CALL: the call in the program's call list
    double number;        // NUMBER: a constant; SUM_BOUNDS: the first index
    double last_index;    // SUM_BOUNDS: the last index
    const double* cell;   // CELL: a variable cell
    OprFunction routine;  // ROUTINE: a built-in function or the power
};

// Where an inlined call's argument comes from when its cell is written: a
// constant (number), a cell, or a slot of the frame.
struct EvalArgument {
    EvalOperand form;  // OPERAND_NUMBER, OPERAND_CELL or OPERAND_LOCAL
    double number;
    const double* cell;
    int slot;
};

// A call of a user function as compiled.
struct EvalCall {
    int arg_count;
    std::vector<double*> arg_cells;     // a0, a1, ... of the global argument table
    std::vector<EvalArgument> sources;  // an inlined call's arguments, by cell
    int callee;                         // compiled definition, -1 when undefined
    int level;                          // tree level of the calling frame
    bool checked_at_entry;              // the pending-call cut was tested before the arguments
    // The callee's entries and depth, copied from its EvalBody once compiled.
    int fast_entry = 0;
    int guarded_entry = 0;
    int max_level = 0;
};

// A user function's definition, compiled twice: without level checks, and with
// a check at every level for calls made close to the level limit.
struct EvalBody {
    int fast_entry = 0;
    int guarded_entry = 0;
    int max_level = 0;
    int frame_size = 0;
};

// Where evaluation starts: a tree root as BinTreeFunc takes it, or one item as
// CalcValue takes it.
enum EvalStart { EVAL_TREE, EVAL_ITEM };

class EvalProgram {
public:
    // Compiles the tree at root and every user function it can reach, as the
    // registry defines them now.
    EvalProgram(CompForm* root, UsrFuncArray& ufunc_list, EvalStart start = EVAL_TREE);
    const std::vector<EvalStep>& Steps() const { return steps_; }
    const std::vector<EvalCall>& Calls() const { return calls_; }
    // Every step's op is one the machine knows.
    bool Runnable() const;
    // Every step runs straight through to the one END: no jump, failure, call
    // or sum.
    bool Straight() const;
    // Straight, and no step calls a routine.
    bool Arithmetic() const;

    // The variable and argument cells the program reads or writes, each once.
    std::vector<const double*> Cells() const;
    // Whether a value can pass from one evaluation to the next: some cell the
    // program writes (an argument of a call) is also read as a cell.
    bool Carries_Values() const;
    // The same program over other cells: each cell of Cells() is replaced by
    // its entry in moved_to, which must hold every one.
    EvalProgram Relocated(const std::map<const double*, double*>& moved_to) const;

private:
    friend class EvalCompiler;
    friend class EvalMachine;
    std::vector<EvalStep> steps_;
    std::vector<EvalCall> calls_;
    std::vector<EvalBody> bodies_;
    size_t stack_size_ = 0;  // slots a machine needs for the deepest evaluation
};

// How one evaluation ended.
enum EvalOutcome {
    EVAL_OK,
    EVAL_FAILED,      // something had no value: the result is meaningless
    EVAL_INTERRUPTED  // Ctrl-C ended a running sum: there is no result
};

// How a machine runs a program that runs straight through: as machine code
// where it can be made, or always by its loop.
enum EvalCode { EVAL_NATIVE_WHERE_ABLE, EVAL_INTERPRETED };

// Runs one program, again and again; owns the value stack and the state of
// the sums being run. One machine per thread.
class EvalMachine {
public:
    // A machine that shows no progress of its sums keeps off the shared
    // progress line, as a worker thread must.
    explicit EvalMachine(const EvalProgram& program, bool shows_sum_progress = true,
                         EvalCode code = EVAL_NATIVE_WHERE_ABLE);
    // Whether the program runs as machine code.
    bool Runs_Native() const { return native_start_ != nullptr; }
    EvalOutcome Run(double* value) {
        if (native_start_ != nullptr)
            *value = native_start_(stack_.data());
        else if (arithmetic_)
            *value = Run_Line<false>(program_.steps_.data(), stack_.data());
        else if (straight_)
            *value = Run_Line<true>(program_.steps_.data(), stack_.data());
        else
            return Run_Flow(value);
        return EVAL_OK;
    }

private:
    // A sum whose terms the straight loop runs one after another.
    struct StraightSum {
        double* index_slot;  // where the summand reads the index
        double index;        // of the next term
        double last_index;
        double total;
        int terms_left;  // before the next look at Ctrl-C
    };
    template <bool with_calls, bool terms = false>
    double Run_Line(const EvalStep* step, double* fp, StraightSum* sum = nullptr) const;
    EvalOutcome Run_Flow(double* value);
    template <bool with_calls>
    bool Sum_Straight(const EvalStep* step, double* fp, int& terms_to_poll, double* sum);
    bool Poll_Sums();
    void Show_SumProgress(const EvalStep* sum_step, double index);
    void End_Sums();

    const EvalProgram& program_;
    std::vector<double> stack_;
    bool runnable_;  // every step's op is known
    bool shows_sum_progress_;
    // Only straight steps: a loop without call or sum bookkeeping runs it,
    // one that calls no routine either when none is called (and so needs
    // fewer registers kept).
    bool straight_;
    bool arithmetic_;
    std::unique_ptr<NativeCode> native_;
    NativeCode::Entry native_start_ = nullptr;  // native_'s, kept at hand
    // The outermost sum running: Ctrl-C is looked at every so many terms, and
    // its terms done are the progress of a long sum that no sweep encloses.
    const double* outer_sum_ = nullptr;
    const EvalStep* outer_sum_step_ = nullptr;
    std::optional<ProgressReporter> sum_progress_;
};

// The value of a program for callers that keep an error flag: the flag is set
// to 0 when the evaluation failed or was interrupted, never to 1.
inline double Run_WithFlag(EvalMachine& machine, int* error_num) {
    double value = 0.0;
    if (machine.Run(&value) != EVAL_OK) *error_num = 0;
    return value;
}

#endif
