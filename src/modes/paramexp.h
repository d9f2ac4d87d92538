// Parametric curves x=f(t), y=g(t) (menu 4).
#ifndef KANSU_PARAMEXP_H
#define KANSU_PARAMEXP_H

#include "formula/ascarray.h"
#include "formula/fmula.h"
#include "formula/formulaargument.h"
#include "formula/functionnames.h"
#include "modes/modecommon.h"
#include "report/sweepreport.h"

class UsrFuncArray;

// Status 1 when its report was written; a failed evaluation's message is in
// the result, for the shell to show.
RunResult FnCalc_Param(UsrFuncArray& ufunc_list);

// Formula input without a prompt; at end of input a line end comes first. 1
// when accepted, 0 when not.
int Analysis_InputParamFrm(FormulaArgument& formula, const FunctionNames& function_names);

// The parameter line: 1 accepted or empty (operand_label stays empty), 0 refused.
int Input_RangeParam(char* operand_label, double* min_value, double* max_value, int* step_num);
// -1 for an empty line, else 1.
int Param_Skip(const char* input_line);

// 1 when operand_label is one of the first count_current names.
int Exit_ParamValue(NameBuffer* copy_label, const char* operand_label, int count_current);
// 1 when the formula has a variable besides the parameter.
int DoExitOther_Variable(int count_current, int exit_param);

int SaveFormInfo_To_File(ReportFile& output_stream, const char* line_array_x,
                         const char* line_array_y, AscArray<double>& array_x,
                         AscArray<double>& array_y, NameBuffer* copy_label_x,
                         NameBuffer* copy_label_y, const char* operand_label, int count_current_x,
                         int count_current_y, int other_var_x, int other_var_y);

// The head lines after the report header.
void Write_ParamHead(ReportWriter& out, const char* line_array_x, const char* line_array_y,
                     AscArray<double>& array_x, AscArray<double>& array_y, NameBuffer* copy_label_x,
                     NameBuffer* copy_label_y, const char* operand_label, int count_current_x,
                     int count_current_y, int other_var_x, int other_var_y);

// One formula of a parametric run as its report needs it: its text, table,
// names (null when it has no variable) and tree.
struct ParamFormula {
    const char* line_array;
    AscArray<double>* array;
    NameBuffer* copy_label;
    int count_current;
    CompForm* the_root;
};
// The formula as a parametric run writes it.
ParamFormula Param_Formula(FormulaArgument& formula);
// What one parametric run writes: both formulas, the parameter (empty when
// none was named) and its range.
struct ParamRun {
    ParamFormula x;
    ParamFormula y;
    const char* operand_label;
    int step_number;
    double min_value;
    double max_value;
};
// The result section the parameter's occurrences call for.
void Write_ParamResults(SweepReport& report, const ParamRun& run);
// The head lines and the result section, after the report header.
void Write_ParamReport(SweepReport& report, const ParamRun& run);
// Whether the parameter occurs in the formula.
int Param_Occurs(const ParamFormula& formula, const char* operand_label);

// One component of the curve as the report sweeps it: its table, its formula,
// whether it varies with the parameter and the message of a failed evaluation.
struct ParamPart {
    AscArray<double>* array;
    CompForm* the_root;
    bool varies;
    const char* failure_message;
};
// The sweep of the parameter: a component that varies is evaluated at every
// point (x before y), one that does not once before the sweep.
void Param_OutPut_ToFile(SweepReport& report, const char* operand_label, int step_number,
                         double min_value, double max_value, ParamPart x_part, ParamPart y_part);
// Both components vary, only x, only y: the same sweep with its messages.
void ParamBoth_OutPut_ToFile(SweepReport& report, AscArray<double>& array_x,
                             AscArray<double>& array_y, const char* operand_label, int step_number,
                             double min_value, double max_value, CompForm* the_root_x,
                             CompForm* the_root_y);
void ParamX_OutPut_ToFile(SweepReport& report, AscArray<double>& array_x, const char* operand_label,
                          int step_number, double min_value, double max_value, CompForm* the_root_x,
                          CompForm* the_root_y);
void ParamY_OutPut_ToFile(SweepReport& report, AscArray<double>& array_y, const char* operand_label,
                          int step_number, double min_value, double max_value, CompForm* the_root_x,
                          CompForm* the_root_y);
// Neither component has the parameter: both values once.
void NoParam_OutPut_ToFile(SweepReport& report, const char* line_array_x, CompForm* the_root_x,
                           const char* line_array_y, CompForm* the_root_y);

#endif
