#include "userfunc/usrfunc.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <utility>

#include "formula/crtbtree.h"
#include "formula/formulatext.h"
#include "text/messages.h"
#include "userfunc/savefileindex.h"
#include "formula/symbol.h"

UsrFuncArray g_ufunc_list(nullptr);

namespace {
char* New_TextCopy(const char* text) {
    size_t length = std::strlen(text);
    char* copy = new char[length + 1];
    std::memcpy(copy, text, length + 1);
    return copy;
}

// The definition text that items give back: their texts one after another,
// in a new array exactly as long (the caller frees it).
char* Items_Text(const CompForm* items, int item_count) {
    size_t total = 0;
    for (int i = 0; i < item_count; ++i) total += strnlen(items[i].CompArray, ITEM_TEXT_SIZE);
    char* text = new char[total + 1];
    size_t used = 0;
    for (int i = 0; i < item_count; ++i) {
        size_t length = strnlen(items[i].CompArray, ITEM_TEXT_SIZE);
        std::memcpy(text + used, items[i].CompArray, length);
        used += length;
    }
    text[used] = '\0';
    return text;
}

const char* const KIND_TEXTS[] = {"unsigned char ", "char ", "unsigned short ", "short ",
                                  "unsigned long ", "long ", "flort ",          "double "};
}  // namespace

const char* Kind_Text(unsigned short kind_code) {
    if (kind_code < 1 || kind_code > 8) return nullptr;
    return KIND_TEXTS[kind_code - 1];
}

// ---- One registered function ----

UsrFuncProp::UsrFuncProp(const char* key, long file_pos, unsigned short arg_Number,
                         unsigned short ret_kind, unsigned short flag, const char* def_string,
                         const FunctionNames& function_names)
    : BaseLnList(key),
      filePos(file_pos),
      argNum(arg_Number),
      rtvKind(ret_kind),
      chngFlag(flag),
      funcDef(nullptr),
      funcAryNum(-1),
      funcRoot(nullptr),
      heldDef(nullptr),
      changedSinceRead(def_string != nullptr),
      knownRecord() {
    if (def_string != nullptr) Set_Definition(def_string, function_names);
}

UsrFuncProp::~UsrFuncProp() { Free_Definition(); }

UsrFuncProp* UsrFuncProp::NextPnt() { return static_cast<UsrFuncProp*>(the_next); }

void UsrFuncProp::Free_Definition() {
    delete[] funcDef;
    delete[] heldDef;
    heldDef = nullptr;
    funcDef = nullptr;
    funcRoot = nullptr;
    funcAryNum = -1;
}

// Analyses the text into the entry's items, links their variables to the global
// argument cells and builds the tree; the entry stays undefined when it is refused.
void UsrFuncProp::Set_Definition(const char* def_string, const FunctionNames& function_names) {
    CompForm* items = nullptr;
    int item_count = Formula_Analysis(&items, def_string, function_names);
    if (item_count == 0) return;
    Create_SymbolTable(items, item_count, ufunc_argArray);
    funcDef = items;
    funcAryNum = item_count;
    funcRoot = Build_Tree(items, item_count);
}

// Analyses the text as Set_Definition does, but keeps only the text the items
// give back (what a save writes), not the items.
void UsrFuncProp::Hold_Definition(const char* def_string, const FunctionNames& function_names) {
    CompForm* items = nullptr;
    int item_count = Formula_Analysis(&items, def_string, function_names);
    if (item_count == 0) return;
    std::unique_ptr<CompForm[]> analysed(items);
    heldDef = Items_Text(items, item_count);
}

CompForm* UsrFuncProp::DefinitionRoot(const FunctionNames& function_names) {
    if (funcDef != nullptr || heldDef == nullptr) return funcRoot;
    // Taken first: the entry is undefined should the analysis refuse it now.
    std::unique_ptr<char[]> text(heldDef);
    heldDef = nullptr;
    Set_Definition(text.get(), function_names);
    return funcRoot;
}

int UsrFuncProp::ChangeFuncDef(const char* def_string, unsigned short num_Arg,
                               unsigned short ret_Kind, const FunctionNames& function_names) {
    return Change_Definition(def_string, num_Arg, ret_Kind, false, function_names);
}

int UsrFuncProp::LoadFuncDef(const char* def_string, unsigned short num_Arg,
                             unsigned short ret_Kind, const FunctionNames& function_names) {
    return Change_Definition(def_string, num_Arg, ret_Kind, true, function_names);
}

int UsrFuncProp::Change_Definition(const char* def_string, unsigned short num_Arg,
                                   unsigned short ret_Kind, bool held,
                                   const FunctionNames& function_names) {
    if (num_Arg != argNum) {
        argNum = num_Arg;
        chngFlag = 1;
    }
    if (ret_Kind != rtvKind) {
        rtvKind = ret_Kind;
        chngFlag = 1;
    }
    if (def_string != nullptr) {
        Free_Definition();
        if (held)
            Hold_Definition(def_string, function_names);
        else
            Set_Definition(def_string, function_names);
        if (IsDefined()) chngFlag = 1;
    }
    if (chngFlag == 1) changedSinceRead = true;
    return 1;
}

