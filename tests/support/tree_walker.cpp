// The tree evaluator as it was before formulas were compiled: a recursive walk
// that copies the summation table at every level. Kept as the reference the
// compiled programs are compared with, bit for bit.
#include "tree_walker.h"

#include "calcbintree.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "symbol.h"
#include "usrfunc.h"
#include "varinput.h"

namespace {

const int RANGE_NAME_SIZE = 256;

// Deepest nesting of tree levels evaluated, all trees of one evaluation together
// (user-function definitions included). A formula typed or enrolled is far
// shallower; a long definition read from a save file (a chain such as 1+1+1+...
// makes a tree as deep as it is long) would otherwise exhaust the stack.
// Deeper levels clear the error flag.
const int EVAL_DEPTH_LIMIT = 4000;
int eval_depth = 0;

// Definitions of user functions being evaluated, one inside the other.
int user_call_depth = 0;
// Set once a call went past the depth limit: every call still pending then
// returns at once, so a function that calls itself several times does not
// multiply its work before the outermost call returns.
bool user_call_cut = false;

// One operator-table routine applied to its operands. The table is filled by the
// analysis, which always comes first; filling it here too costs one test.
double Apply_Operator(int operator_kind, std::vector<double>& operands) {
    Set_Operator_Function();
    return OprFun[operator_kind](operands.data());
}

// Operand array of a node: at least two cells, so a routine reading its second
// operand never reads outside it.
std::vector<double> New_Operands(int count) { return std::vector<double>(count < 2 ? 2 : count); }

double Binary_Value(CompForm* node, int* left_error, int* right_error, AscArray<double>& array,
                    UsrFuncArray& ufunc_list, AscArray<double>& sumv_list) {
    std::vector<double> operands = New_Operands(2);
    operands[0] = Walk_CalcValue(node->left, left_error, array, ufunc_list, sumv_list);
    operands[1] = Walk_CalcValue(node->right, right_error, array, ufunc_list, sumv_list);
    // v^2 is v*v, as in compiled programs: the correctly rounded square, where pow may differ.
    if (node->operator_kind == 4 && node->right != nullptr && node->right->kind == KIND_NUMBER &&
        operands[1] == 2.0)
        return operands[0] * operands[0];
    return Apply_Operator(node->operator_kind, operands);
}

double Function_Value(CompForm* node, int* left_error, AscArray<double>& array,
                      UsrFuncArray& ufunc_list, AscArray<double>& sumv_list) {
    int arg_error = 1;
    std::vector<double> operands = New_Operands(node->argm_num);
    for (int slot = 0; slot < node->argm_num; ++slot) {
        operands[slot] =
            Walk_CalcValue(node->list_fnarg[slot], &arg_error, array, ufunc_list, sumv_list);
        *left_error *= arg_error;
    }
    return Apply_Operator(node->operator_kind, operands);
}

double Variable_Value(CompForm* item, int* error_num, AscArray<double>& sumv_list) {
    if (item->argm_num == -1) return sumv_list[item->CompArray];
    if (item->number_source == nullptr) {
        // Never linked to a table cell: there is no value to read.
        *error_num = 0;
        return 0.0;
    }
    return *static_cast<double*>(item->number_source);
}

void Argument_Name(int position, char* name, int name_size) {
    std::snprintf(name, name_size, "a%d", position);
}

// The call's definition, with the argument cells already written.
double Definition_Value(CompForm* item, int* error_num, UsrFuncArray& ufunc_list,
                        AscArray<double>& sumv_list) {
    CompForm* definition = ufunc_list[item->CompArray];
    if (definition == nullptr || user_call_cut || user_call_depth >= USER_CALL_DEPTH_LIMIT) {
        if (definition != nullptr) user_call_cut = true;
        *error_num = 0;
        return 0.0;
    }
    ++user_call_depth;
    double result = Walk_BinTreeFunc(definition, error_num, ufunc_argArray, ufunc_list, sumv_list);
    if (--user_call_depth == 0) user_call_cut = false;
    return result;
}

// All arguments are evaluated before any cell is written, so calls nested in
// the arguments cannot disturb one another's cells.
double User_Function_Value(CompForm* item, int* error_num, AscArray<double>& array,
                           UsrFuncArray& ufunc_list, AscArray<double>& sumv_list) {
    if (user_call_cut) {
        *error_num = 0;
        return 0.0;
    }
    AscArray<double> arg_values;
    char name[16];
    for (int slot = 0; slot < item->argm_num; ++slot) {
        Argument_Name(slot, name, sizeof name);
        arg_values[name] =
            Walk_BinTreeFunc(item->list_fnarg[slot], error_num, array, ufunc_list, sumv_list);
    }
    for (int slot = 0; slot < item->argm_num; ++slot) {
        Argument_Name(slot, name, sizeof name);
        ufunc_argArray[name] = arg_values[name];
    }
    return Definition_Value(item, error_num, ufunc_list, sumv_list);
}

// One node by its operator code, without the depth guard of Walk_BinTreeFunc.
double Node_Value(CompForm* the_target, int* error_num, AscArray<double>& array,
                  UsrFuncArray& ufunc_list, AscArray<double>& sumv_list) {
    int left_error = 1;
    int right_error = 1;
    double result = 0.0;
    int code = the_target->operator_kind;
    if (code == -1) return Walk_CalcValue(the_target, error_num, array, ufunc_list, sumv_list);
    if (code >= 0 && code <= 4) {
        result = Binary_Value(the_target, &left_error, &right_error, array, ufunc_list, sumv_list);
    } else if (code >= 5 && code <= 19) {
        result = Function_Value(the_target, &left_error, array, ufunc_list, sumv_list);
    } else if (code == OPR_SIGMA) {
        result = Walk_SigmaCalc(the_target, the_target->left, the_target->right, array, &left_error,
                           &right_error, ufunc_list, sumv_list);
    } else {
        return 0.0;
    }
    if (left_error == 0 || right_error == 0) *error_num = 0;
    return result;
}

// A bound that converts to int by truncation without leaving its range.
bool Fits_Int(double bound) { return bound > -2147483649.0 && bound < 2147483648.0; }

}  // namespace

