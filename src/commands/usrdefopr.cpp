#include "commands/usrdefopr.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "userfunc/baselnlist.h"
#include "console/consoleio.h"
#include "formula/formulatext.h"
#include "console/inputkind.h"
#include "text/messages.h"
#include "files/safefile.h"
#include "console/typednumber.h"

namespace {
const int FUNC_NAME_SIZE = 80;  // a function name: at most 79 characters
const int PATH_SIZE = 256;      // paths, list-file names and definitions: at most 255
const int DOUBLE_KIND = 8;      // every enrolled function returns a double

// Formatted reading of an integer; 0 when nothing could be read.
int Read_Integer() {
    int value = 0;
    Read_TypedNumber(std::cin, value);
    return value;
}

// An integer answer followed by its line end, which is consumed.
int Read_IntegerLine() {
    int value = Read_Integer();
    Skip_TypedCharacter(std::cin);
    return value;
}

bool Is_BuiltinName(const char* func_name) {
    CompForm scratch;
    std::strncpy(scratch.CompArray, func_name, ITEM_TEXT_SIZE - 1);
    return scratch.SetOperatorFunc() > 0;
}

void Show_ArgumentNames(unsigned short arg_count) {
    std::cout << Msg().ENROLL_DEFINITION_PROMPT;
    if (arg_count == 0) return;
    std::cout << Msg().ENROLL_ARGUMENTS_BEFORE;
    for (int i = 0; i < arg_count - 1; ++i) std::cout << "a" << i << " , ";
    std::cout << "a" << arg_count - 1 << Msg().ENROLL_ARGUMENTS_AFTER;
}

// Counts the distinct variables of the items, entering them into the list.
int Collect_Variables(CompForm* usrdef_func, int elem_number, BaseLnList*& name_list) {
    int name_count = 0;
    for (int i = 0; i < elem_number; ++i) {
        const CompForm& item = usrdef_func[i];
        if (item.kind != KIND_VARIABLE || item.argm_num == -1) continue;
        name_count += Add_List(name_list, item.CompArray);
    }
    return name_count;
}

bool Has_Arguments(BaseLnList*& name_list, int arg_Number) {
    for (int i = 0; i < arg_Number; ++i) {
        char arg_name[16];
        std::snprintf(arg_name, sizeof arg_name, "a%d", i);
        int found = 0;
        Serch(&name_list, arg_name, &found);
        if (found == 0) return false;
    }
    return true;
}

// The destination and content questions shared by both listings.
void Ask_ListChoices(int* destination, int* content) {
    std::cout << Msg().LIST_DESTINATION_PROMPT;
    std::cout << Msg().LIST_DESTINATION_CHOICES;
    *destination = Read_Integer();
    std::cout << Msg().LIST_CONTENT_PROMPT;
    std::cout << Msg().LIST_CONTENT_CHOICES;
    *content = Read_Integer();
}

// Asks the list file's name and creates it as a text file; a folder, FIFO or
// device is never opened (a FIFO would block).
bool Open_ListFile(std::ofstream& list_file) {
    std::string file_name;
    std::cout << Msg().LIST_FILE_PROMPT;
    if (Read_PathLine(std::cin, &file_name, PATH_SIZE - 1, true) != PATH_TYPED) return false;
    if (Check_OutputPath(file_name) == FILE_NOT_REGULAR) return false;
    list_file.open(file_name, std::ios::out | std::ios::trunc);
    return list_file.is_open();
}

// A listing whose file could not be written in full is not reported as done.
bool Close_ListFile(std::ofstream& list_file) {
    list_file.close();
    return !list_file.fail();
}

void List_Registry(UsrFuncArray& ufunc_list, std::ostream& out, int content) {
    if (content == 1)
        OutPut_UfArrayCont(ufunc_list, out);
    else
        OutPut_UfFuncName(ufunc_list, out);
}

// The end offset of the stream's file, -1 when unknown; the read position is kept.
long File_End(std::ifstream& in) {
    std::streamoff here = in.tellg();
    long file_end = Find_FileEnd(in);
    in.clear();
    in.seekg(here);
    return here < 0 ? -1 : file_end;
}

// Offset of a record's definition length field: after the record length, the
// name length, the name with its NUL, the argument count, the result kind and
// the argument kinds.
long Definition_Offset(const SavedRecord& record) {
    return record.position + 12 + static_cast<long>(record.name.size() + 1) + 2L * record.arg_num;
}
}  // namespace

