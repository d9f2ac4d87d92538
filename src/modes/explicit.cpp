#include "modes/explicit.h"

#include "console/formulainput.h"
#include "formula/crtbtree.h"
#include "formula/symbol.h"
#include "userfunc/usrfunc.h"

template int Input_RangeValue<double>(AscArray<double>&, char*, double*, double*, int*);
template void Input_OperandValue<double>(AscArray<double>&, char*, char (*)[256], int*);
template RunResult OutPut_ToFile<double>(AscArray<double>&, const char*, const char*, char (*)[256],
                                         int, int, double, double, CompForm*, UsrFuncArray&);
template RunResult OutPut_ToFile_FxVar<double>(AscArray<double>&, const char*, char (*)[256], int,
                                               CompForm*, UsrFuncArray&);

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

RunResult OutPut_ToFileNoVar(const char* line_array, CompForm* the_root, UsrFuncArray& ufunc_list) {
    ReportFile output_stream;
    if (Open_ReportFile(output_stream) == 0) return RunResult();
    SweepReport report(output_stream, ufunc_list);
    Write_NoVarResults(report, line_array, the_root);
    return report.Close();
}

namespace {
// The report variant for what the dialogue gave: no variable, all fixed, or one varying.
RunResult Write_ExplicitReport(const ExplicitRun& run, UsrFuncArray& ufunc_list) {
    if (run.copy_label == nullptr)
        return OutPut_ToFileNoVar(run.form_array, run.the_root, ufunc_list);
    if (run.operand_label[0] == '\0')
        return OutPut_ToFile_FxVar(*run.array, run.form_array, run.copy_label, run.count_current,
                                   run.the_root, ufunc_list);
    return OutPut_ToFile(*run.array, run.form_array, run.operand_label, run.copy_label,
                         run.count_current, run.step_number, run.min_value, run.max_value,
                         run.the_root, ufunc_list);
}
}  // namespace

RunResult FnCalc_Explicit(UsrFuncArray& ufunc_list) {
    CompForm* the_formlist = nullptr;
    char form_array[NAME_SIZE] = {};
    int item_count = Analysis_InputFormula(&the_formlist, form_array, ufunc_list);
    if (item_count == 0) return RunResult();

    AscArray<double> array;
    Create_SymbolTable(the_formlist, item_count, array);
    int elem_number = 0;
    array.CountElem(&elem_number);

    char operand_label[NAME_SIZE] = {};
    double min_value = 0.0;
    double max_value = 0.0;
    int step_number = 100;
    NameBuffer* copy_label = nullptr;
    int count_current = 0;
    if (elem_number > 0) {
        if (Input_RangeValue(array, operand_label, &min_value, &max_value, &step_number) == 0) {
            delete[] the_formlist;
            return RunResult();
        }
        copy_label = new NameBuffer[elem_number];
        Input_OperandValue(array, operand_label, copy_label, &count_current);
    }

    CompForm* the_root = Build_Tree(the_formlist, item_count);
    ExplicitRun run{form_array,  &array,    operand_label, copy_label, count_current,
                    step_number, min_value, max_value,     the_root};
    RunResult result = Write_ExplicitReport(run, ufunc_list);
    delete[] copy_label;
    delete[] the_formlist;
    return result;
}
