#include "app/formulaargument.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>
#include <iostream>
#include <sstream>

#include "console/consoleio.h"
#include "eval/calcbintree.h"
#include "formula/crtbtree.h"
#include "formula/formulatext.h"
#include "formula/rangetext.h"
#include "formula/symbol.h"
#include "text/fullwidth.h"
#include "text/messages.h"
#include "text/textchar.h"
#include "userfunc/usrfunc.h"

namespace {
const int FORMULA_LINE_SIZE = NAME_SIZE;

bool Is_Varying(const char* name, const char* varying) {
    return varying != nullptr && std::strcmp(name, varying) == 0;
}

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

bool Is_BuiltinFunction(const std::string& name) {
    CompForm scratch;
    if (name.size() >= sizeof scratch.CompArray) return false;
    std::strcpy(scratch.CompArray, name.c_str());
    return scratch.SetOperatorFunc() > 0 || scratch.SetMltOperator() > 0;
}

std::string Unknown_FunctionAt(const char* line, int fault) {
    if (fault <= 0 || line[fault] != '(') return std::string();
    int start = fault;
    while (start > 0 && std::isalnum(static_cast<unsigned char>(line[start - 1]))) --start;
    // sigma[n(1,10),...] names its index before "(": no call.
    if (start == fault || !std::isalpha(static_cast<unsigned char>(line[start])) ||
        (start > 0 && line[start - 1] == '['))
        return std::string();
    std::string name(line + start, static_cast<size_t>(fault - start));
    if (Is_BuiltinFunction(name) || g_ufunc_list(name.c_str()) == 2) return std::string();
    return name;
}

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
    if (!formula.Analyse(text, g_ufunc_list, true) ||
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

bool FormulaArgument::Analyse(const std::string& text, const FunctionNames& function_names,
                              bool quiet) {
    // Blanks are dropped as the console reader drops them; a text that would
    // not fit the reader's line (or holds a line end or a NUL) is refused, never cut.
    size_t kept = 0;
    for (char letter : text)
        if (!Is_LineBlank(static_cast<unsigned char>(letter))) ++kept;
    if (text.find('\0') != std::string::npos) {
        if (!quiet) std::cout << Msg().SCRIPT_NUL_BYTE;
        return false;
    }
    if (kept >= static_cast<size_t>(FORMULA_LINE_SIZE) || text.find('\n') != std::string::npos) {
        if (!quiet) std::cout << Msg().SCRIPT_FORMULA_TOO_LONG;
        return false;
    }
    std::istringstream typed(text);
    if (Input_Formula(typed, line_array, FORMULA_LINE_SIZE) == nullptr) line_array[0] = '\0';
    return Analysed(function_names, quiet);
}

bool FormulaArgument::Analysed(const FunctionNames& function_names, bool quiet) {
    // A save file's functions are defined as the formula calls them.
    g_ufunc_list.Take_CalledFunctions(line_array);
    CompForm* items = nullptr;
    int fault = -1;
    int item_count = Analyse_FormulaText(&items, line_array, function_names, ERROR_SILENT, &fault);
    if (item_count == 0) {
        if (quiet) return false;
        std::string unknown = Unknown_FunctionAt(line_array, fault);
        if (unknown.empty())
            Analyse_FormulaText(&items, line_array, function_names, ERROR_WITH_POSITION);
        else
            std::cout << "kansu: " << unknown << Msg().SCRIPT_NO_SUCH_FUNCTION;
        return false;
    }
    the_formlist_.reset(items);
    Create_SymbolTable(items, item_count, array);
    int elem_number = Count_Variables(array);
    if (elem_number > 0) {
        copy_label.reset(new NameBuffer[elem_number]);
        array.CopyLabelAll(copy_label.get(), &count_current);
    }
    the_root = Build_Tree(items, item_count);
    return true;
}

const char* FormulaArgument::Unassigned(const VariableValues& values, const char* varying1,
                                        const char* varying2) {
    for (int i = 0; i < count_current; ++i) {
        const char* name = copy_label[i];
        if (Is_Varying(name, varying1) || Is_Varying(name, varying2)) continue;
        bool given = false;
        for (const auto& value : values) {
            if (value.first != name) continue;
            array[name] = value.second;
            given = true;
        }
        if (!given) return name;
    }
    return nullptr;
}

bool FormulaArgument::Assign(const VariableValues& values, const char* varying1,
                             const char* varying2) {
    const char* missing = Unassigned(values, varying1, varying2);
    if (missing != nullptr) std::cout << Msg().SCRIPT_NO_VALUE << missing << "\n";
    return missing == nullptr;
}
