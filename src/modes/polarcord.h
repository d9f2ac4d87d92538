// Polar curves r=f(theta) (menu 3).
#ifndef KANSU_POLARCORD_H
#define KANSU_POLARCORD_H

#include "formula/ascarray.h"
#include "formula/fmula.h"
#include "modes/modecommon.h"
#include "report/sweepreport.h"

class UsrFuncArray;

// Status 1 when its report was written; a failed evaluation's message is in
// the result, for the shell to show.
RunResult FnCalc_PolarCord(UsrFuncArray& ufunc_list);

// Asks the angle line: 1 the angle occurs in f; 0 it does not; -1 refused.
int Set_AngVariables(char* operand_label, AscArray<double>& array, double* min_value_t,
                     double* max_value_t, int* step_num_t);
// Reads the angle line: 1 accepted and in the table; 2 accepted but not in it;
// 0 refused, with the message shown.
int Input_RangePolarCord(char* operand_label, double* min_value, double* max_value, int* step_num,
                         AscArray<double>& array);

int SavePolInfo_To_File(ReportFile& output_stream, const char* line_array, AscArray<double>& array,
                        NameBuffer* copy_label, const char* operand_label, int count_current,
                        int val_kind);
// The head lines after the report header.
void Write_PolarHead(ReportWriter& out, const char* line_array, AscArray<double>& array,
                     NameBuffer* copy_label, const char* operand_label, int count_current,
                     int val_kind);

// What one polar run writes: the formula, its table and names, the angle
// variable (variab_kind 1 when f contains it) and its range.
struct PolarRun {
    const char* line_array;
    AscArray<double>* array;
    NameBuffer* copy_label;
    int count_current;
    const char* operand_label;
    int variab_kind;
    int step_number;
    double min_value;
    double max_value;
    CompForm* the_root;
};
// The result section the angle's occurrence calls for.
void Write_PolarResults(SweepReport& report, const PolarRun& run);
// The head lines and the result section, after the report header.
void Write_PolarReport(SweepReport& report, const PolarRun& run);

// The angle occurs in f: r evaluated at every angle.
void PolarExp_OutPut_ToFile(SweepReport& report, AscArray<double>& array, const char* operand_label,
                            int step_number, double min_value, double max_value,
                            CompForm* the_root);
// It does not: r evaluated once, a circle (or an arc of it).
void PolarExpNAng_OutPut_ToFile(SweepReport& report, const char* operand_label, int step_number,
                                double min_value, double max_value, CompForm* the_root);

#endif
