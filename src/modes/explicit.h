// The explicit function mode (menu 1) and its report writers (templates over
// the value type).
#ifndef KANSU_EXPLICIT_H
#define KANSU_EXPLICIT_H

#include <fstream>
#include <iostream>

#include "console/consoleio.h"
#include "console/dialoguecancel.h"
#include "console/inputkind.h"
#include "formula/ascarray.h"
#include "formula/fmula.h"
#include "modes/modecommon.h"
#include "report/sweepreport.h"
#include "text/messages.h"

class UsrFuncArray;

// Explicit function mode (menu 1). Status 1 when its report was written; a
// failed evaluation's message is in the result, for the shell to show.
RunResult FnCalc_Explicit(UsrFuncArray& ufunc_list);

// Asks which variable varies and over which range. An empty line means none
// varies (operand_label stays empty). 1 to go on, 0 to abandon the run.
template <class T>
int Input_RangeValue(AscArray<T>& array, char* operand_label, T* min_value, T* max_value,
                     int* step_num) {
    std::cout << Msg().EXPLICIT_RANGE_PROMPT;
    char range_line[RANGE_LINE_SIZE];
    InputKindScope kind(InputKind::Range);
    if (Input_Line(std::cin, range_line, RANGE_LINE_SIZE) == 0) return Dialogue_Cancelled() ? 0 : 1;
    if (Parse_RangeLine(range_line, operand_label, min_value, max_value, step_num) == 0) return 0;
    if (array(operand_label) == 0) {
        std::cout << Msg().EXPLICIT_NO_SUCH_NAME;
        return 0;
    }
    std::cout << std::endl;
    return 1;
}

// Lists the table's names into copy_label (one buffer per variable) and asks
// the value of every one but the varying variable.
template <class T>
void Input_OperandValue(AscArray<T>& array, char* operand_label, char (*copy_label)[256],
                        int* count_current) {
    List_AndAskValues(array, copy_label, count_current, operand_label, nullptr);
}

// The three reports after their header, each into an open report. The file
// variants below and a command line's report both write through these.
void Write_VaryingResults(SweepReport& report, AscArray<double>& array, const char* line_array,
                          const char* operand_label, NameBuffer* copy_label, int count_current,
                          int step_number, double min_value, double max_value, CompForm* the_root);
void Write_FixedResults(SweepReport& report, AscArray<double>& array, const char* line_array,
                        NameBuffer* copy_label, int count_current, CompForm* the_root);
void Write_NoVarResults(SweepReport& report, const char* line_array, CompForm* the_root);

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
// The variant for what was given, after the report header.
void Write_ExplicitResults(SweepReport& report, const ExplicitRun& run);

// Report of a formula with one varying variable: a row per point of the range.
template <class T>
RunResult OutPut_ToFile(AscArray<T>& array, const char* line_array, const char* operand_label,
                        char (*copy_label)[256], int count_current, int step_number, T min_value,
                        T max_value, CompForm* the_root, UsrFuncArray& ufunc_list) {
    ReportFile output_stream;
    if (Open_ReportFile(output_stream) == 0) return RunResult();
    SweepReport report(output_stream, ufunc_list);
    Write_VaryingResults(report, array, line_array, operand_label, copy_label, count_current,
                         step_number, min_value, max_value, the_root);
    return report.Close();
}

// Report of a formula whose variables all have fixed values.
template <class T>
RunResult OutPut_ToFile_FxVar(AscArray<T>& array, const char* line_array, char (*copy_label)[256],
                              int count_current, CompForm* the_root, UsrFuncArray& ufunc_list) {
    ReportFile output_stream;
    if (Open_ReportFile(output_stream) == 0) return RunResult();
    SweepReport report(output_stream, ufunc_list);
    Write_FixedResults(report, array, line_array, copy_label, count_current, the_root);
    return report.Close();
}

// Report of a formula without variables.
RunResult OutPut_ToFileNoVar(const char* line_array, CompForm* the_root, UsrFuncArray& ufunc_list);

// The double versions are compiled once, in explicit.cpp, so that their texts are
// in the program's code page wherever they are called from.
extern template int Input_RangeValue<double>(AscArray<double>&, char*, double*, double*, int*);
extern template void Input_OperandValue<double>(AscArray<double>&, char*, char (*)[256], int*);
extern template RunResult OutPut_ToFile<double>(AscArray<double>&, const char*, const char*,
                                                char (*)[256], int, int, double, double, CompForm*,
                                                UsrFuncArray&);
extern template RunResult OutPut_ToFile_FxVar<double>(AscArray<double>&, const char*, char (*)[256],
                                                      int, CompForm*, UsrFuncArray&);

#endif
