#include "modes/polarcord.h"

#include <iostream>

#include "console/consoleio.h"
#include "console/formulainput.h"
#include "text/messages.h"
#include "formula/trigreduce.h"
#include "userfunc/usrfunc.h"

namespace {

void Write_PolarHeading(ReportWriter& out, const char* operand_label, int step_number,
                        double min_value, double max_value) {
    out << Msg().POLAR_ANGLE << operand_label << Msg().REPORT_RANGE << NumText(min_value) << "] - ["
        << NumText(max_value) << Msg().REPORT_DIVISIONS << step_number << "\n\n";
    Write_ResultRule(out);
    out << Msg().POLAR_COLUMNS_START << operand_label << Msg().POLAR_COLUMNS_END;
}

// A negative radius is kept: the point lies on the opposite side of the origin.
// cos and sin are those of formulas, so that every platform gives the same x, y.
void Write_PolarPoint(ReportWriter& out, double rad_value, double angle) {
    double sin_value = 0.0;
    double cos_value = 0.0;
    Reduced_SinCos(angle, &sin_value, &cos_value);
    double x_value = cos_value * rad_value;
    double y_value = sin_value * rad_value;
    out << NumText(rad_value) << "\t" << NumText(angle) << "\t" << NumText(x_value) << "\t"
        << NumText(y_value) << "\n";
}
}  // namespace

RunResult FnCalc_PolarCord(UsrFuncArray& ufunc_list) {
    char operand_label[NAME_SIZE] = "";
    double min_value_t = 0.0;
    double max_value_t = 0.0;
    int step_number_t = 100;

    std::cout << Msg().POLAR_FORMULA_PROMPT;
    FormulaArgument formula;
    if (Read_And_Analyse(formula, true, ufunc_list) == 0) return RunResult();
    int variab_kind =
        Set_AngVariables(operand_label, formula.array, &min_value_t, &max_value_t, &step_number_t);
    if (variab_kind < 0) return RunResult();
    Input_Operand(formula, operand_label);

    ReportFile output_stream;
    if (SavePolInfo_To_File(output_stream, formula.line_array, formula.array,
                            formula.copy_label.get(), operand_label, formula.count_current,
                            variab_kind) == 0)
        return RunResult();
    SweepReport report(output_stream, ufunc_list);
    PolarRun run{formula.line_array,    &formula.array, formula.copy_label.get(),
                 formula.count_current, operand_label,  variab_kind,
                 step_number_t,         min_value_t,    max_value_t,
                 formula.the_root};
    Write_PolarResults(report, run);
    return report.Close();
}

void Write_PolarResults(SweepReport& report, const PolarRun& run) {
    if (run.variab_kind == 1)
        PolarExp_OutPut_ToFile(report, *run.array, run.operand_label, run.step_number,
                               run.min_value, run.max_value, run.the_root);
    else
        PolarExpNAng_OutPut_ToFile(report, run.operand_label, run.step_number, run.min_value,
                                   run.max_value, run.the_root);
}

void Write_PolarReport(SweepReport& report, const PolarRun& run) {
    Write_PolarHead(report.Out(), run.line_array, *run.array, run.copy_label, run.operand_label,
                    run.count_current, run.variab_kind);
    Write_PolarResults(report, run);
}

int Set_AngVariables(char* operand_label, AscArray<double>& array, double* min_value_t,
                     double* max_value_t, int* step_num_t) {
    *min_value_t = 0.0;
    *max_value_t = 0.0;
    std::cout << Msg().POLAR_RANGE_PROMPT;
    int result = Input_RangePolarCord(operand_label, min_value_t, max_value_t, step_num_t, array);
    if (result == 0) return -1;
    return result == 1 ? 1 : 0;
}

int Input_RangePolarCord(char* operand_label, double* min_value, double* max_value, int* step_num,
                         AscArray<double>& array) {
    char varia_info[RANGE_LINE_SIZE];
    if (Read_RangeLine(varia_info)) {
        std::cout << Msg().POLAR_NO_VARIABLE << std::endl;
        return 0;
    }
    if (Parse_RangeLine(varia_info, operand_label, min_value, max_value, step_num) == 0) {
        operand_label[0] = '\0';
        return 0;
    }
    std::cout << std::endl;
    return array(operand_label) != 0 ? 1 : 2;
}

int SavePolInfo_To_File(ReportFile& output_stream, const char* line_array, AscArray<double>& array,
                        NameBuffer* copy_label, const char* operand_label, int count_current,
                        int val_kind) {
    if (Open_ReportFile(output_stream) == 0) return 0;
    ReportWriter out(output_stream);
    Write_PolarHead(out, line_array, array, copy_label, operand_label, count_current, val_kind);
    return 1;
}

void Write_PolarHead(ReportWriter& out, const char* line_array, AscArray<double>& array,
                     NameBuffer* copy_label, const char* operand_label, int count_current,
                     int val_kind) {
    out << Msg().POLAR_FORMULA << line_array << Msg().POLAR_ANGLE_LABEL << operand_label << "\n";
    int angle_count = val_kind == 1 ? 1 : 0;
    if (count_current > angle_count) {
        out << Msg().POLAR_FIXED_HEADING;
        Write_FixedValues(out, array, copy_label, count_current, operand_label, nullptr);
    }
}

void PolarExp_OutPut_ToFile(SweepReport& report, AscArray<double>& array, const char* operand_label,
                            int step_number, double min_value, double max_value,
                            CompForm* the_root) {
    ReportFormula radius(report, the_root, Msg().EVALUATION_ERROR);
    Write_PolarHeading(report.Out(), operand_label, step_number, min_value, max_value);
    double& angle_cell = array[operand_label];
    report.Sweep(min_value, max_value, step_number, 1, [&](SweepLane& lane) {
        return [&cell = lane.Cell(angle_cell), &radius_of = radius.On(lane),
                &out = lane.Out()](double angle) {
            cell = angle;
            double rad_value = radius_of.Value();
            Write_PolarPoint(out, rad_value, angle);
        };
    });
}

void PolarExpNAng_OutPut_ToFile(SweepReport& report, const char* operand_label, int step_number,
                                double min_value, double max_value, CompForm* the_root) {
    ReportFormula radius(report, the_root, Msg().EVALUATION_ERROR);
    Write_PolarHeading(report.Out(), operand_label, step_number, min_value, max_value);
    double rad_value = radius.Value();
    report.Sweep(min_value, max_value, step_number, 1, [&](SweepLane& lane) {
        return [rad_value, &out = lane.Out()](double angle) {
            Write_PolarPoint(out, rad_value, angle);
        };
    });
}
