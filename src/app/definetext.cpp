#include "app/definetext.h"

#include <cctype>
#include <climits>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <map>
#include <sstream>
#include <string_view>

#include "app/scriptargs.h"
#include "app/scriptfailure.h"
#include "commands/usrdefopr.h"
#include "files/safefile.h"
#include "formula/formulatext.h"
#include "formula/fmulaopfc.h"
#include "text/messages.h"
#include "text/textchar.h"
#include "userfunc/savefile.h"
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

bool Is_BuiltIn(const std::string& name) {
    CompForm scratch;
    std::strcpy(scratch.CompArray, name.c_str());
    return scratch.SetOperatorFunc() > 0 || scratch.SetMltOperator() > 0;
}

// The name before "(" at the fault, when it calls no known function.
std::string Unknown_Call(const std::string& formula, int fault) {
    if (fault <= 0 || formula[static_cast<size_t>(fault)] != '(') return std::string();
    int start = fault;
    while (start > 0 && std::isalnum(static_cast<unsigned char>(formula[start - 1]))) --start;
    if (start == fault || !std::isalpha(static_cast<unsigned char>(formula[start])) ||
        (start > 0 && formula[start - 1] == '['))
        return std::string();
    std::string name = formula.substr(start, fault - start);
    if (name.size() > NAME_MAX_LENGTH || Is_BuiltIn(name) || g_ufunc_list(name.c_str()) == 2)
        return std::string();
    return name;
}

// The definition's own checks: it analyses, and uses exactly a0 .. a(count-1).
bool Check_Formula(const std::string& formula, int count, const std::string& where) {
    CompForm* items = nullptr;
    int fault = -1;
    if (Analyse_FormulaText(&items, formula.c_str(), ERROR_SILENT, &fault) == 0) {
        std::string unknown = Unknown_Call(formula, fault);
        std::cout << where;
        if (!unknown.empty()) {
            std::cout << unknown << Msg().SCRIPT_NO_SUCH_FUNCTION;
        } else {
            Analyse_FormulaText(&items, formula.c_str(), ERROR_WITH_POSITION);
            std::cout << "\n";
        }
        return false;
    }
    int checked = Check_ArgKind(items, count, current_number + 1);
    delete[] items;
    if (checked < 1) std::cout << where << Msg().DEFINE_WRONG_VARIABLES;
    return checked >= 1;
}

// The names a definition calls: each name directly before a "(".
std::vector<std::string> Called_Names(std::string_view formula) {
    std::vector<std::string> names;
    size_t start = 0;
    for (size_t i = 0; i < formula.size(); ++i) {
        if (!std::isalnum(static_cast<unsigned char>(formula[i]))) {
            if (formula[i] == '(' && i > start)
                names.emplace_back(formula.substr(start, i - start));
            start = i + 1;
        }
    }
    return names;
}

// The records of a save file, each after the functions its definition calls
// (where they do not call each other round), else in the file's order: read
// in this order every definition analyses.
class CalleesFirst {
public:
    explicit CalleesFirst(const SaveFileContent& content) : content_(content) {
        for (size_t i = 0; i < content.records.size(); ++i) index_[content.records[i].name] = i;
        state_.assign(content.records.size(), UNSEEN);
        for (size_t i = 0; i < content.records.size(); ++i) Visit(i);
    }
    const std::vector<size_t>& Order() const { return order_; }

private:
    enum State { UNSEEN, OPEN, DONE };
    void Visit(size_t record) {
        if (state_[record] != UNSEEN) return;
        state_[record] = OPEN;
        for (const std::string& name : Called_Names(content_.Definition(record))) {
            auto callee = index_.find(name);
            if (callee != index_.end()) Visit(callee->second);
        }
        state_[record] = DONE;
        order_.push_back(record);
    }

    const SaveFileContent& content_;
    std::map<std::string, size_t> index_;
    std::vector<State> state_;
    std::vector<size_t> order_;
};

std::vector<size_t> Callees_First(const SaveFileContent& content) {
    return CalleesFirst(content).Order();
}

// Script functions are never saved: none counts as changed.
void Mark_Unchanged() {
    for (UsrFuncProp* entry = g_ufunc_list.FirstPnt(); entry != nullptr; entry = entry->NextPnt()) {
        entry->chngFlag = 0;
        entry->changedSinceRead = false;
    }
}

