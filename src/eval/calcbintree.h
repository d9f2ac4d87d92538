// Evaluates expression trees: operators, built-in functions, sigma sums and
// calls of user-defined functions. Trouble clears the caller's error flag.
#ifndef KANSU_CALCBINTREE_H
#define KANSU_CALCBINTREE_H

#include "formula/ascarray.h"
#include "eval/evallimits.h"
#include "formula/fmula.h"

class UsrFuncArray;

// The value of the tree at the_target (BinTreeFunc) or of one item
// (CalcValue). Variables are read through the cells their items are linked
// to; the tables are not consulted.
double BinTreeFunc(CompForm* the_target, int* error_num, AscArray<double>& array,
                   UsrFuncArray& ufunc_list, AscArray<double> sumv_list);
double CalcValue(CompForm* target, int* error_num, AscArray<double>& array,
                 UsrFuncArray& ufunc_list, AscArray<double> sumv_list);
int Get_VariableRange(CompForm* the_right, char* var_name, int var_size, double* min_value,
                      double* max_value);
int SerchRight_Var(CompForm* the_target, const char* var_name, char open_lett, char close_lett);

#endif
