#include "modes/paramexp.h"

#include <cstring>
#include <iostream>

#include "console/consoleio.h"
#include "console/dialoguecancel.h"
#include "console/formulainput.h"
#include "console/inputkind.h"
#include "console/lineedit.h"
#include "text/messages.h"
#include "userfunc/usrfunc.h"

namespace {
// One component formula of the curve and what the run finds of it.
struct ParamComponent {
    FormulaArgument formula;
    int outind = 0;
    int other_var = 0;
    ReadPlace place;  // where the formula was typed
};

// Prompts, reads and analyses one component.
int Read_Component(ParamComponent& component, const char* prompt,
                   const FunctionNames& function_names) {
    std::cout << prompt;
    if (Analysis_InputParamFrm(component.formula, function_names) == 0) return 0;
    component.place = Last_ReadPlace();
    return 1;
}

void Ask_ComponentValues(ParamComponent& component, const char* operand_label) {
    FormulaArgument& formula = component.formula;
    if (Input_Operand(formula, operand_label) == 1)
        component.outind =
            Exit_ParamValue(formula.copy_label.get(), operand_label, formula.count_current);
    component.other_var = DoExitOther_Variable(formula.count_current, component.outind);
}

void Write_ParamHeading(ReportWriter& out, const char* operand_label, int step_number,
                        double min_value, double max_value) {
    out << Msg().PARAM_VARIABLE << operand_label << Msg().REPORT_RANGE << NumText(min_value)
        << "]- [" << NumText(max_value) << Msg().REPORT_DIVISIONS << step_number << "\n\n";
    Write_ResultRule(out);
    out << Msg().PARAM_VARIABLE << operand_label << Msg().PARAM_X_COLUMN << Msg().PARAM_Y_COLUMN;
}

// x or y of a parametric report on a sweep's lane: a varying one (cell not
// null) is evaluated at every point, a fixed one keeps the value it had.
struct LaneComponent {
    double* cell;
    LaneFormula* formula;
    double value;
};

void Write_ParamPoint(ReportWriter& out, double t_value, double x_value, double y_value) {
    out << NumText(t_value) << "\t" << NumText(x_value) << "\t" << NumText(y_value) << "\n";
}
}  // namespace

RunResult FnCalc_Param(UsrFuncArray& ufunc_list) {
    char operand_label[NAME_SIZE] = "";
    double min_value = 0.0;
    double max_value = 0.0;
    int step_number = 100;
    ParamComponent x_part;
    ParamComponent y_part;

    std::cout << Msg().PARAM_FORMULA_PROMPT;
    if (Read_Component(x_part, "x= ", ufunc_list) == 0) return RunResult();
    if (Read_Component(y_part, "y= ", ufunc_list) == 0) {
        // The refused y comes back at its prompt; the x before it at its own.
        if (!Dialogue_Cancelled())
            Offer_Again(InputKind::Formula, x_part.place, x_part.formula.line_array);
        return RunResult();
    }

    if (x_part.formula.count_current != 0 || y_part.formula.count_current != 0) {
        if (Input_RangeParam(operand_label, &min_value, &max_value, &step_number) == 0)
            return RunResult();
    }
    Ask_ComponentValues(x_part, operand_label);
    Ask_ComponentValues(y_part, operand_label);

    ReportFile output_stream;
    ParamRun run{Param_Formula(x_part.formula),
                 Param_Formula(y_part.formula),
                 operand_label,
                 step_number,
                 min_value,
                 max_value};
    if (SaveFormInfo_To_File(output_stream, run.x.line_array, run.y.line_array, *run.x.array,
                             *run.y.array, run.x.copy_label, run.y.copy_label, operand_label,
                             run.x.count_current, run.y.count_current, x_part.other_var,
                             y_part.other_var) == 0)
        return RunResult();
    SweepReport report(output_stream, ufunc_list);
    Write_ParamResults(report, run);
    return report.Close();
}

ParamFormula Param_Formula(FormulaArgument& formula) {
    return ParamFormula{formula.line_array, &formula.array, formula.copy_label.get(),
                        formula.count_current, formula.the_root};
}

