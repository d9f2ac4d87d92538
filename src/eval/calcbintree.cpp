#include "eval/calcbintree.h"

#include <cstring>

#include "eval/evalprog.h"
#include "formula/varinput.h"

// Each call compiles the tree afresh: callers that evaluate one tree many
// times keep an EvalProgram instead.
double BinTreeFunc(CompForm* the_target, int* error_num, AscArray<double>&,
                   UsrFuncArray& ufunc_list, AscArray<double>) {
    EvalProgram program(the_target, ufunc_list, EVAL_TREE);
    EvalMachine machine(program);
    return Run_WithFlag(machine, error_num);
}

double CalcValue(CompForm* target, int* error_num, AscArray<double>&, UsrFuncArray& ufunc_list,
                 AscArray<double>) {
    EvalProgram program(target, ufunc_list, EVAL_ITEM);
    EvalMachine machine(program);
    return Run_WithFlag(machine, error_num);
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
