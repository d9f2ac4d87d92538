#include "usrfunc.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

#include "crtbtree.h"
#include "flcopy.h"
#include "flreplace.h"
#include "fmulaopfc.h"
#include "consoleio.h"
#include "messages.h"
#include "symbol.h"

UsrFuncArray g_ufunc_list(nullptr);

namespace {
char* New_TextCopy(const char* text) {
    size_t length = std::strlen(text);
    char* copy = new char[length + 1];
    std::memcpy(copy, text, length + 1);
    return copy;
}

const char* const KIND_TEXTS[] = {"unsigned char ", "char ", "unsigned short ", "short ",
                                  "unsigned long ", "long ", "flort ", "double "};
}  // namespace

const char* Kind_Text(unsigned short kind_code) {
    if (kind_code < 1 || kind_code > 8) return nullptr;
    return KIND_TEXTS[kind_code - 1];
}

// ---- One registered function ----

UsrFuncProp::UsrFuncProp(const char* key, long file_pos, unsigned short arg_Number,
                         unsigned short ret_kind, unsigned short flag, const char* def_string)
    : BaseLnList(key),
      filePos(file_pos),
      argNum(arg_Number),
      rtvKind(ret_kind),
      chngFlag(flag),
      funcDef(nullptr),
      funcAryNum(-1),
      funcRoot(nullptr) {
    if (def_string != nullptr) Set_Definition(def_string);
}

UsrFuncProp::~UsrFuncProp() { Free_Definition(); }

UsrFuncProp* UsrFuncProp::NextPnt() { return static_cast<UsrFuncProp*>(the_next); }

void UsrFuncProp::Free_Definition() {
    delete[] funcDef;
    funcDef = nullptr;
    funcRoot = nullptr;
    funcAryNum = -1;
}

// Analyses the text into the entry's items, links their variables to the global
// argument cells and builds the tree; the entry stays undefined when it is refused.
void UsrFuncProp::Set_Definition(const char* def_string) {
    CompForm* items = nullptr;
    if (Formula_Analysis(&items, def_string) == 0) return;
    int item_count = current_number + 1;
    Create_SymbolTable(items, item_count, ufunc_argArray);
    funcDef = items;
    funcAryNum = item_count;
    funcRoot = Build_Tree(items, item_count);
}

int UsrFuncProp::ChangeFuncDef(const char* def_string, unsigned short num_Arg,
                               unsigned short ret_Kind) {
    if (num_Arg != argNum) {
        argNum = num_Arg;
        chngFlag = 1;
    }
    if (ret_Kind != rtvKind) {
        rtvKind = ret_Kind;
        chngFlag = 1;
    }
    if (def_string == nullptr) return 1;
    Free_Definition();
    Set_Definition(def_string);
    if (funcDef != nullptr) chngFlag = 1;
    return 1;
}

char* UsrFuncProp::GetFuncDef(unsigned short* arg_Number, unsigned short* ret_kind) {
    *arg_Number = 0;
    *ret_kind = 10;
    if (funcDef == nullptr) return nullptr;
    *arg_Number = argNum;
    *ret_kind = rtvKind;
    size_t total = 0;
    for (int i = 0; i < funcAryNum; ++i) total += strnlen(funcDef[i].CompArray, ITEM_TEXT_SIZE);
    char* text = new char[total + 1];
    size_t used = 0;
    for (int i = 0; i < funcAryNum; ++i) {
        size_t length = strnlen(funcDef[i].CompArray, ITEM_TEXT_SIZE);
        std::memcpy(text + used, funcDef[i].CompArray, length);
        used += length;
    }
    text[used] = '\0';
    return text;
}

int UsrFuncProp::SaveData(std::ostream& savetofile) {
    unsigned short arg_count = 0;
    unsigned short ret_kind = 0;
    char* text = GetFuncDef(&arg_count, &ret_kind);
    if (text == nullptr) return 0;
    bool written = Write_Record(savetofile, label, arg_count, ret_kind, text);
    delete[] text;
    // A refused write keeps the function marked changed.
    if (written) chngFlag = 0;
    return 1;
}