int Param_Occurs(const ParamFormula& formula, const char* operand_label) {
    if (formula.copy_label == nullptr) return 0;
    return Exit_ParamValue(formula.copy_label, operand_label, formula.count_current);
}

void Write_ParamResults(SweepReport& report, const ParamRun& run) {
    int outind_x = Param_Occurs(run.x, run.operand_label);
    int outind_y = Param_Occurs(run.y, run.operand_label);
    if (outind_x != 0 && outind_y != 0)
        ParamBoth_OutPut_ToFile(report, *run.x.array, *run.y.array, run.operand_label,
                                run.step_number, run.min_value, run.max_value, run.x.the_root,
                                run.y.the_root);
    else if (outind_x != 0)
        ParamX_OutPut_ToFile(report, *run.x.array, run.operand_label, run.step_number,
                             run.min_value, run.max_value, run.x.the_root, run.y.the_root);
    else if (outind_y != 0)
        ParamY_OutPut_ToFile(report, *run.y.array, run.operand_label, run.step_number,
                             run.min_value, run.max_value, run.x.the_root, run.y.the_root);
    else
        NoParam_OutPut_ToFile(report, run.x.line_array, run.x.the_root, run.y.line_array,
                              run.y.the_root);
}

void Write_ParamReport(SweepReport& report, const ParamRun& run) {
    int other_var_x =
        DoExitOther_Variable(run.x.count_current, Param_Occurs(run.x, run.operand_label));
    int other_var_y =
        DoExitOther_Variable(run.y.count_current, Param_Occurs(run.y, run.operand_label));
    Write_ParamHead(report.Out(), run.x.line_array, run.y.line_array, *run.x.array, *run.y.array,
                    run.x.copy_label, run.y.copy_label, run.operand_label, run.x.count_current,
                    run.y.count_current, other_var_x, other_var_y);
    Write_ParamResults(report, run);
}

int Analysis_InputParamFrm(FormulaArgument& formula, const FunctionNames& function_names) {
    return Read_And_Analyse(formula, true, function_names);
}

int Input_RangeParam(char* operand_label, double* min_value, double* max_value, int* step_num) {
    std::cout << Msg().PARAM_RANGE_PROMPT;
    char varia_info[RANGE_LINE_SIZE];
    if (Read_RangeLine(varia_info)) return 1;
    if (Parse_RangeLine(varia_info, operand_label, min_value, max_value, step_num) == 0) {
        operand_label[0] = '\0';
        return 0;
    }
    std::cout << std::endl;
    return 1;
}

int Param_Skip(const char* input_line) { return input_line[0] == '\0' ? -1 : 1; }

int Exit_ParamValue(NameBuffer* copy_label, const char* operand_label, int count_current) {
    for (int i = 0; i < count_current; ++i)
        if (std::strcmp(copy_label[i], operand_label) == 0) return 1;
    return 0;
}

int DoExitOther_Variable(int count_current, int exit_param) {
    return count_current >= (exit_param != 0 ? 2 : 1) ? 1 : 0;
}

int SaveFormInfo_To_File(ReportFile& output_stream, const char* line_array_x,
                         const char* line_array_y, AscArray<double>& array_x,
                         AscArray<double>& array_y, NameBuffer* copy_label_x,
                         NameBuffer* copy_label_y, const char* operand_label, int count_current_x,
                         int count_current_y, int other_var_x, int other_var_y) {
    if (Open_ReportFile(output_stream) == 0) return 0;
    ReportWriter out(output_stream);
    Write_ParamHead(out, line_array_x, line_array_y, array_x, array_y, copy_label_x, copy_label_y,
                    operand_label, count_current_x, count_current_y, other_var_x, other_var_y);
    return 1;
}

void Write_ParamHead(ReportWriter& out, const char* line_array_x, const char* line_array_y,
                     AscArray<double>& array_x, AscArray<double>& array_y, NameBuffer* copy_label_x,
                     NameBuffer* copy_label_y, const char* operand_label, int count_current_x,
                     int count_current_y, int other_var_x, int other_var_y) {
    out << Msg().PARAM_FORMULA << line_array_x << " :y=" << line_array_y << "\n";
    if (operand_label[0] != '\0') out << Msg().PARAM_VARIABLE_LABEL << operand_label << "\n";
    if (other_var_x != 0) {
        out << Msg().PARAM_X_FIXED_HEADING;
        Write_FixedValues(out, array_x, copy_label_x, count_current_x, operand_label, nullptr);
    }
    if (other_var_y != 0) {
        out << "\n" << Msg().PARAM_Y_FIXED_HEADING;
        Write_FixedValues(out, array_y, copy_label_y, count_current_y, operand_label, nullptr);
    }
}

