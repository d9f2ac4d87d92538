#include "modes/inplexp.h"

#include <cstring>
#include <iostream>

#include "console/consoleio.h"
#include "console/formulainput.h"
#include "text/messages.h"
#include "userfunc/usrfunc.h"

namespace {

// Asks both range lines; the sum of the NAMED_ flags, or -1 when a line was refused.
int Ask_BothRanges(NameBuffer* operand_label, InplicitRanges& ranges, AscArray<double>& array) {
    int variab_kind = 0;
    std::cout << Msg().IMPLICIT_INDEPENDENT_PROMPT;
    int result = Input_RangeInplicit(operand_label[0], &ranges.min_value_x, &ranges.max_value_x,
                                     &ranges.step_number_x, array);
    if (result == 0) return -1;
    if (result == 1) variab_kind += NAMED_INDEPENDENT;
    std::cout << Msg().IMPLICIT_DEPENDENT_PROMPT;
    result = Input_RangeInplicit(operand_label[1], &ranges.min_value_y, &ranges.max_value_y,
                                 &ranges.step_number_y, array);
    if (result == 0 || Distinct_ImplicitNames(operand_label) == 0) return -1;
    if (result == 1) variab_kind += NAMED_DEPENDENT;
    return variab_kind;
}

// A grid point lies on the curve when F is exactly 0 there or changed sign
// since the previous point of its row.
bool Is_Solution(double res_value, double pre_form_value) {
    return res_value == 0.0 || res_value * pre_form_value < 0.0;
}

void Write_RangeLine(ReportWriter& out, const char* title, const char* name, double min_value,
                     double max_value, int step_number, const char* line_end) {
    out << title << name << Msg().REPORT_RANGE << NumText(min_value) << "] - ["
        << NumText(max_value) << Msg().REPORT_DIVISIONS << step_number << line_end;
}

void Write_GridPoint(ReportWriter& out, double x_value, double y_value, double res_value) {
    out << NumText(x_value) << "\t" << NumText(y_value) << "\t" << NumText(res_value) << "\n";
}
}  // namespace

RunResult FnCalc_Inplicit(UsrFuncArray& ufunc_list) {
    NameBuffer operand_label[2] = {"", ""};
    InplicitRanges ranges;

    std::cout << Msg().IMPLICIT_FORMULA_PROMPT;
    FormulaArgument formula;
    if (Analysis_InputInplicit(formula, ufunc_list) == 0) return RunResult();
    if (formula.count_current == 0) {
        std::cout << Msg().IMPLICIT_NO_VARIABLES;
        return RunResult();
    }

    int variab_kind = Ask_BothRanges(operand_label, ranges, formula.array);
    if (variab_kind < 0) return RunResult();
    if (variab_kind == 0) {
        std::cout << Msg().IMPLICIT_NONE_CHOSEN;
        return RunResult();
    }
    Input_OperandFixValue(formula, operand_label, 2);

    ReportFile output_stream;
    if (SaveInpInfo_To_File(output_stream, formula.line_array, formula.array,
                            formula.copy_label.get(), operand_label, formula.count_current) == 0)
        return RunResult();
    SweepReport report(output_stream, ufunc_list);
    InplicitRun run{formula.line_array,
                    &formula.array,
                    formula.copy_label.get(),
                    formula.count_current,
                    operand_label,
                    variab_kind,
                    ranges,
                    formula.the_root};
    Write_InplicitResults(report, run);
    return report.Close();
}

void Write_InplicitResults(SweepReport& report, const InplicitRun& run) {
    const InplicitRanges& ranges = run.ranges;
    if (run.variab_kind == NAMED_INDEPENDENT + NAMED_DEPENDENT)
        Inplicit_OutPut_ToFile(report, *run.array, run.operand_label, ranges.step_number_x,
                               ranges.min_value_x, ranges.max_value_x, ranges.step_number_y,
                               ranges.min_value_y, ranges.max_value_y, run.the_root);
    else if (run.variab_kind == NAMED_INDEPENDENT)
        InplicitX_OutPut_ToFile(report, *run.array, run.operand_label[0], ranges.step_number_x,
                                ranges.min_value_x, ranges.max_value_x, run.the_root);
    else
        InplicitY_OutPut_ToFile(report, *run.array, run.operand_label[1], ranges.step_number_y,
                                ranges.min_value_y, ranges.max_value_y, run.the_root);
}