int UsrFuncProp::PrintContent(std::ostream& optstrm) {
    const char* kind_text = Kind_Text(rtvKind);
    optstrm << (kind_text != nullptr ? kind_text : "___undef ") << label << "( ";
    if (argNum == 0) optstrm << "void";
    for (unsigned int i = 0; i < argNum; ++i) optstrm << (i > 0 ? " , " : "") << "a" << i;
    optstrm << " ) = ";
    unsigned short arg_count = 0;
    unsigned short ret_kind = 0;
    char* text = GetFuncDef(&arg_count, &ret_kind);
    optstrm << (text != nullptr ? text : "___undef") << std::endl;
    delete[] text;
    return 1;
}

int UsrFuncProp::PrintFuncMame(std::ostream& optstrm) {
    optstrm << label << " :" << (funcDef != nullptr ? Msg().LIST_DEFINED : Msg().LIST_UNDEFINED) << std::endl;
    return 1;
}

// ---- The registry ----

UsrFuncArray::UsrFuncArray(const char* file_path) : the_root(nullptr), ufndef_file(nullptr) {
    if (file_path != nullptr) ufndef_file = New_TextCopy(file_path);
}

UsrFuncArray::~UsrFuncArray() { DeleteAllObject(); }

int UsrFuncArray::DeleteAllObject() {
    while (the_root != nullptr) {
        UsrFuncProp* following = the_root->NextPnt();
        delete the_root;
        the_root = following;
    }
    delete[] ufndef_file;
    ufndef_file = nullptr;
    return 1;
}

UsrFuncProp* UsrFuncArray::Find(const char* key) const {
    UsrFuncProp* entry = the_root;
    while (entry != nullptr && std::strcmp(entry->label, key) < 0) entry = entry->NextPnt();
    if (entry != nullptr && std::strcmp(entry->label, key) == 0) return entry;
    return nullptr;
}

