#include "app/formulaargument.h"

#include <cstring>
#include <iostream>
#include <sstream>

#include "console/consoleio.h"
#include "formula/crtbtree.h"
#include "formula/fmulaopfc.h"
#include "formula/formulatext.h"
#include "formula/symbol.h"
#include "text/messages.h"
#include "text/textchar.h"
#include "userfunc/usrfunc.h"

namespace {
const int FORMULA_LINE_SIZE = NAME_SIZE;

bool Is_Varying(const char* name, const char* varying) {
    return varying != nullptr && std::strcmp(name, varying) == 0;
}
}  // namespace

bool Read_VariableValues(const std::vector<std::string>& assignments, VariableValues* values) {
    for (const std::string& assignment : assignments) {
        size_t equals = assignment.find('=');
        std::string number = assignment.substr(equals + 1);
        double value = 0.0;
        if (equals == 0 || number.empty() || C_To_Double(number.c_str(), &value) != 1) {
            std::cout << Msg().SCRIPT_BAD_VALUE << assignment << "\n";
            return false;
        }
        values->emplace_back(assignment.substr(0, equals), value);
    }
    return true;
}

bool Read_RangeText(const std::string& text, char* var_name, double* min_value, double* max_value,
                    int* step_num) {
    var_name[0] = '\0';
    if (text.empty()) return true;
    // A typed line keeps at most RANGE_LINE_SIZE - 1 characters; a longer text is refused whole.
    if (text.size() >= static_cast<size_t>(RANGE_LINE_SIZE)) {
        Show_RangeError();
        return false;
    }
    if (Parse_RangeLine(text.c_str(), var_name, min_value, max_value, step_num) == 1) return true;
    var_name[0] = '\0';
    return false;
}

bool FormulaArgument::Analyse(const std::string& text) {
    // Blanks are dropped as the console reader drops them; a text that would
    // not fit the reader's line (or holds a line end) is refused, never cut.
    size_t kept = 0;
    for (char letter : text)
        if (!Is_LineBlank(static_cast<unsigned char>(letter))) ++kept;
    if (kept >= static_cast<size_t>(FORMULA_LINE_SIZE) || text.find('\n') != std::string::npos) {
        std::cout << Msg().SCRIPT_FORMULA_TOO_LONG;
        return false;
    }
    std::istringstream typed(text);
    if (Input_Formula(typed, line_array, FORMULA_LINE_SIZE) == nullptr) line_array[0] = '\0';
    g_ufunc_list.Take_CalledFunctions(line_array);
    CompForm* items = nullptr;
    if (Analyse_FormulaText(&items, line_array, ERROR_WITH_POSITION) == 0) return false;
    the_formlist_.reset(items);
    int item_count = current_number + 1;
    Create_SymbolTable(items, item_count, array);
    int elem_number = Count_Variables(array);
    if (elem_number > 0) {
        copy_label.reset(new NameBuffer[elem_number]);
        array.CopyLabelAll(copy_label.get(), &count_current);
    }
    the_root = Build_Tree(items, item_count);
    return true;
}

bool FormulaArgument::Assign(const VariableValues& values, const char* varying1,
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
        if (!given) {
            std::cout << Msg().SCRIPT_NO_VALUE << name << "\n";
            return false;
        }
    }
    return true;
}
