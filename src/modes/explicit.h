// The explicit function mode (menu 1) and its report writers.
#ifndef KANSU_EXPLICIT_H
#define KANSU_EXPLICIT_H

#include "formula/ascarray.h"
#include "formula/fmula.h"
#include "formula/formulaargument.h"
#include "modes/modecommon.h"
#include "report/sweepreport.h"

class UsrFuncArray;

// Explicit function mode (menu 1). Status 1 when its report was written; a
// failed evaluation's message is in the result, for the shell to show.
RunResult FnCalc_Explicit(UsrFuncArray& ufunc_list);

// Asks which variable varies and over which range. An empty line means none
// varies (operand_label stays empty). 1 to go on, 0 to abandon the run.
int Input_RangeValue(AscArray<double>& array, char* operand_label, double* min_value,
                     double* max_value, int* step_num);

// Asks the value of every variable of the formula but the varying one.
void Input_OperandValue(FormulaArgument& formula, const char* operand_label);

// What one explicit run writes: the formula, its table and names (null
// copy_label: no variable), the varying variable (empty: none) and its range.
struct ExplicitRun {
    const char* form_array;
    AscArray<double>* array;
    const char* operand_label;
    NameBuffer* copy_label;
    int count_current;
    int step_number;
    double min_value;
    double max_value;
    CompForm* the_root;
};
// The report variant for what was given, after the report header: no
// variable, all fixed, or one varying. The mode and a command line's report
// both write through it.
void Write_ExplicitResults(SweepReport& report, const ExplicitRun& run);

#endif