int UsrFuncArray::AddUFncElem(const char* key, long file_pos, unsigned int arg_Number,
                              unsigned short ret_kind, const char* def_string) {
    unsigned short arg_count = static_cast<unsigned short>(arg_Number);
    UsrFuncProp* previous = nullptr;
    UsrFuncProp* entry = the_root;
    while (entry != nullptr && std::strcmp(entry->label, key) < 0) {
        previous = entry;
        entry = entry->NextPnt();
    }
    if (entry != nullptr && std::strcmp(entry->label, key) == 0) {
        entry->filePos = file_pos;
        entry->chngFlag = 1;
        entry->ChangeFuncDef(def_string, arg_count, ret_kind);
        return 2;
    }
    unsigned short flag = def_string != nullptr ? 1 : 0;
    UsrFuncProp* added = nullptr;
    try {
        added = new UsrFuncProp(key, file_pos, arg_count, ret_kind, flag, def_string);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    added->the_next = entry;
    if (previous == nullptr) the_root = added;
    else previous->the_next = added;
    return 1;
}

UsrFuncProp* UsrFuncArray::DelUFncElement(const char* key, long* file_pos, int* the_state) {
    *file_pos = -1;
    *the_state = 0;
    UsrFuncProp* previous = nullptr;
    UsrFuncProp* entry = the_root;
    while (entry != nullptr && std::strcmp(entry->label, key) != 0) {
        previous = entry;
        entry = entry->NextPnt();
    }
    if (entry == nullptr) return nullptr;
    UsrFuncProp* following = entry->NextPnt();
    if (previous == nullptr) the_root = following;
    else previous->the_next = following;
    *file_pos = entry->filePos;
    delete entry;
    *the_state = 1;
    return following;
}

long UsrFuncArray::ElementSaveNum() {
    long saved = 0;
    for (UsrFuncProp* entry = the_root; entry != nullptr; entry = entry->NextPnt())
        if (entry->filePos != -1) ++saved;
    return saved;
}

long& UsrFuncArray::AccFilePos(const char* key) {
    static long not_registered;
    not_registered = -2;
    UsrFuncProp* entry = Find(key);
    return entry != nullptr ? entry->filePos : not_registered;
}

unsigned short UsrFuncArray::PutArgNum(const char* key) const {
    UsrFuncProp* entry = Find(key);
    return entry != nullptr ? entry->argNum : 0;
}

int UsrFuncArray::PrintContent(const char* key, std::ostream& optstrm) {
    UsrFuncProp* entry = Find(key);
    if (entry != nullptr) entry->PrintContent(optstrm);
    else optstrm << Msg().LIST_FUNCTION_NAME << key << Msg().LIST_NOT_PRESENT << std::endl;
    return 1;
}

CompForm* UsrFuncArray::operator[](const char* key) const {
    UsrFuncProp* entry = Find(key);
    return entry != nullptr ? entry->funcRoot : nullptr;
}

int UsrFuncArray::operator()(const char* key) const {
    UsrFuncProp* entry = Find(key);
    if (entry == nullptr) return 0;
    return entry->funcDef != nullptr ? 2 : 1;
}

int UsrFuncArray::ChangeSourceFile(const char* file_path, int set_flag) {
    if (ufndef_file != nullptr && set_flag == -1) return 0;
    // Copied before the old path is freed: file_path may be that very path.
    char* copy = file_path != nullptr ? New_TextCopy(file_path) : nullptr;
    delete[] ufndef_file;
    ufndef_file = copy;
    return 1;
}

int UsrFuncArray::GetChangeFlag() {
    for (UsrFuncProp* entry = the_root; entry != nullptr; entry = entry->NextPnt())
        if (entry->chngFlag == 1) return 1;
    return 0;
}

namespace {
// Length of a definition as it was typed. A sign that opens a formula or an
// argument is stored with a 0 before it (-a0 comes back as 0-a0), so a stored
// text may be longer than the line it was typed on; those zeros do not count.
size_t Typed_Length(const char* text) {
    size_t length = 0;
    for (size_t i = 0; text[i] != '\0'; ++i) {
        bool opens = i == 0 || text[i - 1] == '(' || text[i - 1] == ',';
        bool sign_follows = text[i + 1] == '-' || text[i + 1] == '+';
        if (!(text[i] == '0' && opens && sign_follows)) ++length;
    }
    return length;
}
}  // namespace

int Formula_Analysis(CompForm** the_formlist, const char* line_array) {
    // A typed definition holds at most 255 characters; a longer one can only come
    // from a damaged save file, and its analysis could nest beyond any sane depth.
    if (Typed_Length(line_array) > DEFINITION_MAX_LENGTH) {
        Write_ErrorMessage(Msg().FORMULA_TOO_LONG);
        return 0;
    }
    return Analyse_FormulaText(the_formlist, line_array, ERROR_MESSAGE_ONLY);
}

// ---- The save file ----

namespace {
// The working copy: "template.dat" beside the file it will replace.
std::string Work_CopyPath(const std::string& file_path) {
    return Directory_Part(file_path) + "template.dat";
}

// Removes a file only when it is a plain file (never a device such as /dev/full).
void Remove_RegularFile(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) std::remove(path.c_str());
}

// The file a rewrite replaces and its working copy beside it; false when the
// save file is no plain file (a device would never end) or is itself named
// like the working copy.
bool Plan_Replace(const char* file_path, std::string* target, std::string* work) {
    *target = Replace_Target(file_path);
    *work = Work_CopyPath(*target);
    std::error_code error;
    return *work != *target && std::filesystem::is_regular_file(*target, error);
}

// Closes the finished working copy and moves it over the save file. 1, -1 when
// it could not be written whole, UFUNC_WRITE_FAILED when the move failed; on
// failure the working copy is gone and the save file untouched.
int Finish_WorkCopy(std::ofstream& out, const std::string& work, const std::string& target) {
    out.close();
    int result = 1;
    if (out.fail()) result = -1;
    else if (Replace_File(work, target) != 1) result = UFUNC_WRITE_FAILED;
    if (result != 1) Remove_RegularFile(work);
    return result;
}

struct EntryMark {
    long file_pos;
    unsigned short chng_flag;
};

std::vector<EntryMark> Take_Marks(UsrFuncArray& registry) {
    std::vector<EntryMark> marks;
    for (UsrFuncProp* entry = registry.FirstPnt(); entry != nullptr; entry = entry->NextPnt())
        marks.push_back(EntryMark{entry->filePos, entry->chngFlag});
    return marks;
}

void Put_Marks(UsrFuncArray& registry, const std::vector<EntryMark>& marks) {
    size_t i = 0;
    for (UsrFuncProp* entry = registry.FirstPnt(); entry != nullptr; entry = entry->NextPnt(), ++i) {
        entry->filePos = marks[i].file_pos;
        entry->chngFlag = marks[i].chng_flag;
    }
}

// One entry's part of a rewrite: a changed, defined function writes a new record;
// any other function with a record has it copied from the unchanged save file.
// position receives where its record now starts, -1 when it has none. 1, -1 when
// the working copy refused a write, UFUNC_WRITE_FAILED when the record is not
// where the entry says.
int Rewrite_Entry(UsrFuncProp* entry, std::ifstream& saved, long saved_end, std::ofstream& out,
                  long* position) {
    *position = -1;
    if (entry->chngFlag == 1 && entry->funcDef != nullptr) {
        *position = static_cast<long>(out.tellp());
        entry->SaveData(out);
        return out.good() ? 1 : -1;
    }
    if (entry->filePos == -1) return 1;
    // Another run may have rewritten the file since this one read it.
    SavedRecord record;
    if (!Check_StoredRecord(saved, saved_end, entry->filePos, entry->label, &record))
        return UFUNC_WRITE_FAILED;
    *position = static_cast<long>(out.tellp());
    long record_end = entry->filePos + static_cast<long>(record.recd_length);
    if (Copy_PartFile(saved, out, entry->filePos, record_end) != 1) return -1;
    // Its stored record is all this entry can save (a definition that failed to analyse).
    entry->chngFlag = 0;
    return 1;
}

// Writes the new content of the save file target into the working copy work:
// the identifier, then every entry's record in registry order. positions
// receives each entry's new record position. 1, or a code of SaveDate_ToFileEx.
int Write_Rewrite(UsrFuncArray& the_target, const std::string& target, const std::string& work,
                  std::vector<long>* positions) {
    std::ifstream saved(target, std::ios::in | std::ios::binary);
    long saved_end = Find_FileEnd(saved);
    if (!saved || saved_end < 0) return 0;
    std::ofstream out(work, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out) return -1;
    int result = Copy_PartFile(saved, out, 0, UFUNC_FILE_ID_SIZE) == 1 ? 1 : -1;
    for (UsrFuncProp* entry = the_target.FirstPnt(); entry != nullptr && result == 1;
         entry = entry->NextPnt()) {
        long position = -1;
        result = Rewrite_Entry(entry, saved, saved_end, out, &position);
        positions->push_back(position);
    }
    if (result != 1) {
        out.close();
        Remove_RegularFile(work);
        return result;
    }
    saved.close();  // Windows cannot move a file over one that is still open
    return Finish_WorkCopy(out, work, target);
}

void Load_Records(UsrFuncArray& ufunc_list, std::istream& in, long file_end, bool with_definition) {
    SavedRecord record;
    while (Bytes_Left(in, file_end) > 0 && Read_SavedRecord(in, file_end, &record) == 1) {
        const char* definition = with_definition ? record.definition.c_str() : nullptr;
        ufunc_list.AddUFncElem(record.name.c_str(), record.position, record.arg_num,
                               record.ret_kind, definition);
    }
}

// The save file target without the record at file_pos (which must carry name,
// unless it is null), written into the working copy and moved over it. 1, or a
// code of DeleteRecord_FrmFile.
int Cut_Record(const std::string& target, const std::string& work, unsigned long file_pos,
               const char* name, unsigned long* recd_length) {
    std::ifstream saved(target, std::ios::in | std::ios::binary);
    long saved_end = Find_FileEnd(saved);
    if (!saved || saved_end < 0) return -2;
    if (file_pos < static_cast<unsigned long>(UFUNC_FILE_ID_SIZE) ||
        file_pos >= static_cast<unsigned long>(saved_end))
        return -2;
    long record_pos = static_cast<long>(file_pos);
    SavedRecord record;
    if (!Check_StoredRecord(saved, saved_end, record_pos, name, &record)) return -3;
    unsigned long length = record.recd_length;
    std::ofstream out(work, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out) return -1;
    if (Copy_PartFile(saved, out, 0, record_pos) != 1 ||
        Copy_PartFile(saved, out, record_pos + static_cast<long>(length), saved_end) != 1) {
        out.close();
        Remove_RegularFile(work);
        return -1;
    }
    saved.close();  // Windows cannot move a file over one that is still open
    int finished = Finish_WorkCopy(out, work, target);
    if (finished != 1) return finished == -1 ? -1 : -2;
    *recd_length = length;
    return 1;
}
}  // namespace

