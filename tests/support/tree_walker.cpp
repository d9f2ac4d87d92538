#include "tree_walker.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "eval/calcbintree.h"
#include "eval/evallimits.h"
#include "formula/symbol.h"
#include "userfunc/usrfunc.h"

namespace {

const int RANGE_NAME_SIZE = 256;

// The state of one evaluation.
class Walk {
public:
    explicit Walk(UsrFuncArray& ufunc_list) : ufunc_list_(ufunc_list) { Set_Operator_Function(); }

    // A subtree: a tree root, an operator or function node, an argument.
    double Subtree(CompForm* node, bool* ok) {
        if (node == nullptr || level_ >= EVAL_LEVEL_LIMIT) return Fail(ok);
        ++level_;
        double value = Operator(node, ok);
        --level_;
        return value;
    }

    // An operand, by its item kind.
    double Operand(CompForm* item, bool* ok) {
        if (item == nullptr) return Fail(ok);
        switch (item->kind) {
        case KIND_OPERATOR:
        case KIND_FUNCTION:
        case KIND_MULTI_OPERATOR: return Subtree(item, ok);
        case KIND_VARIABLE: return Variable(item, ok);
        case KIND_NUMBER: {
            double value = 0.0;
            C_To_Double(item->CompArray, &value);
            return value;
        }
        case KIND_USER_FUNCTION: return Call(item, ok);
        default: return Fail(ok);
        }
    }

private:
    static double Fail(bool* ok) {
        *ok = false;
        return 0.0;
    }

    double Operator(CompForm* node, bool* ok) {
        int code = node->operator_kind;
        if (code == OPR_NONE) return Operand(node, ok);
        if (Is_BinaryOperator(code)) return Binary(node, ok);
        if (Is_BuiltinFunction(code)) return Builtin(node, ok);
        if (code == OPR_SIGMA) return Sigma(node, ok);
        return 0.0;  // an unknown operator code has the value 0
    }

    double Binary(CompForm* node, bool* ok) {
        double operands[2];
        operands[0] = Operand(node->left, ok);
        operands[1] = Operand(node->right, ok);
        bool squared = node->operator_kind == OPR_POWER && node->right != nullptr &&
                       node->right->kind == KIND_NUMBER && operands[1] == 2.0;
        if (squared) return operands[0] * operands[0];
        return OprFun[node->operator_kind](operands);
    }

    double Builtin(CompForm* node, bool* ok) {
        int count = node->argm_num;
        if (count > 2) return Fail(ok);
        double operands[2] = {0.0, 0.0};
        for (int slot = 0; slot < count; ++slot)
            operands[slot] = Operand(node->list_fnarg[slot], ok);
        return OprFun[node->operator_kind](operands);
    }

    double Variable(CompForm* item, bool* ok) {
        if (item->argm_num == -1) {
            // A summation index: the innermost sum binding the name; 0 unbound.
            for (size_t i = indices_.size(); i-- > 0;)
                if (indices_[i].first == item->CompArray) return indices_[i].second;
            return 0.0;
        }
        if (item->number_source == nullptr) return Fail(ok);
        // A definition's own arguments are the values its call received.
        if (!arguments_.empty()) {
            char name[32];
            for (size_t i = 0; i < arguments_.size(); ++i) {
                std::snprintf(name, sizeof name, "a%zu", i);
                if (item->number_source == &ufunc_argArray[name]) return arguments_[i];
            }
        }
        return *static_cast<double*>(item->number_source);
    }

    double Sigma(CompForm* node, bool* ok) {
        char name[RANGE_NAME_SIZE];
        double lower_bound = 0.0;
        double upper_bound = 0.0;
        if (!Get_VariableRange(node->left, name, RANGE_NAME_SIZE, &lower_bound, &upper_bound) ||
            !Fits_Int(lower_bound) || !Fits_Int(upper_bound) || node->right == nullptr)
            return Fail(ok);
        long long lower = static_cast<int>(lower_bound);
        long long upper = static_cast<int>(upper_bound);
        if (!SerchRight_Var(node, name, '[', ']'))
            return Operand(node->right, ok) * static_cast<double>(upper - lower + 1);
        double sum = 0.0;
        indices_.emplace_back(name, 0.0);
        size_t mine = indices_.size() - 1;
        for (long long i = lower; i <= upper; ++i) {
            indices_[mine].second = static_cast<double>(i);
            sum += Operand(node->right, ok);
        }
        indices_.pop_back();
        return sum;
    }

    // Arguments first, all of them, then the cells, then the definition.
    double Call(CompForm* item, bool* ok) {
        if (call_cut_) return Fail(ok);
        std::vector<double> arguments;
        for (int slot = 0; slot < item->argm_num; ++slot)
            arguments.push_back(Subtree(item->list_fnarg[slot], ok));
        char name[16];
        for (int slot = 0; slot < item->argm_num; ++slot) {
            std::snprintf(name, sizeof name, "a%d", slot);
            ufunc_argArray[name] = arguments[static_cast<size_t>(slot)];
        }
        CompForm* definition = ufunc_list_[item->CompArray];
        if (definition == nullptr || call_cut_ || call_depth_ >= USER_CALL_DEPTH_LIMIT) {
            // Past the depth limit every pending call gives up at once.
            if (definition != nullptr) call_cut_ = true;
            return Fail(ok);
        }
        // A definition's own sums start with no index bound; its arguments are
        // this call's.
        std::vector<std::pair<std::string, double>> outer_indices;
        outer_indices.swap(indices_);
        arguments.swap(arguments_);
        ++call_depth_;
        double value = Subtree(definition, ok);
        if (--call_depth_ == 0) call_cut_ = false;
        indices_.swap(outer_indices);
        arguments.swap(arguments_);
        return value;
    }

    // A bound that converts to int by truncation without leaving its range.
    static bool Fits_Int(double bound) { return bound > -2147483649.0 && bound < 2147483648.0; }

    UsrFuncArray& ufunc_list_;
    int level_ = 0;
    int call_depth_ = 0;
    bool call_cut_ = false;
    std::vector<std::pair<std::string, double>> indices_;
    std::vector<double> arguments_;  // of the definition being evaluated
};

}  // namespace

double Reference_Value(CompForm* root, int* error_num, UsrFuncArray& ufunc_list) {
    bool ok = true;
    double value = Walk(ufunc_list).Subtree(root, &ok);
    if (!ok) *error_num = 0;
    return value;
}

double Reference_ItemValue(CompForm* item, int* error_num, UsrFuncArray& ufunc_list) {
    bool ok = true;
    double value = Walk(ufunc_list).Operand(item, &ok);
    if (!ok) *error_num = 0;
    return value;
}
