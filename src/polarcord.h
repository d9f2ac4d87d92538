// Polar curves r=f(theta) (menu 3).
#ifndef KANSU_POLARCORD_H
#define KANSU_POLARCORD_H

#include <fstream>

#include "ascarray.h"
#include "fmula.h"
#include "modecommon.h"

class UsrFuncArray;

int FnCalc_PolarCord(UsrFuncArray& ufunc_list);

// Asks the angle line: 1 the angle occurs in f; 0 it does not; -1 refused, and
// then the items of f are released and *the_formlist is null.
int Set_AngVariables(CompForm** the_formlist, char* operand_label, AscArray<double>& array,
                     double* min_value_t, double* max_value_t, int* step_num_t);
// Reads the angle line: 1 accepted and in the table; 2 accepted but not in it;
// 0 refused, with the message shown.
int Input_RangePolarCord(char* operand_label, double* min_value, double* max_value,
                         int* step_num, AscArray<double>& array);

int SavePolInfo_To_File(std::ofstream& output_stream, const char* line_array,
                        AscArray<double>& array, NameBuffer* copy_label, const char* operand_label,
                        int count_current, int val_kind);

int PolarExp_OutPut_ToFile(std::ofstream& output_stream, AscArray<double>& array,
                           const char* operand_label, int step_number, double min_value,
                           double max_value, CompForm* the_root, UsrFuncArray& ufunc_list);
int PolarExpNAng_OutPut_ToFile(std::ofstream& output_stream, AscArray<double>& array,
                               const char* operand_label, int step_number, double min_value,
                               double max_value, CompForm* the_root, UsrFuncArray& ufunc_list);

#endif