double Walk_BinTreeFunc(CompForm* the_target, int* error_num, AscArray<double>& array,
                   UsrFuncArray& ufunc_list, AscArray<double> sumv_list) {
    if (the_target == nullptr || eval_depth >= EVAL_DEPTH_LIMIT) {
        *error_num = 0;
        return 0.0;
    }
    ++eval_depth;
    double result = Node_Value(the_target, error_num, array, ufunc_list, sumv_list);
    --eval_depth;
    return result;
}

double Walk_CalcValue(CompForm* target, int* error_num, AscArray<double>& array,
                 UsrFuncArray& ufunc_list, AscArray<double> sumv_list) {
    if (target == nullptr) {
        *error_num = 0;
        return 0.0;
    }
    double value = 0.0;
    switch (target->kind) {
    case KIND_OPERATOR:
    case KIND_FUNCTION:
    case KIND_MULTI_OPERATOR:
        return Walk_BinTreeFunc(target, error_num, array, ufunc_list, sumv_list);
    case KIND_VARIABLE: return Variable_Value(target, error_num, sumv_list);
    case KIND_NUMBER: C_To_Double(target->CompArray, &value); return value;
    case KIND_USER_FUNCTION:
        return User_Function_Value(target, error_num, array, ufunc_list, sumv_list);
    default: *error_num = 0; return 0.0;
    }
}

double Walk_SigmaCalc(CompForm* the_target, CompForm* the_left, CompForm* the_right,
                 AscArray<double>& array, int* left_error, int* right_error,
                 UsrFuncArray& ufunc_list, AscArray<double> sumv_list) {
    char index_name[RANGE_NAME_SIZE];
    double min_value = 0.0;
    double max_value = 0.0;
    if (!Get_VariableRange(the_left, index_name, RANGE_NAME_SIZE, &min_value, &max_value) ||
        !Fits_Int(min_value) || !Fits_Int(max_value)) {
        *left_error = 0;
        return 0.0;
    }
    if (the_right == nullptr) {
        // No summand: the sigma's closing bracket was never found either.
        *right_error = 0;
        return 0.0;
    }
    // long long: the loop may run up to the largest int and step past it.
    long long lower = static_cast<int>(min_value);
    long long upper = static_cast<int>(max_value);
    double result = 0.0;
    if (SerchRight_Var(the_target, index_name, '[', ']')) {
        int term_error = 1;
        for (long long i = lower; i <= upper; ++i) {
            sumv_list[index_name] = static_cast<double>(i);
            result += Walk_CalcValue(the_right, &term_error, array, ufunc_list, sumv_list);
            *right_error *= term_error;
        }
        return result;
    }
    double term = Walk_CalcValue(the_right, right_error, array, ufunc_list, sumv_list);
    return term * static_cast<double>(upper - lower + 1);
}