int SaveDate_ToFileNew(UsrFuncArray& the_target, const char* file_path) {
    std::vector<EntryMark> before = Take_Marks(the_target);
    std::ofstream out(file_path, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out) return -5;
    out.write(UFUNC_FILE_ID, UFUNC_FILE_ID_SIZE);
    for (UsrFuncProp* entry = the_target.FirstPnt(); entry != nullptr; entry = entry->NextPnt()) {
        entry->filePos = -1;
        if (entry->funcDef == nullptr) continue;
        long position = static_cast<long>(out.tellp());
        if (entry->SaveData(out) == 1) entry->filePos = position;
    }
    out.close();
    if (out.fail()) {
        // Nothing of it can be trusted: the half-written file goes, the registry
        // stays as it was.
        Put_Marks(the_target, before);
        Remove_RegularFile(file_path);
        return -5;
    }
    the_target.ChangeSourceFile(file_path, -1);
    return 1;
}

int SaveDate_ToFileEx(UsrFuncArray& the_target) {
    if (the_target.GetSourceFile() == nullptr) return 0;
    std::string source = the_target.GetSourceFile();
    if (Check_FileID(source.c_str()) != 1) return 0;
    std::string target, work;
    if (!Plan_Replace(source.c_str(), &target, &work)) return -1;
    std::vector<EntryMark> before = Take_Marks(the_target);
    std::vector<long> positions;
    int result = Write_Rewrite(the_target, target, work, &positions);
    if (result != 1) {
        Put_Marks(the_target, before);
        return result;
    }
    size_t i = 0;
    for (UsrFuncProp* entry = the_target.FirstPnt(); entry != nullptr; entry = entry->NextPnt())
        entry->filePos = positions[i++];
    return 1;
}

