// Implicit functions F(x,y)=0 by a grid scan for sign changes (menu 2).
#ifndef KANSU_INPLEXP_H
#define KANSU_INPLEXP_H

#include "formula/ascarray.h"
#include "formula/fmula.h"
#include "formula/formulaargument.h"
#include "formula/functionnames.h"
#include "modes/modecommon.h"
#include "report/sweepreport.h"

class UsrFuncArray;

// Status 1 when its report was written; a failed evaluation's message is in
// the result, for the shell to show.
RunResult FnCalc_Inplicit(UsrFuncArray& ufunc_list);

// Formula input without a prompt; at end of input a line end comes first. 1
// when accepted, 0 when not.
int Analysis_InputInplicit(FormulaArgument& formula, const FunctionNames& function_names);

// Reads one range line: 1 name accepted; 2 empty line (the name is emptied);
// 0 refused, with the message shown.
int Input_RangeInplicit(char* operand_label, double* min_value, double* max_value, int* step_number,
                        AscArray<double>& array);

// 1 when the two named variables differ (or one is unnamed); 0 when one
// variable was named for both, which makes no curve: the message is shown.
int Distinct_ImplicitNames(const NameBuffer* operand_label);

// 0 for a formula without variables (nothing asked); else asks as
// Input_OperandValue2 does and returns 1.
int Input_OperandFixValue(FormulaArgument& formula, NameBuffer* operand_label, int oprlbl_count);
// Asks the value of every variable that is none of the first oprlbl_count
// (at most two) named entries.
void Input_OperandValue2(FormulaArgument& formula, NameBuffer* operand_label, int oprlbl_count);

int SaveInpInfo_To_File(ReportFile& output_stream, const char* line_array, AscArray<double>& array,
                        NameBuffer* copy_label, NameBuffer* operand_label, int count_current);
// The head lines after the report header.
void Write_InplicitHead(ReportWriter& out, const char* line_array, AscArray<double>& array,
                        NameBuffer* copy_label, NameBuffer* operand_label, int count_current);

// Which of the two variables were named.
enum { NAMED_INDEPENDENT = 1, NAMED_DEPENDENT = 2 };

// The ranges of the independent (x) and dependent (y) variable.
struct InplicitRanges {
    double min_value_x = 0.0;
    double max_value_x = 0.0;
    int step_number_x = 200;
    double min_value_y = 0.0;
    double max_value_y = 0.0;
    int step_number_y = 100;
};

// What one implicit run writes: F, its table and names, the two names
// (an empty one not named), the sum of the NAMED_ flags and the ranges.
struct InplicitRun {
    const char* line_array;
    AscArray<double>* array;
    NameBuffer* copy_label;
    int count_current;
    NameBuffer* operand_label;
    int variab_kind;
    InplicitRanges ranges;
    CompForm* the_root;
};
// The result section for the variables named.
void Write_InplicitResults(SweepReport& report, const InplicitRun& run);
// The head lines and the result section, after the report header.
void Write_InplicitReport(SweepReport& report, const InplicitRun& run);

// Both variables named: the grid, row by row of the dependent variable.
void Inplicit_OutPut_ToFile(SweepReport& report, AscArray<double>& array, NameBuffer* operand_label,
                            int step_number_x, double min_value_x, double max_value_x,
                            int step_number_y, double min_value_y, double max_value_y,
                            CompForm* the_root);
// Only the independent (X) or only the dependent (Y) variable named.
void InplicitX_OutPut_ToFile(SweepReport& report, AscArray<double>& array,
                             const char* operand_label, int step_number_x, double min_value_x,
                             double max_value_x, CompForm* the_root);
void InplicitY_OutPut_ToFile(SweepReport& report, AscArray<double>& array,
                             const char* operand_label, int step_number_y, double min_value_y,
                             double max_value_y, CompForm* the_root);

#endif
