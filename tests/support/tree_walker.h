// The recursive tree walk that the compiled evaluator replaced, kept as a
// reference for tests.
#ifndef KANSU_TREE_WALKER_H
#define KANSU_TREE_WALKER_H

#include "ascarray.h"
#include "fmula.h"

class UsrFuncArray;

double Walk_BinTreeFunc(CompForm* the_target, int* error_num, AscArray<double>& array,
                        UsrFuncArray& ufunc_list, AscArray<double> sumv_list);
double Walk_CalcValue(CompForm* target, int* error_num, AscArray<double>& array,
                      UsrFuncArray& ufunc_list, AscArray<double> sumv_list);
double Walk_SigmaCalc(CompForm* the_target, CompForm* the_left, CompForm* the_right,
                      AscArray<double>& array, int* left_error, int* right_error,
                      UsrFuncArray& ufunc_list, AscArray<double> sumv_list);

#endif