int EnRoll_UserDefFunc(UsrFuncArray& ufunc_list, char* func_name) {
    std::cout << Msg().ENROLL_START_QUESTION;
    if (Read_IntegerLine() != 1) return ENROLL_NO_NAME;
    std::cout << Msg().ENROLL_NAME_PROMPT << FUNC_NAME_SIZE - 1 << Msg().ENROLL_NAME_PROMPT_END;
    // An empty name could be neither called nor deleted: it is refused as no name.
    if (Input_Formula(std::cin, func_name, FUNC_NAME_SIZE) == nullptr || func_name[0] == '\0')
        return ENROLL_NO_NAME;
    if (Is_BuiltinName(func_name)) return ENROLL_BUILT_IN;

    std::cout << Msg().ENROLL_ARGUMENT_COUNT_PROMPT;
    unsigned short arg_count = 0;
    Read_TypedNumber(std::cin, arg_count);
    Skip_TypedCharacter(std::cin);
    Show_ArgumentNames(arg_count);

    char definition[PATH_SIZE];
    {
        InputKindScope kind(InputKind::Definition);
        if (Input_Formula(std::cin, definition, PATH_SIZE) == nullptr) return ENROLL_NO_DEFINITION;
    }
    if (CheckInpVal_UsrdefFunc(arg_count, DOUBLE_KIND, definition, ufunc_list) < 1)
        return ENROLL_REFUSED;

    long file_pos = ufunc_list.AccFilePos(func_name);
    if (file_pos == -2) file_pos = -1;
    ufunc_list.AddUFncElem(func_name, file_pos, arg_count, DOUBLE_KIND, definition);
    return ENROLLED;
}

int Show_EnrollError(int error_code) {
    const char* first = nullptr;
    const char* second = nullptr;
    switch (error_code) {
    case ENROLL_NO_NAME:
        first = Msg().ENROLL_FAILED;
        second = Msg().ENROLL_NAME_FAILED;
        break;
    case ENROLL_NO_DEFINITION:
        first = Msg().ENROLL_FAILED;
        second = Msg().ENROLL_DEFINITION_FAILED;
        break;
    case ENROLL_REFUSED:
        first = Msg().ENROLL_FAILED;
        second = Msg().ENROLL_BAD_VALUE;
        break;
    case ENROLL_BUILT_IN:
        first = Msg().ENROLL_BUILT_IN_NAME;
        second = Msg().ENROLL_OTHER_NAME;
        break;
    default: return error_code;
    }
    std::cout << first << second << std::endl;
    return error_code;
}

int CheckInpVal_UsrdefFunc(unsigned int arg_Number, unsigned short ret_kind,
                           const char* func_defstr, const FunctionNames& function_names) {
    if (ret_kind < 1 || ret_kind > 8) return 0;
    CompForm* def_items = nullptr;
    int item_count = Formula_Analysis(&def_items, func_defstr, function_names);
    if (item_count == 0) return -2;
    int check = Check_ArgKind(def_items, static_cast<int>(arg_Number), item_count);
    delete[] def_items;
    return check < 1 ? -1 : 1;
}

int Check_ArgKind(CompForm* usrdef_func, int arg_Number, int elem_number) {
    BaseLnList* name_list = nullptr;
    int name_count = Collect_Variables(usrdef_func, elem_number, name_list);
    int result = 1;
    if (name_count != arg_Number)
        result = 0;
    else if (!Has_Arguments(name_list, arg_Number))
        result = -1;
    Delete_List(name_list);
    return result;
}

int Delete_UserFunc(UsrFuncArray& ufunc_list) {
    std::cout << Msg().DELETE_NAME_PROMPT << FUNC_NAME_SIZE - 1 << Msg().DELETE_NAME_PROMPT_END
              << std::endl;
    char func_name[FUNC_NAME_SIZE];
    if (Input_Formula(std::cin, func_name, FUNC_NAME_SIZE) == nullptr) {
        std::cout << Msg().DELETE_INVALID;
        return 1;
    }
    if (func_name[0] == '\0') {
        std::cout << Msg().DELETE_NO_NAME;
        return 1;
    }
    int deleted = ufunc_list.DelUFncElem(func_name);
    Say_Outcome(deleted);
    // A failure of the file itself says why before that the record stayed.
    if (Is_FileOutcome(deleted)) Say_Outcome(DELETE_RECORD_KEPT);
    return 1;
}

