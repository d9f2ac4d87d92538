#include "app/evalcommand.h"

#include <iostream>
#include <string>

#include "app/formulaargument.h"
#include "report/sweepreport.h"
#include "text/messages.h"
#include "text/textchar.h"
#include "userfunc/usrfunc.h"

namespace {
// One formula's value, evaluated as the explicit report evaluates it.
int Eval_Formula(const std::string& text, const VariableValues& values, std::ostream& out) {
    FormulaArgument formula;
    if (!formula.Analyse(text, g_ufunc_list) || !formula.Assign(values, nullptr, nullptr))
        return SCRIPT_FAILED;
    SweepReport report(out, g_ufunc_list);
    double value = ReportFormula(report, formula.the_root, Msg().EVALUATION_ERROR).Value();
    report.Out() << NumText(value) << "\n";
    RunResult result = report.Close();
    if (result.evaluation_error != nullptr) {
        std::cout << result.evaluation_error;
        return SCRIPT_FAILED;
    }
    return result.status == 1 ? SCRIPT_DONE : SCRIPT_FAILED;
}

bool Is_Blank(const std::string& line) {
    for (char letter : line)
        if (!Is_LineBlank(static_cast<unsigned char>(letter))) return false;
    return true;
}

// A formula per line of standard input; a blank line is skipped. The first
// refused one ends the run.
int Eval_Lines(const VariableValues& values, std::ostream& out) {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (Is_Blank(line)) continue;
        int status = Eval_Formula(line, values, out);
        if (status != SCRIPT_DONE) return status;
    }
    return SCRIPT_DONE;
}
}  // namespace

int Run_Eval(const ScriptOptions& options, std::ostream& out) {
    VariableValues values;
    if (!Read_VariableValues(options.assignments, &values)) return SCRIPT_FAILED;
    if (options.texts[0] == "-") return Eval_Lines(values, out);
    return Eval_Formula(options.texts[0], values, out);
}
