#include "app/savefiletext.h"

#include <cerrno>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/definetext.h"
#include "app/scriptargs.h"
#include "app/scriptfailure.h"
#include "files/safefile.h"
#include "text/messages.h"
#include "userfunc/savefile.h"
#include "userfunc/savefileindex.h"
#include "userfunc/usrfunc.h"

namespace {
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

// Defines again, callees first, every function of the loaded save file that
// its load left undefined; a damaged end of the file is said again.
void Define_Again(const SaveFileContent& content) {
    for (size_t record : Callees_First(content)) {
        UsrFuncProp* entry = g_ufunc_list.Find(content.records[record].name.c_str());
        if (entry == nullptr || entry->IsDefined()) continue;
        entry->ChangeFuncDef(std::string(content.Definition(record)).c_str(),
                             content.records[record].arg_num, content.records[record].ret_kind,
                             g_ufunc_list);
    }
    if (content.damaged)
        std::cout << Msg().LOAD_DAMAGED_BEFORE << content.records.size() << Msg().LOAD_DAMAGED_AFTER
                  << std::endl;
}
}  // namespace

namespace {
// A save file the index could not take yet that reads whole: loaded whole,
// then the functions its name order left undefined defined again, callees
// first (the messages of the first try dropped).
bool Load_SaveFileWhole(const std::string& path, std::string bytes) {
    std::ostringstream first_try;
    std::streambuf* messages = std::cout.rdbuf(first_try.rdbuf());
    int loaded = Create_UFunctionTable(g_ufunc_list, path.c_str(), 1);
    std::cout.rdbuf(messages);
    if (loaded == SAVE_DONE) Define_Again(Parse_SaveFile(std::move(bytes)));
    if (loaded == SAVE_DONE) return true;
    Say_ReadFailed(
        path, loaded == SAVE_NO_MEMORY ? Error_Reason(ENOMEM) : Error_Reason(Last_FileError()));
    return false;
}
}  // namespace

bool Load_FunctionsFile(const std::string& path) {
    // A save file is indexed, not loaded: a formula then defines only the
    // functions it calls, so memory follows the formula, not the file.
    if (Index_UFunctionFile(g_ufunc_list, path.c_str()) == SAVE_DONE) {
        Mark_ScriptFunctionsUnchanged();
        return true;
    }
    std::string bytes;
    int read = Read_RegularFile(path, &bytes);
    if (read != FILE_DONE) {
        Say_ReadFailed(path, FileStatus_Reason(read));
        return false;
    }
    bool defined = Parse_SaveFile(bytes).is_save_file ? Load_SaveFileWhole(path, std::move(bytes))
                                                      : Define_Lines(path, bytes);
    Mark_ScriptFunctionsUnchanged();
    return defined;
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
        const RecordPlace& record = content.records[i];
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
