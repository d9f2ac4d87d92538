// Turns expression trees into flat programs. The walk follows the language's
// order of evaluation step for step (a subtree: its level checked, then its
// operator; an operand: by its item kind), but with a work list instead of
// recursion, so that trees of any depth compile on a small stack.
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "eval/calcbintree.h"
#include "eval/evalinline.h"
#include "eval/evallisting.h"
#include "eval/evalprog.h"
#include "formula/symbol.h"
#include "userfunc/usrfunc.h"

namespace {

const int RANGE_NAME_SIZE = 256;

// A bound that converts to int by truncation without leaving its range.
bool Fits_Int(double bound) { return bound > -2147483649.0 && bound < 2147483648.0; }

enum TaskKind {
    TASK_SUBTREE,   // a tree root or operator node: level check, then TASK_OPERATOR
    TASK_OPERATOR,  // a node by its operator code
    TASK_OPERAND,   // an operand by its item kind
    TASK_STEP,      // a step prepared earlier, its slot taken at emission
    TASK_SIGMA_NEXT,
    TASK_SCOPE_END,
    TASK_LABEL,
    TASK_INLINE_BEGIN,  // a user function's definition taken into the program
    TASK_INLINE_END
};

struct Task {
    TaskKind kind;
    CompForm* node;
    int level;
    EvalStep step;
    int label;
    int arg_count;  // TASK_STEP: values the step consumes; TASK_INLINE_BEGIN: arguments
};

// A summation index visible at this point of the tree and its frame slot.
struct IndexScope {
    std::string name;
    int slot;
};

// What a leaf operand is read as.
enum LeafForm { LEAF_NONE, LEAF_NUMBER, LEAF_CELL, LEAF_LOCAL };

// An argument of the definition being compiled: its shared cell, and what the
// definition reads instead: the slot that holds the call's own value, or the
// constant, cell or local that the call passed as it is.
struct ArgumentBinding {
    const double* cell;
    LeafForm form;
    double number;
    const double* source;
    int slot;
};

// What an inlined definition hides of its caller while it is compiled.
struct CallerContext {
    std::vector<IndexScope> scopes;
    std::vector<ArgumentBinding> arguments;
    int result_depth;  // the stack depth once the call's value is in the accumulator
};

// An inlined call whose arguments are being compiled.
struct PendingInline {
    std::vector<ArgumentBinding> arguments;
    int result_depth;
};

struct PendingBody {
    CompForm* definition;
    int arg_count;
};

// True when an argument tree holds a user-function call or a sigma sum: then a
// pending-call cut is tested before its arguments are evaluated, as they may
// take long or write argument cells.
bool Has_CallOrSigma(CompForm* root) {
    std::vector<CompForm*> pending{root};
    while (!pending.empty()) {
        CompForm* node = pending.back();
        pending.pop_back();
        if (node == nullptr) continue;
        if (node->kind == KIND_USER_FUNCTION || node->operator_kind == OPR_SIGMA) return true;
        pending.push_back(node->left);
        pending.push_back(node->right);
        for (int i = 0; i < node->list_fnarg.element_num; ++i)
            pending.push_back(node->list_fnarg.CompList[i]);
    }
    return false;
}

// The cells a step reads besides the stack, and those it writes.
void Cells_Of(const EvalStep& step, const std::vector<EvalCall>& calls,
              std::vector<const double*>& read, std::vector<const double*>& written) {
    read.clear();
    written.clear();
    if (step.op == OP_ARGUMENT) {
        written.push_back(step.cell);
        return;
    }
    if (step.op == OP_ARGUMENTS || step.op == OP_LEAF_ARGUMENTS) {
        const EvalCall& call = calls[step.call];
        for (int i = 0; i < call.arg_count; ++i) {
            written.push_back(call.arg_cells[i]);
            if (call.sources[i].form == OPERAND_CELL) read.push_back(call.sources[i].cell);
        }
        return;
    }
    switch (EVAL_OP_OPERAND[step.op]) {
    case OPERAND_CELL:
    case OPERAND_ROUTINE_CELL:
    case OPERAND_CELL_NUMBER:
    case OPERAND_ROUTINE_CELL_NUMBER:
    case OPERAND_CELL_LOCAL: read.push_back(step.cell); break;
    default: break;
    }
}

}  // namespace

