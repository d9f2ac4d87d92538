// Parametric curves x=f(t), y=g(t) (menu 4). Also the formula input, the
// range-line test and the value dialogue that the implicit and polar modes reuse.
#ifndef KANSU_PARAMEXP_H
#define KANSU_PARAMEXP_H

#include <fstream>

#include "ascarray.h"
#include "fmula.h"
#include "modecommon.h"

class UsrFuncArray;

// Index of the last item of each formula of the latest parametric run.
extern int current_number_x;
extern int current_number_y;

int FnCalc_Param(UsrFuncArray& ufunc_list);

// Formula input without a prompt; at end of input a line end comes first.
int Analysis_InputParamFrm(CompForm** the_formlist, char* line_array);

// The parameter line: 1 accepted or empty (operand_label stays empty), 0 refused.
int Input_RangeParam(char* operand_label, double* min_value, double* max_value, int* step_num);
// -1 for an empty line, else 1.
int Param_Skip(const char* input_line);

// 0 for an empty table (nothing made or asked); else makes the name list and
// asks the value of every variable except operand_label, and returns 1.
int Input_Operand(AscArray<double>& array, NameBuffer** copy_label, char* operand_label,
                  int* count_current);
// 1 when operand_label is one of the first count_current names.
int Exit_ParamValue(NameBuffer* copy_label, const char* operand_label, int count_current);
// 1 when the formula has a variable besides the parameter.
int DoExitOther_Variable(int count_current, int exit_param);

int SaveFormInfo_To_File(std::ofstream& output_stream, const char* line_array_x,
                         const char* line_array_y, AscArray<double>& array_x,
                         AscArray<double>& array_y, NameBuffer* copy_label_x,
                         NameBuffer* copy_label_y, const char* operand_label, int count_current_x,
                         int count_current_y, int other_var_x, int other_var_y);

int ParamBoth_OutPut_ToFile(std::ofstream& output_stream, AscArray<double>& array_x,
                            AscArray<double>& array_y, const char* operand_label, int step_number,
                            double min_value, double max_value, CompForm* the_root_x,
                            CompForm* the_root_y, UsrFuncArray& ufunc_list);
int ParamX_OutPut_ToFile(std::ofstream& output_stream, AscArray<double>& array_x,
                         AscArray<double>& array_y, const char* operand_label, int step_number,
                         double min_value, double max_value, CompForm* the_root_x,
                         CompForm* the_root_y, UsrFuncArray& ufunc_list);
int ParamY_OutPut_ToFile(std::ofstream& output_stream, AscArray<double>& array_x,
                         AscArray<double>& array_y, const char* operand_label, int step_number,
                         double min_value, double max_value, CompForm* the_root_x,
                         CompForm* the_root_y, UsrFuncArray& ufunc_list);
int NoParam_OutPut_ToFile(std::ofstream& output_stream, AscArray<double>& array_x,
                          AscArray<double>& array_y, const char* line_array_x,
                          CompForm* the_root_x, const char* line_array_y, CompForm* the_root_y,
                          UsrFuncArray& ufunc_list);

#endif
