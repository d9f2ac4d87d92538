#include "formula/formulaargument.h"

#include <cctype>
#include <cstring>
#include <iostream>

#include "formula/crtbtree.h"
#include "formula/symbol.h"
#include "text/messages.h"
#include "text/textchar.h"

namespace {
bool Is_Varying(const char* name, const char* varying) {
    return varying != nullptr && std::strcmp(name, varying) == 0;
}
}  // namespace

bool Is_BuiltinFunction(const std::string& name) {
    CompForm scratch;
    if (name.size() >= sizeof scratch.CompArray) return false;
    std::strcpy(scratch.CompArray, name.c_str());
    return scratch.SetOperatorFunc() > 0 || scratch.SetMltOperator() > 0;
}

std::string Unknown_FunctionAt(const char* line, int fault, const FunctionNames& function_names) {
    if (fault <= 0 || line[fault] != '(') return std::string();
    int start = fault;
    while (start > 0 && std::isalnum(static_cast<unsigned char>(line[start - 1]))) --start;
    // sigma[n(1,10),...] names its index before "(": no call.
    if (start == fault || !std::isalpha(static_cast<unsigned char>(line[start])) ||
        (start > 0 && line[start - 1] == '['))
        return std::string();
    std::string name(line + start, static_cast<size_t>(fault - start));
    if (Is_BuiltinFunction(name) || function_names.DefinedArgNum(name.c_str()) >= 0)
        return std::string();
    return name;
}

bool FormulaArgument::Take_Text(const std::string& text, bool quiet) {
    if (text.find('\0') != std::string::npos) {
        if (!quiet) std::cout << Msg().SCRIPT_NUL_BYTE;
        return false;
    }
    std::string kept;
    for (char letter : text)
        if (!Is_LineBlank(static_cast<unsigned char>(letter))) kept.push_back(letter);
    if (kept.size() >= sizeof line_array || text.find('\n') != std::string::npos) {
        if (!quiet) std::cout << Msg().SCRIPT_FORMULA_TOO_LONG;
        return false;
    }
    std::strcpy(line_array, kept.c_str());
    return true;
}

bool FormulaArgument::Analyse_Line(const FunctionNames& function_names, FormulaErrorStyle style,
                                   int* fault) {
    CompForm* items = nullptr;
    int item_count = Analyse_FormulaText(&items, line_array, function_names, style, fault);
    if (item_count == 0) return false;
    the_formlist_.reset(items);
    Create_SymbolTable(items, item_count, array);
    int elem_number = 0;
    array.CountElem(&elem_number);
    if (elem_number > 0) {
        copy_label.reset(new NameBuffer[elem_number]);
        array.CopyLabelAll(copy_label.get(), &count_current);
    }
    the_root = Build_Tree(items, item_count);
    return true;
}

bool FormulaArgument::Analyse_Argument(const FunctionNames& function_names, bool quiet) {
    int fault = -1;
    if (Analyse_Line(function_names, ERROR_SILENT, &fault)) return true;
    if (quiet) return false;
    std::string unknown = Unknown_FunctionAt(line_array, fault, function_names);
    if (unknown.empty())
        Analyse_Line(function_names, ERROR_WITH_POSITION);
    else
        std::cout << "kansu: " << unknown << Msg().SCRIPT_NO_SUCH_FUNCTION;
    return false;
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
