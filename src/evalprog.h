// Expression trees turned once into flat programs, and the machine that runs
// them: constants converted, variables and summation indices read from fixed
// places, built-in functions called through their table routine, user
// functions entered directly. Running allocates nothing, looks up no name and
// does not recurse, so the depth a formula reaches does not depend on the
// thread's stack.
#ifndef KANSU_EVALPROG_H
#define KANSU_EVALPROG_H

#include <optional>
#include <vector>

#include "fmula.h"
#include "progress.h"

class UsrFuncArray;

// Deepest nesting of tree levels evaluated, all trees of one evaluation
// together (user-function definitions included); deeper levels clear the
// error flag.
const int EVAL_LEVEL_LIMIT = 4000;

// Step codes. "Push" stores the accumulator in the step's slot before loading
// the new value; binary steps take their left operand from the slot.
enum EvalOp {
    OP_NUMBER, OP_CELL, OP_LOCAL, OP_FAIL,                    // push a value (FAIL: 0, error)
    OP_ADD, OP_SUB, OP_MUL, OP_DIV, OP_ROUTINE2,              // slot op accumulator
    OP_ADD_NUMBER, OP_SUB_NUMBER, OP_MUL_NUMBER, OP_DIV_NUMBER, OP_ROUTINE2_NUMBER,
    OP_ADD_CELL, OP_SUB_CELL, OP_MUL_CELL, OP_DIV_CELL, OP_ROUTINE2_CELL,
    OP_ADD_LOCAL, OP_SUB_LOCAL, OP_MUL_LOCAL, OP_DIV_LOCAL, OP_ROUTINE2_LOCAL,
    OP_NUMBER_ADD, OP_NUMBER_SUB, OP_NUMBER_MUL, OP_NUMBER_DIV, OP_NUMBER_ROUTINE2,  // k op acc
    OP_CELL_ADD_NUMBER, OP_CELL_SUB_NUMBER, OP_CELL_MUL_NUMBER, OP_CELL_DIV_NUMBER,
    OP_CELL_ROUTINE2_NUMBER,                                  // push cell op k
    OP_ROUTINE0, OP_ROUTINE1, OP_ROUTINE1_CELL, OP_ROUTINE_N, // built-in functions
    OP_SQUARE, OP_CELL_SQUARE,                                // v^2 as v*v (push cell: cell^2)
    OP_SIGMA_BEGIN, OP_SIGMA_NEXT,
    OP_GUARD, OP_CALL_ENTRY, OP_CALL, OP_RETURN, OP_END
};
// Distance between an operation's stack form and its forms with a constant,
// a cell or a summation index as right operand.
const int OP_FORM_STRIDE = OP_ADD_NUMBER - OP_ADD;

// One step of a program. The machine keeps the newest value in an accumulator;
// older values sit in the slots of the current frame, whose numbers are fixed
// when compiling.
struct EvalStep {
    int op;
    int slot;
    int aux;                   // jump target, summation slot, call or level
    double number;             // constant operand, sigma's lower bound
    double limit;              // sigma's upper bound
    const double* cell;        // variable cell operand
    OprFunction routine;       // built-in function or power
};

// A call of a user function as compiled.
struct EvalCall {
    int arg_count;
    std::vector<double*> arg_cells;  // a0, a1, ... of the global argument table
    int callee;                      // compiled definition, -1 when undefined
    int level;                       // tree level of the calling frame
    bool checked_at_entry;           // the pending-call cut was tested before the arguments
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
    // The value; the error flag is set to 0 when evaluation failed, never to 1.
    double Run(int* error_num);

private:
    friend class EvalCompiler;
    std::vector<EvalStep> steps_;
    std::vector<EvalCall> calls_;
    std::vector<EvalBody> bodies_;
    std::vector<double> stack_;
    // The outermost sum running: Ctrl-C is looked at every so many terms, and
    // its terms done are the progress of a long sum that no sweep encloses.
    const double* outer_sum_ = nullptr;
    const EvalStep* outer_sum_step_ = nullptr;
    std::optional<ProgressReporter> sum_progress_;
    bool Poll_Sums();
    void End_Sums();
};

#endif