int Check_FileID(const char* file_path) {
    std::ifstream in(file_path, std::ios::in | std::ios::binary);
    if (!in) return -1;
    return Read_FileID(in) ? 1 : 0;
}

int Create_UFunctionTable(UsrFuncArray& ufunc_list, const char* udef_file, int jread_form) {
    // Copied first: the path may be the registry's own source file, freed just below.
    std::string path = udef_file;
    ufunc_list.DeleteAllObject();
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in) return -1;
    if (!Read_FileID(in)) return 0;
    long file_end = Find_FileEnd(in);
    in.seekg(UFUNC_FILE_ID_SIZE);
    if (jread_form == 1) Set_UFunctionTableAll(ufunc_list, in, file_end);
    else Load_Records(ufunc_list, in, file_end, false);
    in.close();
    ufunc_list.ChangeSourceFile(path.c_str(), 0);
    return 1;
}

int Set_UFunctionTableAll(UsrFuncArray& ufunc_list, std::ifstream& fdef_stream, long file_end) {
    Load_Records(ufunc_list, fdef_stream, file_end, true);
    return 1;
}

int UsrFuncArray::SetFuncDefFrmFile(const char* key) {
    if (ufndef_file == nullptr) return -2;
    UsrFuncProp* entry = Find(key);
    if (entry == nullptr || entry->filePos == -1) return -1;
    std::ifstream in(ufndef_file, std::ios::in | std::ios::binary);
    if (!in) return -3;
    SavedRecord record;
    if (!Check_StoredRecord(in, Find_FileEnd(in), entry->filePos, key, &record))
        return UFUNC_RECORD_DAMAGED;
    long size = static_cast<long>(record.definition.size()) + 1;
    std::vector<char> cleaned(static_cast<size_t>(size));
    if (DelBlunk_String(cleaned.data(), record.definition.c_str(), size) == 0) return 0;
    entry->ChangeFuncDef(cleaned.data(), record.arg_num, record.ret_kind);
    return 1;
}

