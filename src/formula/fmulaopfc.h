// The formula scanner: cuts a formula text into items, with nested analyses
// for the arguments of multi-argument functions and for sigma sums.
//
// How to analyse a text (one call; nothing of it outlives the call):
//     int item_count = Analysis_Formula(items, capacity, text, &error, EmptyArray, names);
//     if (item_count == 0) ... refused: error says where and why ...
//     ... items[0 .. item_count-1] hold the formula; Build_Tree(items, item_count) ...
// names answers whether a name followed by "(" is a defined user function: pass
// the registry of user functions (UsrFuncArray is a FunctionNames), or
// No_FunctionNames() when only built-in functions may be called. Most callers
// want Analyse_FormulaText (formulatext.h), which also sizes the array and
// reports a refused text.
#ifndef KANSU_FMULAOPFC_H
#define KANSU_FMULAOPFC_H

#include "formula/ascarray.h"
#include "formula/fmula.h"
#include "formula/functionnames.h"

// Writes the items of formula into the_formlist (room for elem_number items).
// The number of items written (at least 1) on success; 0 on failure with
// the_error filled. sumv_list holds the summation variables visible in the text.
int Analysis_Formula(CompForm* the_formlist, int elem_number, const char* formula,
                     ErrorInfo* the_error, AscArray<double> sumv_list,
                     const FunctionNames& function_names);

int Get_Argument(const char* formula, int* start_pos, char* argument, int arg_size, char open_lett,
                 char close_lett, char open_lett2, char close_lett2);
int Get_EndArgument(const char* formula, int* start_pos, char* argument, int arg_size,
                    char open_lett, char close_lett);
// Writes the summation range item into *range_item and enters its variable in
// sumv_list: 1 success, 0 invalid range, -1 variable already a summation variable
// (nothing written then).
int Make_LArgList(char* former_arg, CompForm* range_item, AscArray<double>& sumv_list);

#endif