int SaveDate_ToFile(UsrFuncArray& the_target) {
    if (the_target.GetChangeFlag() == 0) return SAVE_NOTHING_CHANGED;
    if (the_target.GetSourceFile() != nullptr) return SaveDate_ToFileEx(the_target);
    return SaveDate_ToNewPath(the_target);
}

SaveOutcome SaveDate_ToNewPath(UsrFuncArray& the_target) {
    std::cout << Msg().SAVE_PATH_PROMPT;
    std::string file_path;
    PathReading reading = Read_PathLine(std::cin, &file_path, PATH_SIZE - 1, true);
    if (reading == PATH_TOO_LONG) return SAVE_PATH_TOO_LONG;
    if (reading == PATH_EMPTY) return SAVE_PATH_EMPTY;
    // Anything at the path, even a link pointing nowhere, is never written; what
    // is no regular file is named as such.
    if (Path_Taken(file_path))
        return Check_OutputPath(file_path) == FILE_DONE ? SAVE_PATH_TAKEN : SAVE_NOT_REGULAR;
    return static_cast<SaveOutcome>(SaveDate_ToFileNew(the_target, file_path.c_str()));
}

int Show_SvUsrfuncError(int error_code) {
    Say_Outcome(error_code);
    return 1;
}

int ReadUsrFunc_ToUfArray(UsrFuncArray& ufunc_list) {
    std::cout << Msg().LOAD_PATH_PROMPT;
    std::string file_path;
    PathReading reading = Read_PathLine(std::cin, &file_path, PATH_SIZE - 1, true);
    if (reading == PATH_TOO_LONG) return SAVE_PATH_TOO_LONG;
    if (reading == PATH_EMPTY) {
        Say_Outcome(LOAD_PATH_EMPTY);
        return LOAD_PATH_EMPTY;
    }
    std::cout << Msg().LOAD_ALL_QUESTION;
    int read_all = Read_Integer();
    int loaded = Create_UFunctionTable(ufunc_list, file_path.c_str(), read_all);
    if (loaded == SAVE_DONE && read_all == 0) {
        std::cout << Msg().LOAD_CHOOSE_QUESTION;
        if (Read_Integer() == 1) SetUfDef_ToUfArray(ufunc_list);
    }
    Say_Outcome(loaded);
    // What the system's reason stopped: the file could not be read.
    if (Outcome_HasReason(loaded)) Say_Outcome(LOAD_UNREADABLE);
    return loaded;
}

int SetUfDef_ToUfArray(UsrFuncArray& ufunc_list) {
    int set_result = SAVE_DONE;
    for (;;) {
        std::cout << Msg().LOAD_NAME_PROMPT << FUNC_NAME_SIZE - 1 << Msg().LOAD_NAME_PROMPT_END;
        char func_name[FUNC_NAME_SIZE];
        Read_Word(std::cin, func_name, FUNC_NAME_SIZE);
        if (func_name[0] == '\0') {
            Say_Outcome(DEFINITION_NO_NAME);
            return DEFINITION_NO_NAME;
        }
        set_result = ufunc_list.SetFuncDefFrmFile(func_name);
        Say_Outcome(set_result);
        if (set_result != SAVE_DONE) {
            // What the system's reason stopped: the save file could not be read.
            if (Outcome_HasReason(set_result)) Say_Outcome(DEFINITION_UNREADABLE);
            return set_result;
        }
        std::cout << Msg().LOAD_MORE_QUESTION;
        if (Read_Integer() == 0) return set_result;
    }
}

int Show_UserFuncList(UsrFuncArray& ufunc_list) {
    int destination = 0, content = 0;
    Ask_ListChoices(&destination, &content);
    if (destination != 1) {
        List_Registry(ufunc_list, std::cout, content);
        return 1;
    }
    std::ofstream list_file;
    if (Open_ListFile(list_file)) {
        List_Registry(ufunc_list, list_file, content);
        if (Close_ListFile(list_file)) return 1;
    }
    std::cout << Msg().LIST_CREATE_FAILED << std::endl;
    return 0;
}