namespace {
// Whether the save file may go as a whole with the record of name at file_pos:
// it holds nothing else, or it is gone already (its removal then fails).
bool Holds_OnlyRecord(const char* file_path, long file_pos, const char* name) {
    std::error_code error;
    if (!std::filesystem::exists(file_path, error) && !error) return true;
    std::ifstream in(file_path, std::ios::in | std::ios::binary);
    long file_end = Find_FileEnd(in);
    SavedRecord record;
    return file_pos == UFUNC_FILE_ID_SIZE &&
           Check_StoredRecord(in, file_end, file_pos, name, &record) == 1 &&
           file_pos + static_cast<long>(record.recd_length) == file_end;
}
}  // namespace

int UsrFuncArray::DelUFncElem(const char* key) {
    std::string name = key;
    long saved_count = ElementSaveNum();
    long file_pos = -1;
    int found = 0;
    DelUFncElement(name.c_str(), &file_pos, &found);
    if (!found) return 0;
    if (file_pos == -1 || ufndef_file == nullptr) return 1;
    if (saved_count == 1 && Holds_OnlyRecord(ufndef_file, file_pos, name.c_str())) {
        int removed = std::remove(ufndef_file) == 0 ? 1 : -1;
        ChangeSourceFile(nullptr, 0);
        return removed;
    }
    // The record is cut only where it really is: the file may have changed since.
    std::string target, work;
    unsigned long recd_length = 0;
    if (!Plan_Replace(ufndef_file, &target, &work) ||
        Cut_Record(target, work, static_cast<unsigned long>(file_pos), name.c_str(),
                   &recd_length) != 1)
        return -2;
    // Every record that lay after the cut one moved down by its length.
    for (UsrFuncProp* entry = the_root; entry != nullptr; entry = entry->NextPnt())
        if (entry->filePos > file_pos) entry->filePos -= static_cast<long>(recd_length);
    return 1;
}

int DeleteRecord_FrmFile(const char* file_path, unsigned long file_pos, unsigned long* recd_length) {
    std::string target, work;
    if (!Plan_Replace(file_path, &target, &work)) return -1;
    return Cut_Record(target, work, file_pos, nullptr, recd_length);
}

int DelBlunk_String(char* the_target, const char* the_source, long the_size) {
    if (the_size < 1) return 0;
    long kept = 0;
    for (const char* letter = the_source; *letter != '\0' && *letter != '\n'; ++letter) {
        if (kept >= the_size - 1) break;
        char c = *letter;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f') continue;
        the_target[kept++] = c;
    }
    the_target[kept] = '\0';
    return kept > 0 ? 1 : 0;
}