void Write_InplicitReport(SweepReport& report, const InplicitRun& run) {
    Write_InplicitHead(report.Out(), run.line_array, *run.array, run.copy_label, run.operand_label,
                       run.count_current);
    Write_InplicitResults(report, run);
}

int Analysis_InputInplicit(FormulaArgument& formula, const FunctionNames& function_names) {
    return Read_And_Analyse(formula, true, function_names);
}

int Input_RangeInplicit(char* operand_label, double* min_value, double* max_value, int* step_number,
                        AscArray<double>& array) {
    char varia_info[RANGE_LINE_SIZE];
    if (Read_RangeLine(varia_info)) {
        operand_label[0] = '\0';
        return 2;
    }
    if (Parse_RangeLine(varia_info, operand_label, min_value, max_value, step_number) == 0) {
        operand_label[0] = '\0';
        return 0;
    }
    if (array(operand_label) == 0) {
        std::cout << Msg().IMPLICIT_NOT_IN_FORMULA << std::endl;
        return 0;
    }
    std::cout << std::endl;
    return 1;
}

int Distinct_ImplicitNames(const NameBuffer* operand_label) {
    if (operand_label[0][0] == '\0' || std::strcmp(operand_label[0], operand_label[1]) != 0)
        return 1;
    std::cout << Msg().IMPLICIT_SAME_VARIABLE << std::endl;
    return 0;
}

int Input_OperandFixValue(FormulaArgument& formula, NameBuffer* operand_label, int oprlbl_count) {
    if (formula.count_current == 0) return 0;
    Input_OperandValue2(formula, operand_label, oprlbl_count);
    return 1;
}

void Input_OperandValue2(FormulaArgument& formula, NameBuffer* operand_label, int oprlbl_count) {
    Ask_FixedValues(formula.array, formula.copy_label.get(), formula.count_current,
                    oprlbl_count > 0 ? operand_label[0] : nullptr,
                    oprlbl_count > 1 ? operand_label[1] : nullptr);
}

int SaveInpInfo_To_File(ReportFile& output_stream, const char* line_array, AscArray<double>& array,
                        NameBuffer* copy_label, NameBuffer* operand_label, int count_current) {
    if (Open_ReportFile(output_stream) == 0) return 0;
    ReportWriter out(output_stream);
    Write_InplicitHead(out, line_array, array, copy_label, operand_label, count_current);
    return 1;
}

void Write_InplicitHead(ReportWriter& out, const char* line_array, AscArray<double>& array,
                        NameBuffer* copy_label, NameBuffer* operand_label, int count_current) {
    out << Msg().IMPLICIT_FORMULA << line_array << "= 0 \n";
    out << Msg().IMPLICIT_INDEPENDENT_LABEL << operand_label[0] << Msg().IMPLICIT_DEPENDENT_LABEL
        << operand_label[1] << "\n";
    if (Count_OtherNames(copy_label, count_current, operand_label[0], operand_label[1]) > 0) {
        out << Msg().IMPLICIT_FIXED_HEADING;
        Write_FixedValues(out, array, copy_label, count_current, operand_label[0],
                          operand_label[1]);
    }
}

