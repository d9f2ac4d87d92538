#include "app/definetext.h"

#include <cctype>
#include <climits>
#include <iostream>

#include "formula/formulaargument.h"
#include "commands/usrdefopr.h"
#include "formula/formulatext.h"
#include "text/messages.h"
#include "text/textchar.h"
#include "userfunc/savefileindex.h"
#include "userfunc/usrfunc.h"

namespace {
const size_t NAME_MAX_LENGTH = 79;  // as EnrUsrfunc reads a name
const unsigned short DOUBLE_KIND = 8;

// A definition line taken apart; the name is empty when the form is wrong.
struct DefinitionParts {
    std::string name;
    std::string arguments;  // between the parentheses
    std::string formula;
};

DefinitionParts Split_Definition(const std::string& line) {
    std::string kept;
    for (char letter : line)
        if (!Is_TextBlank(static_cast<unsigned char>(letter))) kept.push_back(letter);
    DefinitionParts parts;
    size_t open = kept.find('(');
    size_t close = kept.find(')');
    if (open == std::string::npos || close == std::string::npos || close < open ||
        kept.compare(close + 1, 1, "=") != 0 || close + 2 >= kept.size())
        return parts;
    for (size_t i = 0; i < open; ++i) {
        unsigned char letter = static_cast<unsigned char>(kept[i]);
        if (!(std::isalpha(letter) || (i > 0 && std::isdigit(letter)))) return parts;
    }
    parts.name = kept.substr(0, open);
    parts.arguments = kept.substr(open + 1, close - open - 1);
    parts.formula = kept.substr(close + 2);
    return parts;
}

// The argument count when the arguments are a0, a1, ... in order; -1 otherwise.
int Argument_Count(const std::string& arguments) {
    if (arguments.empty()) return 0;
    int count = 0;
    size_t start = 0;
    for (;;) {
        size_t comma = arguments.find(',', start);
        size_t end = comma == std::string::npos ? arguments.size() : comma;
        if (count >= USHRT_MAX ||
            arguments.compare(start, end - start, "a" + std::to_string(count)) != 0)
            return -1;
        ++count;
        if (comma == std::string::npos) return count;
        start = comma + 1;
    }
}

// The definition's own checks: it analyses, and uses exactly a0 .. a(count-1).
bool Check_Formula(const std::string& formula, int count, const std::string& where) {
    CompForm* items = nullptr;
    int fault = -1;
    int item_count =
        Analyse_FormulaText(&items, formula.c_str(), g_ufunc_list, ERROR_SILENT, &fault);
    if (item_count == 0) {
        std::string unknown = Unknown_FunctionAt(formula.c_str(), fault, g_ufunc_list);
        std::cout << where;
        if (!unknown.empty()) {
            std::cout << unknown << Msg().SCRIPT_NO_SUCH_FUNCTION;
        } else {
            Analyse_FormulaText(&items, formula.c_str(), g_ufunc_list, ERROR_WITH_POSITION);
            std::cout << "\n";
        }
        return false;
    }
    int checked = Check_ArgKind(items, count, item_count);
    delete[] items;
    if (checked < 1) std::cout << where << Msg().DEFINE_WRONG_VARIABLES;
    return checked >= 1;
}

bool Is_Skipped(const std::string& line) {
    for (char letter : line) {
        if (letter == '#') return true;
        if (!Is_TextBlank(static_cast<unsigned char>(letter))) return false;
    }
    return true;
}

}  // namespace

bool Define_Lines(const std::string& path, const std::string& text) {
    bool all = true;
    size_t start = 0;
    for (long number = 1; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (Is_Skipped(line)) continue;
        std::string where = "kansu: " + path + ": " + std::to_string(number) +
                            Msg().SCRIPT_LINE_NUMBER + std::to_string(number) + ": ";
        if (!Define_FromText(line, where)) all = false;
    }
    return all;
}

bool Define_FromText(const std::string& line, const std::string& where) {
    if (line.find('\0') != std::string::npos) {
        std::cout << where << Msg().SCRIPT_NUL_BYTE;
        return false;
    }
    DefinitionParts parts = Split_Definition(line);
    if (parts.name.empty()) {
        std::cout << where << Msg().DEFINE_BAD_FORM;
        return false;
    }
    if (parts.name.size() > NAME_MAX_LENGTH || parts.formula.size() > DEFINITION_MAX_LENGTH) {
        std::cout << where << Msg().DEFINE_TOO_LONG;
        return false;
    }
    if (Is_BuiltinFunction(parts.name)) {
        std::cout << where << parts.name << Msg().DEFINE_BUILT_IN;
        return false;
    }
    int count = Argument_Count(parts.arguments);
    if (count < 0) {
        std::cout << where << Msg().DEFINE_BAD_ARGUMENTS;
        return false;
    }
    // Replacing a definition frees the old one before the new is analysed:
    // a call of itself would leave the function undefined (and never end).
    for (const std::string& called : Called_Names(parts.formula)) {
        if (called != parts.name) continue;
        std::cout << where << parts.name << Msg().DEFINE_CALLS_ITSELF;
        return false;
    }
    // A definition may call a function of the --functions save file.
    g_ufunc_list.Take_CalledFunctions(parts.formula);
    if (!Check_Formula(parts.formula, count, where)) return false;
    long file_pos = g_ufunc_list.AccFilePos(parts.name.c_str());
    g_ufunc_list.AddUFncElem(parts.name.c_str(), file_pos == -2 ? -1 : file_pos,
                             static_cast<unsigned int>(count), DOUBLE_KIND, parts.formula.c_str());
    return true;
}

bool Define_All(const std::vector<std::string>& definitions) {
    bool all = true;
    for (const std::string& definition : definitions)
        if (!Define_FromText(definition, "kansu: --define " + definition + ": ")) all = false;
    Mark_ScriptFunctionsUnchanged();
    return all;
}

void Mark_ScriptFunctionsUnchanged() {
    for (UsrFuncProp* entry = g_ufunc_list.FirstPnt(); entry != nullptr; entry = entry->NextPnt()) {
        entry->chngFlag = 0;
        entry->changedSinceRead = false;
    }
}
