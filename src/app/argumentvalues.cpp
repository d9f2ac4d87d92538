#include "app/argumentvalues.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <iostream>

#include "console/consoleio.h"
#include "eval/calcbintree.h"
#include "formula/rangetext.h"
#include "formula/symbol.h"
#include "text/fullwidth.h"
#include "text/messages.h"
#include "userfunc/usrfunc.h"

namespace {
// The constants every command line knows.
const double PI = 3.14159265358979323846;
const double E = 2.71828182845904523536;
VariableValues Known_Constants() { return {{"pi", PI}, {"e", E}}; }

// A division count of the command line: a whole number text (a fraction is
// cut as the dialogue cuts it) of at least 1.
bool Read_Count(const std::string& text, int* step_num) {
    double count = 0.0;
    if (C_To_Double(text.c_str(), &count) != 1 || !(count >= 1.0) ||
        count >= static_cast<double>(INT_MAX) + 1.0)
        return false;
    *step_num = static_cast<int>(count);
    return true;
}
}  // namespace

bool Read_VariableValues(const std::vector<std::string>& assignments, VariableValues* values) {
    *values = Known_Constants();
    const VariableValues constants = Known_Constants();
    for (const std::string& assignment : assignments) {
        size_t equals = assignment.find('=');
        double value = 0.0;
        if (equals == 0 || !Evaluate_Constant(assignment.substr(equals + 1), constants, &value)) {
            std::cout << Msg().SCRIPT_BAD_VALUE << assignment << "\n";
            return false;
        }
        values->emplace_back(assignment.substr(0, equals), value);
    }
    return true;
}

bool Evaluate_Constant(const std::string& text, const VariableValues& values, double* value) {
    FormulaArgument formula;
    if (!Analyse_Argument(formula, text, true) ||
        formula.Unassigned(values, nullptr, nullptr) != nullptr)
        return false;
    int error_flag = 1;
    *value = BinTreeFunc(formula.the_root, &error_flag, formula.array, g_ufunc_list, EmptyArray);
    return error_flag == 1 && std::isfinite(*value);
}

bool Read_RangeText(const std::string& text, const VariableValues& values, char* var_name,
                    double* min_value, double* max_value, int* step_num) {
    var_name[0] = '\0';
    if (text.empty()) return true;
    RangeParts parts;
    bool read =
        text.size() < static_cast<size_t>(RANGE_LINE_SIZE) &&
        Split_RangeText(Fold_RangeText(text.c_str()), NAME_SIZE - 1, &parts) == RANGE_SPLIT &&
        Evaluate_Constant(parts.lower, values, min_value) &&
        Evaluate_Constant(parts.upper, values, max_value) &&
        (!parts.has_count || Read_Count(parts.count, step_num));
    if (!read) {
        Show_RangeError();
        return false;
    }
    std::strcpy(var_name, parts.name.c_str());
    return true;
}

bool Analyse_Argument(FormulaArgument& formula, const std::string& text, bool quiet) {
    if (!formula.Take_Text(text, quiet)) return false;
    g_ufunc_list.Take_CalledFunctions(formula.line_array);
    return formula.Analyse_Argument(g_ufunc_list, quiet);
}