void Inplicit_OutPut_ToFile(SweepReport& report, AscArray<double>& array, NameBuffer* operand_label,
                            int step_number_x, double min_value_x, double max_value_x,
                            int step_number_y, double min_value_y, double max_value_y,
                            CompForm* the_root) {
    ReportFormula formula(report, the_root, Msg().EVALUATION_ERROR);
    ReportWriter& out = report.Out();
    Write_RangeLine(out, Msg().IMPLICIT_INDEPENDENT, operand_label[0], min_value_x, max_value_x,
                    step_number_x, "\n");
    Write_RangeLine(out, Msg().IMPLICIT_DEPENDENT, operand_label[1], min_value_y, max_value_y,
                    step_number_y, "\n\n");
    Write_ResultRule(out);
    out << Msg().IMPLICIT_INDEPENDENT << operand_label[0] << Msg().IMPLICIT_DEPENDENT_COLUMN
        << operand_label[1] << Msg().IMPLICIT_VALUE_COLUMN << "\n";
    // The two names differ (Distinct_ImplicitNames): each has its own cell.
    double& y_cell = array[operand_label[1]];
    double& x_cell = array[operand_label[0]];
    // A point of this sweep is a grid row: its columns are evaluated in turn.
    long long row_weight = step_number_x + 1LL > 1 ? step_number_x + 1LL : 1;
    report.Sweep(min_value_y, max_value_y, step_number_y, row_weight, [&](SweepLane& lane) {
        return [&lane, &y_cell = lane.Cell(y_cell), &x_cell = lane.Cell(x_cell),
                &value_of = formula.On(lane), step_number_x, min_value_x,
                max_value_x](double y_value) {
            y_cell = y_value;
            double pre_form_value = 0.0;
            lane.For_EachPoint(min_value_x, max_value_x, step_number_x, [&](double x_value) {
                x_cell = x_value;
                double res_value = value_of.Value();
                if (Is_Solution(res_value, pre_form_value))
                    Write_GridPoint(lane.Out(), x_value, y_value, res_value);
                pre_form_value = res_value;
            });
        };
    });
}

namespace {
// Scans one named variable alone. Each root stands for a whole line drawn over
// that variable's own range: vertical for the independent variable, horizontal
// for the dependent one. The first column is always the independent coordinate.
void Write_RootLines(SweepReport& report, AscArray<double>& array, const char* label,
                     int step_number, double min_value, double max_value, CompForm* the_root,
                     bool root_is_independent) {
    ReportFormula formula(report, the_root, Msg().EVALUATION_ERROR);
    ReportWriter& out = report.Out();
    double pre_form_value = 0.0;
    double& root_cell = array[label];
    report.For_EachPoint(min_value, max_value, step_number, [&](double root_value) {
        root_cell = root_value;
        double res_value = formula.Value();
        if (Is_Solution(res_value, pre_form_value)) {
            report.For_EachPoint(min_value, max_value, step_number, [&](double line_value) {
                if (root_is_independent)
                    Write_GridPoint(out, root_value, line_value, res_value);
                else
                    Write_GridPoint(out, line_value, root_value, res_value);
            });
        }
        pre_form_value = res_value;
    });
}

// The report of one named variable: its heading, then its root lines.
void Write_OneVariable(SweepReport& report, AscArray<double>& array, const char* label,
                       int step_number, double min_value, double max_value, CompForm* the_root,
                       bool root_is_independent) {
    ReportWriter& out = report.Out();
    const char* title = root_is_independent ? Msg().IMPLICIT_INDEPENDENT : Msg().IMPLICIT_DEPENDENT;
    Write_RangeLine(out, title, label, min_value, max_value, step_number, "\n\n");
    Write_ResultRule(out);
    if (root_is_independent)
        out << Msg().IMPLICIT_INDEPENDENT << label << Msg().IMPLICIT_UNNAMED_DEPENDENT_COLUMNS;
    else
        out << Msg().IMPLICIT_UNNAMED_INDEPENDENT_COLUMN << label
            << Msg().IMPLICIT_FUNCTION_VALUE_COLUMN;
    Write_RootLines(report, array, label, step_number, min_value, max_value, the_root,
                    root_is_independent);
}
}  // namespace

void InplicitX_OutPut_ToFile(SweepReport& report, AscArray<double>& array,
                             const char* operand_label, int step_number_x, double min_value_x,
                             double max_value_x, CompForm* the_root) {
    Write_OneVariable(report, array, operand_label, step_number_x, min_value_x, max_value_x,
                      the_root, true);
}

void InplicitY_OutPut_ToFile(SweepReport& report, AscArray<double>& array,
                             const char* operand_label, int step_number_y, double min_value_y,
                             double max_value_y, CompForm* the_root) {
    Write_OneVariable(report, array, operand_label, step_number_y, min_value_y, max_value_y,
                      the_root, false);
}