// Defines again, callees first, every function of the loaded save file that
// its load left undefined; a damaged end of the file is said again.
void Define_Again(const SaveFileContent& content) {
    for (size_t record : Callees_First(content)) {
        UsrFuncProp* entry = g_ufunc_list.Find(content.records[record].name.c_str());
        if (entry == nullptr || entry->funcDef != nullptr) continue;
        entry->ChangeFuncDef(std::string(content.Definition(record)).c_str(),
                             content.records[record].arg_num, content.records[record].ret_kind);
    }
    if (content.damaged)
        std::cout << Msg().LOAD_DAMAGED_BEFORE << content.records.size() << Msg().LOAD_DAMAGED_AFTER
                  << std::endl;
}

bool Is_Skipped(const std::string& line) {
    for (char letter : line) {
        if (letter == '#') return true;
        if (!Is_TextBlank(static_cast<unsigned char>(letter))) return false;
    }
    return true;
}

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
}  // namespace

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
    if (Is_BuiltIn(parts.name)) {
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
    if (!Check_Formula(parts.formula, count, where)) return false;
    long file_pos = g_ufunc_list.AccFilePos(parts.name.c_str());
    g_ufunc_list.AddUFncElem(parts.name.c_str(), file_pos == -2 ? -1 : file_pos,
                             static_cast<unsigned int>(count), DOUBLE_KIND, parts.formula.c_str());
    return true;
}

bool Load_FunctionsFile(const std::string& path) {
    std::string bytes;
    int read = Read_RegularFile(path, &bytes);
    if (read != FILE_DONE) {
        Say_ReadFailed(path, FileStatus_Reason(read));
        return false;
    }
    if (!Parse_SaveFile(bytes).is_save_file) {
        bool defined = Define_Lines(path, bytes);
        Mark_Unchanged();
        return defined;
    }
    // Loaded in the file's order (name order), a definition that calls a
    // later function does not analyse: such ones are defined again, callees
    // first, and the messages of the first try dropped.
    std::ostringstream first_try;
    std::streambuf* messages = std::cout.rdbuf(first_try.rdbuf());
    int loaded = Create_UFunctionTable(g_ufunc_list, path.c_str(), 1);
    std::cout.rdbuf(messages);
    if (loaded == 1) Define_Again(Parse_SaveFile(std::move(bytes)));
    Mark_Unchanged();
    if (loaded == 1) return true;
    Say_ReadFailed(
        path, loaded == UFUNC_NO_MEMORY ? Error_Reason(ENOMEM) : Error_Reason(Last_FileError()));
    return false;
}

bool Define_All(const std::vector<std::string>& definitions) {
    bool all = true;
    for (const std::string& definition : definitions)
        if (!Define_FromText(definition, "kansu: --define " + definition + ": ")) all = false;
    Mark_Unchanged();
    return all;
}

int Write_FunctionsText(const std::string& path, std::ostream& out) {
    std::string bytes;
    int read = Read_RegularFile(path, &bytes);
    if (read != FILE_DONE) {
        Say_ReadFailed(path, FileStatus_Reason(read));
        return SCRIPT_FAILED;
    }
    SaveFileContent content = Parse_SaveFile(std::move(bytes));
    if (!content.is_save_file) {
        std::cout << Msg().SCRIPT_FUNCTIONS_UNREADABLE << path << "\n";
        return SCRIPT_FAILED;
    }
    for (size_t i : Callees_First(content)) {
        const SavedRecord& record = content.records[i];
        out << record.name << "(";
        for (unsigned short arg = 0; arg < record.arg_num; ++arg)
            out << (arg > 0 ? ",a" : "a") << arg;
        out << ")=" << content.Definition(i) << "\n";
    }
    errno = 0;
    if (!out.flush()) {
        Say_OutputFailed(errno);
        return SCRIPT_FAILED;
    }
    if (!content.damaged) return SCRIPT_DONE;
    std::cout << Msg().LOAD_DAMAGED_BEFORE << content.records.size() << Msg().LOAD_DAMAGED_AFTER
              << "\n";
    return SCRIPT_FAILED;
}