bool Is_ArgumentName(const char* name) {
    if (name[0] != 'a' || name[1] == '\0') return false;
    for (const char* digit = name + 1; *digit != '\0'; ++digit)
        if (*digit < '0' || *digit > '9') return false;
    return true;
}

class EvalCompiler {
public:
    EvalCompiler(EvalProgram& program, UsrFuncArray& ufunc_list)
        : program_(program), ufunc_list_(ufunc_list), planner_(ufunc_list) {}

    void Compile(CompForm* root, EvalStart start) {
        Set_Operator_Function();
        Begin(false);
        // Only here, where no call is pending, are calls taken in: their depth
        // and level are then known while compiling.
        inlining_ = true;
        if (start == EVAL_TREE)
            Subtree(root, 1);
        else
            Operand(root, 0);
        Run_Tasks();
        inlining_ = false;
        Emit_Plain(OP_END);
        Finish();
        if (program_.Straight()) Drop_DeadArgumentWrites();
        int top_size = max_depth_ + 1;
        for (size_t i = 0; i < pending_.size(); ++i) Compile_Body(static_cast<int>(i));
        for (EvalCall& call : program_.calls_) {
            if (call.callee < 0) continue;
            const EvalBody& body = program_.bodies_[call.callee];
            call.fast_entry = body.fast_entry;
            call.guarded_entry = body.guarded_entry;
            call.max_level = body.max_level;
        }
        int body_size = 0;
        for (const EvalBody& body : program_.bodies_)
            if (body.frame_size > body_size) body_size = body.frame_size;
        program_.stack_size_ =
            static_cast<size_t>(top_size + (USER_CALL_DEPTH_LIMIT + 1) * (body_size + 1));
    }

private:
    void Compile_Body(int index) {
        for (int guarded = 0; guarded < 2; ++guarded) {
            Begin(guarded == 1);
            // The call's own arguments lead the frame; the definition reads
            // them there, whatever its calls write into the shared cells.
            const PendingBody& body = pending_[index];
            Bind_Arguments(body.arg_count, 0);
            depth_ = max_depth_ = body.arg_count;
            int entry = static_cast<int>(program_.steps_.size());
            Subtree(body.definition, 1);
            Run_Tasks();
            Emit_Plain(OP_RETURN);
            Finish();
            EvalBody& same_body = program_.bodies_[index];  // the vector may have grown
            if (guarded == 0) {
                same_body.fast_entry = entry;
                same_body.max_level = max_level_;
            } else {
                same_body.guarded_entry = entry;
            }
            if (max_depth_ + 1 > same_body.frame_size) same_body.frame_size = max_depth_ + 1;
        }
    }