void Param_OutPut_ToFile(SweepReport& report, const char* operand_label, int step_number,
                         double min_value, double max_value, ParamPart x_part, ParamPart y_part) {
    ReportFormula x_formula(report, x_part.the_root, x_part.failure_message);
    ReportFormula y_formula(report, y_part.the_root, y_part.failure_message);
    ReportWriter& out = report.Out();
    Write_ParamHeading(out, operand_label, step_number, min_value, max_value);
    double x_value = x_part.varies ? 0.0 : x_formula.Value();
    double y_value = y_part.varies ? 0.0 : y_formula.Value();
    double* x_cell = x_part.varies ? &(*x_part.array)[operand_label] : nullptr;
    double* y_cell = y_part.varies ? &(*y_part.array)[operand_label] : nullptr;
    report.Sweep(min_value, max_value, step_number, 2, [&](SweepLane& lane) {
        LaneComponent x{x_cell != nullptr ? &lane.Cell(*x_cell) : nullptr, &x_formula.On(lane),
                        x_value};
        LaneComponent y{y_cell != nullptr ? &lane.Cell(*y_cell) : nullptr, &y_formula.On(lane),
                        y_value};
        return [x, y, &out = lane.Out()](double t_value) mutable {
            if (x.cell != nullptr) *x.cell = t_value;
            if (y.cell != nullptr) *y.cell = t_value;
            if (x.cell != nullptr) x.value = x.formula->Value();
            if (y.cell != nullptr) y.value = y.formula->Value();
            Write_ParamPoint(out, t_value, x.value, y.value);
        };
    });
}

void ParamBoth_OutPut_ToFile(SweepReport& report, AscArray<double>& array_x,
                             AscArray<double>& array_y, const char* operand_label, int step_number,
                             double min_value, double max_value, CompForm* the_root_x,
                             CompForm* the_root_y) {
    Param_OutPut_ToFile(report, operand_label, step_number, min_value, max_value,
                        {&array_x, the_root_x, true, Msg().PARAM_X_SWEEP_ERROR},
                        {&array_y, the_root_y, true, Msg().PARAM_Y_SWEEP_ERROR});
}

void ParamX_OutPut_ToFile(SweepReport& report, AscArray<double>& array_x, const char* operand_label,
                          int step_number, double min_value, double max_value, CompForm* the_root_x,
                          CompForm* the_root_y) {
    Param_OutPut_ToFile(report, operand_label, step_number, min_value, max_value,
                        {&array_x, the_root_x, true, Msg().PARAM_X_ONLY_ERROR},
                        {nullptr, the_root_y, false, Msg().PARAM_Y_FIXED_ERROR});
}

void ParamY_OutPut_ToFile(SweepReport& report, AscArray<double>& array_y, const char* operand_label,
                          int step_number, double min_value, double max_value, CompForm* the_root_x,
                          CompForm* the_root_y) {
    Param_OutPut_ToFile(report, operand_label, step_number, min_value, max_value,
                        {nullptr, the_root_x, false, Msg().PARAM_X_FIXED_ERROR},
                        {&array_y, the_root_y, true, Msg().PARAM_Y_ONLY_ERROR});
}

void NoParam_OutPut_ToFile(SweepReport& report, const char* line_array_x, CompForm* the_root_x,
                           const char* line_array_y, CompForm* the_root_y) {
    ReportFormula x_formula(report, the_root_x, Msg().PARAM_X_ERROR);
    ReportFormula y_formula(report, the_root_y, Msg().PARAM_Y_ERROR);
    ReportWriter& out = report.Out();
    Write_ResultRule(out);
    double x_value = x_formula.Value();
    double y_value = y_formula.Value();
    out << line_array_x << "=" << NumText(x_value) << "\n";
    out << line_array_y << "=" << NumText(y_value) << "\n";
}
