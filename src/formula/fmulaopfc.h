// The formula scanner: cuts a formula text into items, with nested analyses
// for the arguments of multi-argument functions and for sigma sums.
#ifndef KANSU_FMULAOPFC_H
#define KANSU_FMULAOPFC_H

#include "formula/ascarray.h"
#include "formula/fmula.h"

// Index of the item the next write fills; after a successful analysis, of the last item.
extern int current_number;
// Number of "(" read and not yet closed in the text being analysed.
extern int opn_count;

// 1 success; 0 failure with the_error filled. sumv_list holds the summation
// variables visible in the text.
int Analysis_Formula(CompForm* the_formlist, int elem_number, const char* formula,
                     ErrorInfo* the_error, AscArray<double> sumv_list);

int Get_Argument(const char* formula, int* start_pos, char* argument, int arg_size, char open_lett,
                 char close_lett, char open_lett2, char close_lett2);
int Get_EndArgument(const char* formula, int* start_pos, char* argument, int arg_size,
                    char open_lett, char close_lett);
// 1 success, 0 invalid range, -1 variable already a summation variable.
int Make_LArgList(char* former_arg, CompForm* the_list, AscArray<double>& sumv_list);

#endif
