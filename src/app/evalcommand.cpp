#include "app/evalcommand.h"

#include <cerrno>
#include <iostream>
#include <sstream>
#include <string>

#include "app/argumentvalues.h"
#include "app/scriptfailure.h"
#include "report/sweepreport.h"
#include "text/messages.h"
#include "text/textchar.h"
#include "userfunc/usrfunc.h"

namespace {
enum LineOutcome {
    LINE_DONE,
    LINE_REFUSED,        // its message shown on std::cout
    LINE_OUTPUT_FAILED,  // standard output failed, and that was said
};

// One formula's value, evaluated as the explicit report evaluates it.
LineOutcome Eval_Formula(const std::string& text, const VariableValues& values, std::ostream& out) {
    FormulaArgument formula;
    if (!Analyse_Argument(formula, text) || !formula.Assign(values, nullptr, nullptr))
        return LINE_REFUSED;
    SweepReport report(out, g_ufunc_list);
    double value = ReportFormula(report, formula.the_root, Msg().EVALUATION_ERROR).Value();
    report.Out() << NumText(value) << "\n";
    errno = 0;
    RunResult result = report.Close();
    if (result.evaluation_error != nullptr) {
        // The failed report dropped its writes: the next line's go out again.
        out.clear();
        std::cout << result.evaluation_error;
        return LINE_REFUSED;
    }
    if (result.status == 1) return LINE_DONE;
    Say_OutputFailed(errno);
    return LINE_OUTPUT_FAILED;
}

bool Is_Blank(const std::string& line) {
    for (char letter : line)
        if (!Is_LineBlank(static_cast<unsigned char>(letter))) return false;
    return true;
}

// An empty output line, for a blank or refused input line.
LineOutcome Empty_Line(std::ostream& out) {
    errno = 0;
    if (out << "\n" << std::flush) return LINE_DONE;
    Say_OutputFailed(errno);
    return LINE_OUTPUT_FAILED;
}

// One input line of the filter: its value, or an empty line and its refusal
// on standard error after its line number.
LineOutcome Eval_Line(const std::string& line, long number, const VariableValues& values,
                      std::ostream& out) {
    if (Is_Blank(line)) return Empty_Line(out);
    std::ostringstream said;
    std::streambuf* messages = std::cout.rdbuf(said.rdbuf());
    LineOutcome outcome = Eval_Formula(line, values, out);
    std::cout.rdbuf(messages);
    if (outcome != LINE_REFUSED) return outcome;
    std::string message = said.str();
    if (message.empty() || message.back() != '\n') message += "\n";
    std::cout << "kansu: " << number << Msg().SCRIPT_LINE_NUMBER << number << ": " << message
              << std::flush;
    return Empty_Line(out) == LINE_DONE ? LINE_REFUSED : LINE_OUTPUT_FAILED;
}

// A formula per line of standard input, every line evaluated; one output
// line for each. Status 1 at the end when any was refused.
int Eval_Lines(const VariableValues& values, std::ostream& out) {
    bool refused = false;
    std::string line;
    long number = 0;
    while (std::getline(std::cin, line)) {
        LineOutcome outcome = Eval_Line(line, ++number, values, out);
        if (outcome == LINE_OUTPUT_FAILED) return SCRIPT_FAILED;
        refused = refused || outcome == LINE_REFUSED;
    }
    if (std::cin.bad()) {
        Say_InputFailed(errno);
        return SCRIPT_FAILED;
    }
    return refused ? SCRIPT_FAILED : SCRIPT_DONE;
}
}  // namespace

int Run_Eval(const ScriptOptions& options, std::ostream& out) {
    VariableValues values;
    if (!Read_VariableValues(options.assignments, &values)) return SCRIPT_FAILED;
    if (options.texts[0] == "-") return Eval_Lines(values, out);
    return Eval_Formula(options.texts[0], values, out) == LINE_DONE ? SCRIPT_DONE : SCRIPT_FAILED;
}