int OutPut_UfArrayCont(UsrFuncArray& ufunc_list, std::ostream& optstrm) {
    if (ufunc_list.FirstPnt() == nullptr) {
        std::cout << Msg().LIST_EMPTY << std::endl;
        return 0;
    }
    for (UsrFuncProp* entry = ufunc_list.FirstPnt(); entry != nullptr; entry = entry->NextPnt()) {
        entry->PrintContent(optstrm);
        optstrm << "\n";
    }
    optstrm << "\n";
    return 1;
}

int OutPut_UfFuncName(UsrFuncArray& ufunc_list, std::ostream& optstrm) {
    if (ufunc_list.FirstPnt() == nullptr) {
        std::cout << Msg().LIST_EMPTY << std::endl;
        return 0;
    }
    for (UsrFuncProp* entry = ufunc_list.FirstPnt(); entry != nullptr; entry = entry->NextPnt())
        entry->PrintFuncMame(optstrm);
    optstrm << "\n";
    return 1;
}

int Show_UserFuncList(const char* save_file) {
    int destination = 0, content = 0;
    Ask_ListChoices(&destination, &content);
    int listed = 0;
    if (destination == 1) {
        std::ofstream list_file;
        bool written = Open_ListFile(list_file);
        if (written) {
            listed = Create_UserFuncList(save_file, list_file, content);
            written = Close_ListFile(list_file);
        }
        if (!written) {
            std::cout << Msg().LIST_CREATE_FAILED_LINE << std::endl;
            return 0;
        }
    } else {
        listed = Create_UserFuncList(save_file, std::cout, content);
    }
    if (listed == 0) {
        std::cout << Msg().LIST_SAVE_FILE_UNREADABLE << Msg().LIST_SAVE_FILE_MISSING << std::endl;
    }
    return 1;
}

int Create_UserFuncList(const char* save_file, std::ostream& opt_strm, int cont_select) {
    if (Check_FileID(save_file) != SAVE_DONE) return 0;
    std::ifstream red_strm(save_file, std::ios::in | std::ios::binary);
    long file_end = Find_FileEnd(red_strm);
    red_strm.clear();
    if (file_end < 0 || !red_strm.seekg(UFUNC_FILE_ID_SIZE)) return 0;
    // A record that cannot be read whole ends the listing.
    while (Bytes_Left(red_strm, file_end) > 0) {
        int listed = cont_select == 1 ? OutPut_Record(red_strm, opt_strm)
                                      : OutPut_FuncName(red_strm, opt_strm);
        if (listed == 0) break;
    }
    return 1;
}

// The listers below return 1 when their record or field was listed and 0 when
// it does not lie whole inside the file; they write nothing then.

int OutPut_Record(std::ifstream& red_strm, std::ostream& opt_strm) {
    SavedRecord record;
    if (Read_SavedRecord(red_strm, File_End(red_strm), &record) != 1) return 0;
    OutPut_RetValKind(record.ret_kind, opt_strm);
    opt_strm << " " << record.name << "(";
    for (size_t i = 0; i < record.arg_kinds.size(); ++i) {
        if (i > 0) opt_strm << ",";
        OutPut_RetValKind(record.arg_kinds[i], opt_strm);
        opt_strm << "a" << i;
    }
    opt_strm << ") = ";
    // The definition ends the record: listing it leaves the stream at the next record.
    red_strm.seekg(Definition_Offset(record));
    OutPut_FileDef(red_strm, opt_strm);
    opt_strm << "\n\n";
    return 1;
}

int OutPut_FuncName(std::ifstream& red_strm, std::ostream& opt_strm) {
    SavedRecord record;
    if (Read_SavedRecord(red_strm, File_End(red_strm), &record) != 1) return 0;
    opt_strm << record.name << "\n\n";
    return 1;
}

int OutPut_FileDef(std::ifstream& red_strm, std::ostream& opt_strm) {
    long file_end = File_End(red_strm);
    unsigned long def_length = 0;
    std::string definition;
    if (!Read_UInt32(red_strm, file_end, &def_length) ||
        !Read_TextField(red_strm, file_end, def_length, &definition))
        return 0;
    opt_strm << definition;
    return 1;
}

int OutPut_RetValKind(unsigned short ret_kind, std::ostream& opt_strm) {
    const char* kind_text = Kind_Text(ret_kind);
    if (kind_text == nullptr) return 0;
    opt_strm << kind_text;
    return 1;
}