    // In a program that runs straight through, an inlined call's write of an
    // argument cell that a later call writes again before anything reads it
    // changes nothing: it is left out. The last writes stay, for whatever
    // reads the cells after the evaluation.
    void Drop_DeadArgumentWrites() {
        std::vector<EvalStep>& steps = program_.steps_;
        std::set<const double*> rewritten;
        std::vector<const double*> read;
        std::vector<const double*> written;
        for (size_t i = steps.size(); i-- > 0;) {
            Cells_Of(steps[i], program_.calls_, read, written);
            bool dead = !written.empty();
            for (const double* cell : written) {
                if (rewritten.count(cell) == 0) dead = false;
                rewritten.insert(cell);
            }
            for (const double* cell : read) rewritten.erase(cell);
            if (!dead) continue;
            if (steps[i].op == OP_LEAF_ARGUMENTS)
                steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(i));
            else
                steps[i].op = OP_SAVE;  // the computed arguments still fill their slots
        }
    }

    void Begin(bool guarded) {
        guarded_ = guarded;
        depth_ = 0;
        max_depth_ = 0;
        max_level_ = 0;
        scopes_.clear();
        arguments_.clear();
        label_pos_.clear();
        fixups_.clear();
    }

    void Finish() {
        for (const std::pair<int, int>& fixup : fixups_)
            program_.steps_[fixup.first].jump = label_pos_[fixup.second];
    }

    void Mark(int label) { label_pos_[label] = static_cast<int>(program_.steps_.size()); }

    int New_Label() {
        label_pos_.push_back(-1);
        return static_cast<int>(label_pos_.size()) - 1;
    }

    void Push(TaskKind kind, CompForm* node, int level) {
        Task task{};
        task.kind = kind;
        task.node = node;
        task.level = level;
        tasks_.push_back(task);
    }
    void Push_Step(const EvalStep& step, int arg_count) {
        Task task{};
        task.kind = TASK_STEP;
        task.step = step;
        task.arg_count = arg_count;
        tasks_.push_back(task);
    }
    void Push_Label(int label) {
        Task task{};
        task.kind = TASK_LABEL;
        task.label = label;
        tasks_.push_back(task);
    }

    void Run_Tasks() {
        while (!tasks_.empty()) {
            Task task = tasks_.back();
            tasks_.pop_back();
            switch (task.kind) {
            case TASK_SUBTREE: Subtree(task.node, task.level); break;
            case TASK_OPERATOR: Operator(task.node, task.level); break;
            case TASK_OPERAND: Operand(task.node, task.level); break;
            case TASK_STEP: Emit(task.step, task.arg_count); break;
            case TASK_SIGMA_NEXT: Sigma_Next(task); break;
            case TASK_SCOPE_END: scopes_.pop_back(); break;
            case TASK_LABEL: Mark(task.label); break;
            case TASK_INLINE_BEGIN: Inline_Begin(); break;
            case TASK_INLINE_END: Inline_End(); break;
            }
        }
    }

    // Appends a step, its slot given by its stack effect: a step that pushes
    // takes the next slot; one that consumes its left operand, or a call its
    // arg_count arguments (the last in the accumulator), takes the first slot
    // of them; any other the current top.
    void Emit(EvalStep step, int arg_count) {
        switch (EVAL_OP_EFFECT[step.op]) {
        case EFFECT_PUSH: step.slot = depth_++; break;
        case EFFECT_POP: step.slot = --depth_; break;
        case EFFECT_CALL:
            step.slot = depth_ - arg_count;
            depth_ = step.slot + 1;
            break;
        case EFFECT_SUM:
        case EFFECT_KEEP: step.slot = depth_; break;
        }
        if (depth_ > max_depth_) max_depth_ = depth_;
        program_.steps_.push_back(step);
    }
    void Emit_Plain(EvalOp op) {
        EvalStep step{};
        step.op = op;
        Emit(step, 0);
    }
    void Emit_Jump(EvalOp op, int label) {
        EvalStep step{};
        step.op = op;
        fixups_.emplace_back(static_cast<int>(program_.steps_.size()), label);
        Emit(step, 0);
    }
    void Emit_Number(double value) {
        EvalStep step{};
        step.op = OP_NUMBER;
        step.number = value;
        Emit(step, 0);
    }

    // A subtree: a missing root or one past the level limit fails.
    void Subtree(CompForm* node, int level) {
        if (level > max_level_) max_level_ = level;
        if (node == nullptr || level > EVAL_LEVEL_LIMIT) {
            Emit_Plain(OP_FAIL);
            return;
        }
        if (!guarded_) {
            Operator(node, level);
            return;
        }
        int skip = New_Label();
        EvalStep guard{};
        guard.op = OP_GUARD;
        guard.level = level;
        fixups_.emplace_back(static_cast<int>(program_.steps_.size()), skip);
        Emit(guard, 0);
        Push_Label(skip);
        Push(TASK_OPERATOR, node, level);
    }

    void Operator(CompForm* node, int level) {
        int code = node->operator_kind;
        if (code == OPR_NONE) {
            // An operator item without an operator code would be a subtree of
            // itself until the level limit cut it.
            if (node->kind == KIND_OPERATOR || node->kind == KIND_FUNCTION ||
                node->kind == KIND_MULTI_OPERATOR)
                Emit_Plain(OP_FAIL);
            else
                Operand(node, level);
        } else if (Is_BinaryOperator(code)) {
            Binary(node, level);
        } else if (Is_BuiltinFunction(code)) {
            Builtin(node, level);
        } else if (code == OPR_SIGMA) {
            Sigma(node, level);
        } else {
            Emit_Number(0.0);
        }
    }

    // An operand by its item kind.
    void Operand(CompForm* node, int level) {
        if (node == nullptr) {
            Emit_Plain(OP_FAIL);
            return;
        }
        switch (node->kind) {
        case KIND_OPERATOR:
        case KIND_FUNCTION:
        case KIND_MULTI_OPERATOR: Subtree(node, level + 1); return;
        case KIND_USER_FUNCTION: Call(node, level); return;
        default: break;
        }
        static const EvalOp push_ops[] = {OP_FAIL, OP_NUMBER, OP_CELL, OP_LOCAL};
        EvalStep leaf{};
        leaf.op = push_ops[Leaf(node, &leaf)];
        Emit(leaf, 0);
    }

    // A number, linked variable or summation index: its operand filled in.
    LeafForm Leaf(CompForm* node, EvalStep* step) {
        if (node == nullptr) return LEAF_NONE;
        if (node->kind == KIND_NUMBER) {
            C_To_Double(node->CompArray, &step->number);
            return LEAF_NUMBER;
        }
        if (node->kind != KIND_VARIABLE) return LEAF_NONE;
        if (node->argm_num == -1) {
            for (size_t i = scopes_.size(); i-- > 0;) {
                if (scopes_[i].name == node->CompArray) {
                    step->local_slot = scopes_[i].slot;
                    return LEAF_LOCAL;
                }
            }
            // The analysis marks only indices of enclosing sums; one that is
            // bound nowhere reads 0.
            step->number = 0.0;
            return LEAF_NUMBER;
        }
        if (node->number_source == nullptr) return LEAF_NONE;
        step->cell = static_cast<const double*>(node->number_source);
        for (const ArgumentBinding& argument : arguments_) {
            if (argument.cell != step->cell) continue;
            step->number = argument.number;
            step->local_slot = argument.slot;
            if (argument.form == LEAF_CELL) step->cell = argument.source;
            return argument.form;
        }
        return LEAF_CELL;
    }

    // A leaf whose value no call made during the evaluation can change: any
    // but a cell a0, a1, ... that the running definition does not bind.
    bool Stable_Leaf(CompForm* node) {
        EvalStep step{};
        LeafForm form = Leaf(node, &step);
        if (form != LEAF_CELL) return form != LEAF_NONE;
        for (const ArgumentBinding& argument : arguments_)
            if (argument.cell == node->number_source) return true;  // bound to a stable cell
        return !Is_ArgumentName(node->CompArray);
    }

    // The right operand: folded into the operation when it is a leaf.
    void Push_RightOperand(CompForm* right, int level, const EvalBinaryForms& forms,
                           OprFunction routine) {
        EvalStep step{};
        step.routine = routine;
        switch (Leaf(right, &step)) {
        case LEAF_NUMBER: step.op = forms.with_number; break;
        case LEAF_CELL: step.op = forms.with_cell; break;
        case LEAF_LOCAL: step.op = forms.with_local; break;
        case LEAF_NONE:
            step.op = forms.with_slot;
            Push_Step(step, 2);
            Push(TASK_OPERAND, right, level);
            return;
        }
        Push_Step(step, 1);
    }

    void Binary(CompForm* node, int level) {
        int code = node->operator_kind;
        const EvalBinaryForms& forms = EVAL_BINARY_FORMS[code];
        // A constant, a cell or a local on the left joins the step: a constant
        // is the same whenever it is read, and a cell is read before the
        // constant on the right exactly as the tree reads it.
        EvalStep step{};
        EvalStep right{};
        LeafForm left_form = Leaf(node->left, &step);
        LeafForm right_form = Leaf(node->right, &right);
        if (left_form == LEAF_NUMBER && right_form == LEAF_NUMBER) {
            Emit_Number(Fold(code, step.number, right.number));
            return;
        }
        // v^2 is v*v: the correctly rounded square, the same on every
        // platform, where pow may differ from it in the last bit.
        if (code == OPR_POWER && right_form == LEAF_NUMBER && right.number == 2.0) {
            if (left_form == LEAF_CELL) {
                step.op = OP_CELL_SQUARE;
                Emit(step, 0);
                return;
            }
            EvalStep square{};
            square.op = OP_SQUARE;
            Push_Step(square, 1);
            Push(TASK_OPERAND, node->left, level);
            return;
        }
        if (Fused_Binary(node, level, left_form, step)) return;
        if (code == OPR_POWER && left_form == LEAF_CELL && right_form == LEAF_LOCAL) {
            step.op = OP_CELL_POW_LOCAL;
            step.local_slot = right.local_slot;
            Emit(step, 0);
            return;
        }
        if ((left_form == LEAF_CELL || left_form == LEAF_LOCAL) && right_form == LEAF_NUMBER) {
            step.op = left_form == LEAF_CELL ? forms.cell_then_number : forms.local_then_number;
            step.number = right.number;
            Emit(step, 0);
            return;
        }
        // A cell that no call writes reads the same after the right operand.
        if ((left_form == LEAF_NUMBER || (left_form == LEAF_CELL && Stable_Leaf(node->left))) &&
            right_form == LEAF_NONE) {
            step.op = left_form == LEAF_NUMBER ? forms.number_first : forms.cell_first;
            Push_Step(step, 1);
            Push(TASK_OPERAND, node->right, level);
            return;
        }
        Push_RightOperand(node->right, level, forms, nullptr);
        Push(TASK_OPERAND, node->left, level);
    }

    // Two constants: the operation done now, as running it would do it.
    static double Fold(int code, double left, double right) {
        double operands[2] = {left, right};
        if (code == OPR_POWER && right == 2.0) return left * left;
        return OprFun[code](operands);
    }

    // A subtree below node whose steps are fused into one: its level must
    // need no check while running.
    bool Fusable_Level(int level) {
        if (guarded_ || level > EVAL_LEVEL_LIMIT) return false;
        if (level > max_level_) max_level_ = level;
        return true;
    }

    // c^2 with c a cell.
    bool Is_CellSquare(CompForm* node, EvalStep* step) {
        if (node == nullptr || node->operator_kind != OPR_POWER || !Is_Operator_Item(node))
            return false;
        EvalStep exponent{};
        return Leaf(node->left, step) == LEAF_CELL && Leaf(node->right, &exponent) == LEAF_NUMBER &&
               exponent.number == 2.0;
    }

    // k*c with k a constant and c a cell.
    bool Is_NumberTimesCell(CompForm* node, EvalStep* step) {
        if (node == nullptr || node->operator_kind != OPR_TIMES || !Is_Operator_Item(node))
            return false;
        EvalStep cell{};
        if (Leaf(node->left, step) != LEAF_NUMBER || Leaf(node->right, &cell) != LEAF_CELL)
            return false;
        step->cell = cell.cell;
        return true;
    }

    static bool Is_Operator_Item(CompForm* node) { return node->kind == KIND_OPERATOR; }

    // k*c^2, and a sum or difference whose right operand is k*c or c^2.
    bool Fused_Binary(CompForm* node, int level, LeafForm left_form, const EvalStep& left) {
        int code = node->operator_kind;
        EvalStep step{};
        if (code == OPR_TIMES && left_form == LEAF_NUMBER && Is_CellSquare(node->right, &step) &&
            Fusable_Level(level + 1)) {
            step.op = OP_NUMBER_MUL_CELL_SQUARE;
            step.number = left.number;
            Emit(step, 0);
            return true;
        }
        if (code != OPR_PLUS && code != OPR_MINUS) return false;
        bool plus = code == OPR_PLUS;
        if (Is_NumberTimesCell(node->right, &step) && Fusable_Level(level + 1)) {
            step.op = plus ? OP_ADD_NUMBER_MUL_CELL : OP_SUB_NUMBER_MUL_CELL;
        } else if (Is_CellSquare(node->right, &step) && Fusable_Level(level + 1)) {
            step.op = plus ? OP_ADD_CELL_SQUARE : OP_SUB_CELL_SQUARE;
        } else {
            return false;
        }
        Push_Step(step, 1);
        Push(TASK_OPERAND, node->left, level);
        return true;
    }

    // Built-in functions take one or two arguments.
    void Builtin(CompForm* node, int level) {
        int count = node->argm_num;
        EvalStep step{};
        step.routine = OprFun[node->operator_kind];
        if (count <= 0) {
            step.op = OP_ROUTINE0;
            Emit(step, 0);
            return;
        }
        if (count > 2) {
            Emit_Plain(OP_FAIL);
            return;
        }
        bool direct = false;
        EvalOp on_value = OP_ROUTINE1;
        EvalOp on_cell = OP_ROUTINE1_CELL;
        switch (node->operator_kind) {
        case OPR_SIN:
            on_value = OP_SIN;
            on_cell = OP_SIN_CELL;
            direct = true;
            break;
        case OPR_COS:
            on_value = OP_COS;
            on_cell = OP_COS_CELL;
            direct = true;
            break;
        case OPR_TAN:
            on_value = OP_TAN;
            on_cell = OP_TAN_CELL;
            direct = true;
            break;
        case OPR_EXP:
            on_value = OP_EXP;
            on_cell = OP_EXP_CELL;
            direct = true;
            break;
        default: break;
        }
        if (count == 1 && Leaf(node->list_fnarg[0], &step) == LEAF_CELL) {
            step.op = on_cell;
            Emit(step, 0);
            return;
        }
        EvalStep second{};
        if (count == 2 && Leaf(node->list_fnarg[0], &step) == LEAF_CELL &&
            Stable_Leaf(node->list_fnarg[0]) && Leaf(node->list_fnarg[1], &second) == LEAF_NONE) {
            step.op = ROUTINE2_FORMS.cell_first;
            Push_Step(step, 1);
            Push(TASK_OPERAND, node->list_fnarg[1], level);
            return;
        }
        if (count == 2) {
            Push_RightOperand(node->list_fnarg[1], level, ROUTINE2_FORMS, step.routine);
        } else {
            step.op = direct ? on_value : OP_ROUTINE1;
            Push_Step(step, 1);
        }
        Push(TASK_OPERAND, node->list_fnarg[0], level);
    }

    void Sigma(CompForm* node, int level) {
        char index_name[RANGE_NAME_SIZE];
        double min_value = 0.0;
        double max_value = 0.0;
        if (!Get_VariableRange(node->left, index_name, RANGE_NAME_SIZE, &min_value, &max_value) ||
            !Fits_Int(min_value) || !Fits_Int(max_value) || node->right == nullptr) {
            Emit_Plain(OP_FAIL);
            return;
        }
        long long lower = static_cast<int>(min_value);
        long long upper = static_cast<int>(max_value);
        if (!SerchRight_Var(node, index_name, '[', ']')) {
            // The summand does not change: evaluated once, times the count.
            EvalStep times{};
            times.op = OP_MUL_NUMBER;
            times.number = static_cast<double>(upper - lower + 1);
            Push_Step(times, 1);
            Push(TASK_OPERAND, node->right, level);
            return;
        }
        CompForm* summand = node->right;
        if (summand->kind == KIND_VARIABLE && summand->argm_num == -1 &&
            std::strcmp(summand->CompArray, index_name) == 0) {
            EvalStep sum{};
            sum.op = OP_SUM_OF_INDEX;
            sum.number = static_cast<double>(lower);
            sum.last_index = static_cast<double>(upper);
            Emit(sum, 0);
            return;
        }
        // Slot d keeps the value below, d+1 the running sum, d+3 the index.
        int exit_label = New_Label();
        int sigma_slot = depth_;
        EvalStep begin{};
        begin.op = OP_SIGMA_BEGIN;
        begin.number = static_cast<double>(lower);
        begin.last_index = static_cast<double>(upper);
        fixups_.emplace_back(static_cast<int>(program_.steps_.size()), exit_label);
        Emit(begin, 0);
        depth_ = sigma_slot + 4;
        if (depth_ > max_depth_) max_depth_ = depth_;
        scopes_.push_back(IndexScope{index_name, sigma_slot + 3});

        Task next{};
        next.kind = TASK_SIGMA_NEXT;
        next.step = begin;
        next.step.slot = sigma_slot;
        next.label = static_cast<int>(program_.steps_.size());  // the summand's first step
        Push_Label(exit_label);
        Task scope_end{};
        scope_end.kind = TASK_SCOPE_END;
        tasks_.push_back(scope_end);
        tasks_.push_back(next);
        Push(TASK_OPERAND, node->right, level);
    }

    // The sum's last step. A summand that runs straight through is run by
    // the sum's first step, term after term.
    void Sigma_Next(const Task& task) {
        EvalStep next = task.step;
        next.op = OP_SIGMA_NEXT;
        next.jump = task.label;
        bool straight = true;
        bool calling = false;
        for (size_t i = static_cast<size_t>(task.label); i < program_.steps_.size(); ++i) {
            if (!EVAL_OP_STRAIGHT[program_.steps_[i].op]) straight = false;
            if (EVAL_OP_CALLING[program_.steps_[i].op]) calling = true;
        }
        if (straight) {
            program_.steps_[static_cast<size_t>(task.label) - 1].op =
                calling ? OP_SIGMA_STRAIGHT : OP_SIGMA_ARITHMETIC;
            next.op = OP_TERM_END;
        }
        program_.steps_.push_back(next);
        depth_ = next.slot + 1;
    }

    void Call(CompForm* node, int level) {
        int count = node->argm_num > 0 ? node->argm_num : 0;
        CompForm* definition = ufunc_list_[node->CompArray];
        if (inlining_ && definition != nullptr) {
            InlineInfo info = planner_.Of(definition);
            if (info.inlinable && inline_depth_ + info.height <= USER_CALL_DEPTH_LIMIT) {
                Inline_Call(node, level, definition, count);
                return;
            }
        }
        EvalCall call = Call_Record(count, Body_Of(definition, count), level);
        for (int slot = 0; slot < count; ++slot)
            if (Has_CallOrSigma(node->list_fnarg[slot])) call.checked_at_entry = true;
        EvalStep step{};
        step.op = OP_CALL;
        step.call = static_cast<int>(program_.calls_.size());
        program_.calls_.push_back(call);
        if (call.checked_at_entry) {
            int skip = New_Label();
            Emit_Jump(OP_CALL_ENTRY, skip);
            Push_Label(skip);
        }
        // A single variable as argument is read by the call step itself when
        // its level needs no check.
        EvalStep argument{};
        if (count == 1 && !guarded_ && level + 1 <= EVAL_LEVEL_LIMIT &&
            Leaf(node->list_fnarg[0], &argument) == LEAF_CELL &&
            node->list_fnarg[0]->operator_kind == OPR_NONE) {
            step.cell = argument.cell;
            Emit(step, 0);
            return;
        }
        Push_Step(step, count);
        for (int slot = count - 1; slot >= 0; --slot)
            Push(TASK_SUBTREE, node->list_fnarg[slot], level + 1);
    }

    // A call of count arguments with the shared argument cells a0, a1, ...
    static EvalCall Call_Record(int count, int callee, int level) {
        EvalCall call;
        call.arg_count = count;
        call.callee = callee;
        call.level = level;
        call.checked_at_entry = false;
        char name[16];
        for (int slot = 0; slot < count; ++slot) {
            std::snprintf(name, sizeof name, "a%d", slot);
            call.arg_cells.push_back(&ufunc_argArray[name]);
        }
        return call;
    }

    // The arguments as for a call, the shared cells written; then the
    // definition, reading its arguments from where they are. An argument that
    // no call made meanwhile can change (a constant, a cell no call writes, a
    // local) is read where it is; the others are computed into slots.
    void Inline_Call(CompForm* node, int level, CompForm* definition, int count) {
        EvalCall call = Call_Record(count, -1, level);
        PendingInline pending{{}, depth_ + 1};
        int computed = 0;
        std::vector<CompForm*> computed_nodes;
        for (int i = 0; i < count; ++i) {
            CompForm* argument = node->list_fnarg[i];
            EvalStep leaf{};
            ArgumentBinding binding{call.arg_cells[i], LEAF_LOCAL, 0.0, nullptr, 0};
            if (level + 1 <= EVAL_LEVEL_LIMIT && argument != nullptr &&
                argument->operator_kind == OPR_NONE && Stable_Leaf(argument)) {
                binding.form = Leaf(argument, &leaf);
                binding.number = leaf.number;
                binding.source = leaf.cell;
                binding.slot = leaf.local_slot;
            } else {
                // Computed arguments fill the slots above the one below the call.
                binding.slot = depth_ + 1 + computed++;
                computed_nodes.push_back(argument);
            }
            pending.arguments.push_back(binding);
            static const EvalOperand source_forms[] = {OPERAND_NONE, OPERAND_NUMBER, OPERAND_CELL,
                                                       OPERAND_LOCAL};
            call.sources.push_back(EvalArgument{source_forms[binding.form], binding.number,
                                                binding.source, binding.slot});
        }
        EvalStep arguments{};
        if (count == 1 && computed == 1) {
            arguments.op = OP_ARGUMENT;
            arguments.cell = call.arg_cells[0];
        } else if (count > 0) {
            arguments.op = computed > 0 ? OP_ARGUMENTS : OP_LEAF_ARGUMENTS;
            arguments.call = static_cast<int>(program_.calls_.size());
            program_.calls_.push_back(call);
        }
        inline_pending_.push_back(pending);
        Task end{};
        end.kind = TASK_INLINE_END;
        tasks_.push_back(end);
        Push(TASK_SUBTREE, definition, level + 1);
        Task begin{};
        begin.kind = TASK_INLINE_BEGIN;
        tasks_.push_back(begin);
        if (count > 0) Push_Step(arguments, 0);
        for (size_t i = computed_nodes.size(); i-- > 0;)
            Push(TASK_SUBTREE, computed_nodes[i], level + 1);
    }

    // Just after the arguments step: the definition reads its arguments as
    // the call bound them.
    void Inline_Begin() {
        PendingInline pending = inline_pending_.back();
        inline_pending_.pop_back();
        callers_.push_back(CallerContext{scopes_, arguments_, pending.result_depth});
        scopes_.clear();
        arguments_ = pending.arguments;
        ++inline_depth_;
    }

    void Inline_End() {
        const CallerContext& caller = callers_.back();
        scopes_ = caller.scopes;
        arguments_ = caller.arguments;
        depth_ = caller.result_depth;
        callers_.pop_back();
        --inline_depth_;
    }

    // Argument i of the running definition is read from slot base + i; the
    // cells of the shared table stand for it in the definition's items.
    void Bind_Arguments(int count, int base) {
        arguments_.clear();
        char name[16];
        for (int i = 0; i < count; ++i) {
            std::snprintf(name, sizeof name, "a%d", i);
            arguments_.push_back(
                ArgumentBinding{&ufunc_argArray[name], LEAF_LOCAL, 0.0, nullptr, base + i});
        }
    }

    // A definition compiled for calls with arg_count arguments: those it reads
    // from its frame, any other argument cell from the shared table.
    int Body_Of(CompForm* definition, int arg_count) {
        if (definition == nullptr) return -1;
        std::pair<CompForm*, int> key(definition, arg_count);
        std::map<std::pair<CompForm*, int>, int>::iterator found = body_of_root_.find(key);
        if (found != body_of_root_.end()) return found->second;
        int index = static_cast<int>(pending_.size());
        body_of_root_[key] = index;
        pending_.push_back(PendingBody{definition, arg_count});
        program_.bodies_.emplace_back();
        return index;
    }

    EvalProgram& program_;
    UsrFuncArray& ufunc_list_;
    bool guarded_ = false;
    int depth_ = 0;
    int max_depth_ = 0;
    int max_level_ = 0;
    std::vector<Task> tasks_;
    std::vector<IndexScope> scopes_;
    std::vector<ArgumentBinding> arguments_;
    InlinePlanner planner_;
    bool inlining_ = false;
    int inline_depth_ = 0;
    std::vector<CallerContext> callers_;
    std::vector<PendingInline> inline_pending_;
    std::vector<int> label_pos_;
    std::vector<std::pair<int, int>> fixups_;  // step, label
    std::map<std::pair<CompForm*, int>, int> body_of_root_;
    std::vector<PendingBody> pending_;
};

EvalProgram::EvalProgram(CompForm* root, UsrFuncArray& ufunc_list, EvalStart start) {
    EvalCompiler compiler(*this, ufunc_list);
    compiler.Compile(root, start);
    List_Compiled(*this);
}
