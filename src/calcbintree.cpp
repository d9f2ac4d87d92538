#include "calcbintree.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "interrupt.h"
#include "progress.h"
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
    operands[0] = CalcValue(node->left, left_error, array, ufunc_list, sumv_list);
    operands[1] = CalcValue(node->right, right_error, array, ufunc_list, sumv_list);
    return Apply_Operator(node->operator_kind, operands);
}

double Function_Value(CompForm* node, int* left_error, AscArray<double>& array,
                      UsrFuncArray& ufunc_list, AscArray<double>& sumv_list) {
    int arg_error = 1;
    std::vector<double> operands = New_Operands(node->argm_num);
    for (int slot = 0; slot < node->argm_num; ++slot) {
        operands[slot] =
            CalcValue(node->list_fnarg[slot], &arg_error, array, ufunc_list, sumv_list);
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
    double result = BinTreeFunc(definition, error_num, ufunc_argArray, ufunc_list, sumv_list);
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
            BinTreeFunc(item->list_fnarg[slot], error_num, array, ufunc_list, sumv_list);
    }
    for (int slot = 0; slot < item->argm_num; ++slot) {
        Argument_Name(slot, name, sizeof name);
        ufunc_argArray[name] = arg_values[name];
    }
    return Definition_Value(item, error_num, ufunc_list, sumv_list);
}

// One node by its operator code, without the depth guard of BinTreeFunc.
double Node_Value(CompForm* the_target, int* error_num, AscArray<double>& array,
                  UsrFuncArray& ufunc_list, AscArray<double>& sumv_list) {
    int left_error = 1;
    int right_error = 1;
    double result = 0.0;
    int code = the_target->operator_kind;
    if (code == -1) return CalcValue(the_target, error_num, array, ufunc_list, sumv_list);
    if (code >= 0 && code <= 4) {
        result = Binary_Value(the_target, &left_error, &right_error, array, ufunc_list, sumv_list);
    } else if (code >= 5 && code <= 19) {
        result = Function_Value(the_target, &left_error, array, ufunc_list, sumv_list);
    } else if (code == OPR_SIGMA) {
        result = SigmaCalc(the_target, the_target->left, the_target->right, array, &left_error,
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

double BinTreeFunc(CompForm* the_target, int* error_num, AscArray<double>& array,
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

double CalcValue(CompForm* target, int* error_num, AscArray<double>& array,
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
        return BinTreeFunc(target, error_num, array, ufunc_list, sumv_list);
    case KIND_VARIABLE: return Variable_Value(target, error_num, sumv_list);
    case KIND_NUMBER: C_To_Double(target->CompArray, &value); return value;
    case KIND_USER_FUNCTION:
        return User_Function_Value(target, error_num, array, ufunc_list, sumv_list);
    default: *error_num = 0; return 0.0;
    }
}

double SigmaCalc(CompForm* the_target, CompForm* the_left, CompForm* the_right,
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
        ProgressReporter progress(upper - lower + 1);
        for (long long i = lower; i <= upper; ++i) {
            if (((i - lower) & INTERRUPT_POLL_MASK) == 0 && Calculation_Interrupted()) {
                *right_error = 0;  // a cut-short sum is no value
                break;
            }
            sumv_list[index_name] = static_cast<double>(i);
            result += CalcValue(the_right, &term_error, array, ufunc_list, sumv_list);
            *right_error *= term_error;
            progress.Tick();
        }
        return result;
    }
    double term = CalcValue(the_right, right_error, array, ufunc_list, sumv_list);
    return term * static_cast<double>(upper - lower + 1);
}

int Get_VariableRange(CompForm* the_right, char* var_name, int var_size, double* min_value,
                      double* max_value) {
    if (the_right == nullptr || the_right->kind != KIND_SUM_RANGE) return 0;
    int step_number = 0;
    int result = Analysis_Variable(the_right->CompArray, var_name, var_size, min_value, max_value,
                                   &step_number);
    return result > 0 ? 1 : 0;
}

// The sigma item is followed by "[", its range item and ","; the summand starts
// after them and ends at the "]" that brings the depth back to 0.
int SerchRight_Var(CompForm* the_target, const char* var_name, char open_lett, char close_lett) {
    int depth = 1;
    for (CompForm* item = the_target + 4; depth > 0; ++item) {
        if (item->kind == KIND_VARIABLE && std::strcmp(item->CompArray, var_name) == 0) return 1;
        if (item->CompArray[0] == open_lett) {
            ++depth;
        } else if (item->CompArray[0] == close_lett) {
            --depth;
        }
    }
    return 0;
}
