#include "modes/explicit.h"

#include <iostream>

#include "console/consoleio.h"
#include "console/dialoguecancel.h"
#include "console/formulainput.h"
#include "console/inputkind.h"
#include "text/messages.h"
#include "userfunc/usrfunc.h"

int Input_RangeValue(AscArray<double>& array, char* operand_label, double* min_value,
                     double* max_value, int* step_num) {
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

void Input_OperandValue(FormulaArgument& formula, const char* operand_label) {
    Input_Operand(formula, operand_label);
}

namespace {
void Write_VaryingResults(SweepReport& report, AscArray<double>& array, const char* line_array,
                          const char* operand_label, NameBuffer* copy_label, int count_current,
                          int step_number, double min_value, double max_value, CompForm* the_root) {
    ReportWriter& out = report.Out();
    out << Msg().EXPLICIT_FORMULA << line_array << "\n";
    out << Msg().EXPLICIT_VARYING << operand_label << Msg().REPORT_RANGE << NumText(min_value)
        << "] - [" << NumText(max_value) << Msg().REPORT_DIVISIONS << step_number << "\n";
    if (count_current > 0) {
        out << Msg().EXPLICIT_FIXED_HEADING;
        Write_FixedValues(out, array, copy_label, count_current, operand_label, nullptr);
    }
    Write_ResultRule(out);
    out << Msg().EXPLICIT_VARIABLE << operand_label << Msg().EXPLICIT_VALUE_COLUMN;
    double& operand_cell = array[operand_label];
    ReportFormula formula(report, the_root, Msg().EVALUATION_ERROR);
    report.Sweep(min_value, max_value, step_number, 1, [&](SweepLane& lane) {
        return [&cell = lane.Cell(operand_cell), &value_of = formula.On(lane),
                &out = lane.Out()](double point) {
            cell = point;
            double value = value_of.Value();
            out << NumText(cell) << "\t" << NumText(value) << "\n";
        };
    });
}

void Write_FixedResults(SweepReport& report, AscArray<double>& array, const char* line_array,
                        NameBuffer* copy_label, int count_current, CompForm* the_root) {
    ReportWriter& out = report.Out();
    out << Msg().EXPLICIT_FORMULA << line_array << "\n";
    out << Msg().EXPLICIT_FIXED_HEADING;
    Write_FixedValues(out, array, copy_label, count_current, nullptr, nullptr);
    Write_ResultRule(out);
    double value = ReportFormula(report, the_root, Msg().EVALUATION_ERROR).Value();
    out << line_array << "=" << NumText(value) << "\n";
}

void Write_NoVarResults(SweepReport& report, const char* line_array, CompForm* the_root) {
    Write_ResultRule(report.Out());
    double value = ReportFormula(report, the_root, Msg().EVALUATION_ERROR).Value();
    report.Out() << line_array << "=" << NumText(value) << "\n";
}
}  // namespace

void Write_ExplicitResults(SweepReport& report, const ExplicitRun& run) {
    if (run.copy_label == nullptr)
        Write_NoVarResults(report, run.form_array, run.the_root);
    else if (run.operand_label[0] == '\0')
        Write_FixedResults(report, *run.array, run.form_array, run.copy_label, run.count_current,
                           run.the_root);
    else
        Write_VaryingResults(report, *run.array, run.form_array, run.operand_label, run.copy_label,
                             run.count_current, run.step_number, run.min_value, run.max_value,
                             run.the_root);
}

RunResult FnCalc_Explicit(UsrFuncArray& ufunc_list) {
    FormulaArgument formula;
    if (Analysis_InputFormula(formula, ufunc_list) == 0) return RunResult();

    char operand_label[NAME_SIZE] = {};
    double min_value = 0.0;
    double max_value = 0.0;
    int step_number = 100;
    if (formula.count_current > 0) {
        if (!Input_RangeValue(formula.array, operand_label, &min_value, &max_value, &step_number))
            return RunResult();
        Input_OperandValue(formula, operand_label);
    }

    ReportFile output_stream;
    if (Open_ReportFile(output_stream) == 0) return RunResult();
    SweepReport report(output_stream, ufunc_list);
    ExplicitRun run{formula.line_array,    &formula.array, operand_label, formula.copy_label.get(),
                    formula.count_current, step_number,    min_value,     max_value,
                    formula.the_root};
    Write_ExplicitResults(report, run);
    return report.Close();
}