char* UsrFuncProp::GetFuncDef(unsigned short* arg_Number, unsigned short* ret_kind) {
    *arg_Number = 0;
    *ret_kind = 10;
    if (!IsDefined()) return nullptr;
    *arg_Number = argNum;
    *ret_kind = rtvKind;
    if (heldDef != nullptr) return New_TextCopy(heldDef);
    return Items_Text(funcDef, funcAryNum);
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
    optstrm << label << " :" << (IsDefined() ? Msg().LIST_DEFINED : Msg().LIST_UNDEFINED)
            << std::endl;
    return 1;
}

// ---- The registry ----

UsrFuncArray::UsrFuncArray(const char* file_path) : the_root(nullptr), ufndef_file(nullptr) {
    if (file_path != nullptr) ufndef_file = New_TextCopy(file_path);
}

UsrFuncArray::~UsrFuncArray() { DeleteAllObject(); }

int UsrFuncArray::DeleteAllObject() {
    by_name.clear();  // its keys are the labels freed below
    while (the_root != nullptr) {
        UsrFuncProp* following = the_root->NextPnt();
        delete the_root;
        the_root = following;
    }
    delete[] ufndef_file;
    ufndef_file = nullptr;
    deleted_records.clear();
    file_index.reset();
    return 1;
}

void UsrFuncArray::Use_FileIndex(std::unique_ptr<SaveFileIndex> index) {
    file_index = std::move(index);
}

void UsrFuncArray::Swap(UsrFuncArray& other) {
    std::swap(the_root, other.the_root);
    std::swap(ufndef_file, other.ufndef_file);
    deleted_records.swap(other.deleted_records);
    by_name.swap(other.by_name);
    file_index.swap(other.file_index);
}

UsrFuncProp* UsrFuncArray::Find(const char* key) const {
    auto found = by_name.find(key);
    return found != by_name.end() ? found->second : nullptr;
}

int UsrFuncArray::AddUFncElem(const char* key, long file_pos, unsigned int arg_Number,
                              unsigned short ret_kind, const char* def_string) {
    unsigned short arg_count = static_cast<unsigned short>(arg_Number);
    auto place = by_name.lower_bound(key);
    UsrFuncProp* entry = place != by_name.end() ? place->second : nullptr;
    UsrFuncProp* previous = place != by_name.begin() ? std::prev(place)->second : nullptr;
    if (entry != nullptr && std::strcmp(entry->label, key) == 0) {
        entry->filePos = file_pos;
        entry->chngFlag = 1;
        entry->changedSinceRead = true;
        entry->ChangeFuncDef(def_string, arg_count, ret_kind, *this);
        return 2;
    }
    // Enrolled again after this run deleted it: its new version is what counts.
    if (def_string != nullptr) deleted_records.erase(key);
    unsigned short flag = def_string != nullptr ? 1 : 0;
    UsrFuncProp* added = nullptr;
    try {
        added = new UsrFuncProp(key, file_pos, arg_count, ret_kind, flag, def_string, *this);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    added->the_next = entry;
    if (previous == nullptr)
        the_root = added;
    else
        previous->the_next = added;
    by_name.emplace_hint(place, added->label, added);
    return 1;
}

UsrFuncProp* UsrFuncArray::DelUFncElement(const char* key, long* file_pos, int* the_state) {
    *file_pos = -1;
    *the_state = 0;
    auto found = by_name.find(key);
    if (found == by_name.end()) return nullptr;
    UsrFuncProp* entry = found->second;
    UsrFuncProp* previous = found != by_name.begin() ? std::prev(found)->second : nullptr;
    by_name.erase(found);
    UsrFuncProp* following = entry->NextPnt();
    if (previous == nullptr)
        the_root = following;
    else
        previous->the_next = following;
    *file_pos = entry->filePos;
    if (entry->knownRecord.Known()) deleted_records[entry->label] = entry->knownRecord;
    delete entry;
    *the_state = 1;
    return following;
}

void UsrFuncArray::Forget(const char* key) {
    UsrFuncProp* entry = Find(key);
    if (entry == nullptr) return;
    entry->knownRecord = RecordStamp();
    long file_pos = -1;
    int found = 0;
    DelUFncElement(key, &file_pos, &found);
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
    if (entry != nullptr)
        entry->PrintContent(optstrm);
    else
        optstrm << Msg().LIST_FUNCTION_NAME << key << Msg().LIST_NOT_PRESENT << std::endl;
    return 1;
}

CompForm* UsrFuncArray::operator[](const char* key) const {
    UsrFuncProp* entry = Find(key);
    return entry != nullptr ? entry->DefinitionRoot(*this) : nullptr;
}

int UsrFuncArray::operator()(const char* key) const {
    UsrFuncProp* entry = Find(key);
    if (entry == nullptr) return 0;
    return entry->IsDefined() ? 2 : 1;
}

int UsrFuncArray::DefinedArgNum(const char* key) const {
    UsrFuncProp* entry = Find(key);
    if (entry == nullptr || !entry->IsDefined()) return -1;
    return entry->argNum;
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

int Formula_Analysis(CompForm** the_formlist, const char* line_array,
                     const FunctionNames& function_names) {
    // A typed definition holds at most 255 characters; a longer one can only come
    // from a damaged save file, and its analysis could nest beyond any sane depth.
    if (Typed_Length(line_array) > DEFINITION_MAX_LENGTH) {
        Write_ErrorMessage(Msg().FORMULA_TOO_LONG);
        return 0;
    }
    return Analyse_FormulaText(the_formlist, line_array, function_names, ERROR_MESSAGE_ONLY);
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
