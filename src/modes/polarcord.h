// Polar curves r=f(theta) (menu 3).
#ifndef KANSU_POLARCORD_H
#define KANSU_POLARCORD_H

#include <fstream>

#include "formula/ascarray.h"
#include "formula/fmula.h"
#include "modes/modecommon.h"
#include "report/sweepreport.h"

class UsrFuncArray;

// Status 1 when its report was written; a failed evaluation's message is in
// the result, for the shell to show.
RunResult FnCalc_PolarCord(UsrFuncArray& ufunc_list);

// Asks the angle line: 1 the angle occurs in f; 0 it does not; -1 refused, and
// then the items of f are released and *the_formlist is null.
int Set_AngVariables(CompForm** the_formlist, char* operand_label, AscArray<double>& array,
                     double* min_value_t, double* max_value_t, int* step_num_t);
// Reads the angle line: 1 accepted and in the table; 2 accepted but not in it;
// 0 refused, with the message shown.
int Input_RangePolarCord(char* operand_label, double* min_value, double* max_value, int* step_num,
                         AscArray<double>& array);

int SavePolInfo_To_File(ReportFile& output_stream, const char* line_array,
                        AscArray<double>& array, NameBuffer* copy_label, const char* operand_label,
                        int count_current, int val_kind);

// The angle occurs in f: r evaluated at every angle.
void PolarExp_OutPut_ToFile(SweepReport& report, AscArray<double>& array, const char* operand_label,
                            int step_number, double min_value, double max_value,
                            CompForm* the_root);
// It does not: r evaluated once, a circle (or an arc of it).
void PolarExpNAng_OutPut_ToFile(SweepReport& report, const char* operand_label, int step_number,
                                double min_value, double max_value, CompForm* the_root);

#endif
