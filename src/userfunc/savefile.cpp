#include "userfunc/savefile.h"

#include <iostream>
#include <map>
#include <new>
#include <sstream>
#include <vector>

#include "text/messages.h"
#include "files/safefile.h"

namespace {
// How many records the lengths at their starts chain together: the list of
// records is made that long at once, never grown (growing holds it twice).
size_t Count_Records(const std::string& bytes, size_t start) {
    size_t count = 0;
    for (size_t position = start; bytes.size() - position >= 4; ++count) {
        unsigned long length = 0;
        for (int i = 3; i >= 0; --i)
            length = (length << 8) | static_cast<unsigned char>(bytes[position + i]);
        if (length < UFUNC_RECORD_MIN || length > bytes.size() - position) break;
        position += length;
    }
    return count;
}

// The records are read in place: the file's bytes are never copied.
void Parse_Records(SaveFileContent* content, long start) {
    MemoryReadBuf memory(content->bytes.data(), content->bytes.size());
    std::istream in(&memory);
    in.seekg(start);
    long file_end = static_cast<long>(content->bytes.size());
    content->records.reserve(Count_Records(content->bytes, static_cast<size_t>(start)));
    SavedRecord record;
    while (Bytes_Left(in, file_end) > 0) {
        if (Read_SavedRecord(in, file_end, &record) != 1) {
            content->damaged = true;
            break;
        }
        content->records.push_back({record.position, record.recd_length, record.name,
                                    record.arg_num, record.ret_kind, record.definition_at});
    }
}

}  // namespace

std::string Entry_Record(UsrFuncProp* entry) {
    unsigned short arg_count = 0, ret_kind = 0;
    char* text = entry->GetFuncDef(&arg_count, &ret_kind);
    if (text == nullptr) return std::string();
    std::ostringstream out;
    Write_Record(out, entry->label, arg_count, ret_kind, text);
    delete[] text;
    return out.str();
}

namespace {

// Registers the names of a loaded file's records; what was read counts as
// unchanged since this run read it. False when an entry did not fit in memory.
bool Register_Names(UsrFuncArray& ufunc_list, const SaveFileContent& content) {
    for (size_t i = 0; i < content.records.size(); ++i) {
        const RecordPlace& record = content.records[i];
        if (ufunc_list.AddUFncElem(record.name.c_str(), record.position, record.arg_num,
                                   record.ret_kind, nullptr) == 0)
            return false;
        UsrFuncProp* entry = ufunc_list.Find(record.name.c_str());
        entry->changedSinceRead = false;
        entry->knownRecord = Stamp_Of(content.Record_Bytes(i));
    }
    return true;
}

// Gives the registered records their definitions, in file order: a call of a
// function whose definition comes later does not analyse. Loaded definitions
// count as changed (so the end asks), but not as changed since read.
void Define_Records(UsrFuncArray& ufunc_list, const SaveFileContent& content) {
    for (size_t i = 0; i < content.records.size(); ++i) {
        const RecordPlace& record = content.records[i];
        UsrFuncProp* entry = ufunc_list.Find(record.name.c_str());
        entry->LoadFuncDef(std::string(content.Definition(i)).c_str(), record.arg_num,
                           record.ret_kind, ufunc_list);
        entry->chngFlag = 1;
        entry->changedSinceRead = false;
    }
}

int Index_Of(const SaveFileContent& content, const char* name) {
    for (size_t i = 0; i < content.records.size(); ++i)
        if (content.records[i].name == name) return static_cast<int>(i);
    return -1;
}

}  // namespace

SaveOutcome Lock_Outcome(int lock_status) {
    return lock_status == FILE_MISSING ? SAVE_DONE : File_Outcome(lock_status, SAVE_NOT_CREATED);
}

SaveFileContent Parse_SaveFile(std::string bytes) {
    SaveFileContent content;
    content.bytes = std::move(bytes);
    content.is_save_file = content.bytes.compare(0, UFUNC_FILE_ID_SIZE, UFUNC_FILE_ID) == 0 &&
                           content.bytes.size() >= static_cast<size_t>(UFUNC_FILE_ID_SIZE);
    if (content.is_save_file) Parse_Records(&content, UFUNC_FILE_ID_SIZE);
    return content;
}

std::string_view SaveFileContent::Record_Bytes(size_t index) const {
    const RecordPlace& record = records[index];
    return std::string_view(bytes).substr(record.position, record.recd_length);
}

std::string_view SaveFileContent::Definition(size_t index) const {
    const RecordPlace& record = records[index];
    long end = record.position + static_cast<long>(record.recd_length) - 1;  // its NUL
    if (end <= record.definition_at) return std::string_view();
    return std::string_view(bytes).substr(record.definition_at, end - record.definition_at);
}

std::string Compose_SaveFile(UsrFuncArray& registry) {
    std::string content(UFUNC_FILE_ID, UFUNC_FILE_ID_SIZE);
    for (UsrFuncProp* entry = registry.FirstPnt(); entry != nullptr; entry = entry->NextPnt())
        content += Entry_Record(entry);
    return content;
}

void Take_Positions(UsrFuncArray& registry, std::string written, bool as_known) {
    SaveFileContent content = Parse_SaveFile(std::move(written));
    // The first record of each name, found once for all entries.
    std::map<std::string, int> index_of;
    for (size_t i = 0; i < content.records.size(); ++i)
        index_of.emplace(content.records[i].name, static_cast<int>(i));
    for (UsrFuncProp* entry = registry.FirstPnt(); entry != nullptr; entry = entry->NextPnt()) {
        auto found = index_of.find(entry->label);
        int index = found != index_of.end() ? found->second : -1;
        entry->filePos = index < 0 ? -1 : content.records[index].position;
        if (as_known)
            entry->knownRecord = index < 0 ? RecordStamp() : Stamp_Of(content.Record_Bytes(index));
    }
}

void Mark_Saved(UsrFuncArray& registry, std::string written) {
    Take_Positions(registry, std::move(written), true);
    for (UsrFuncProp* entry = registry.FirstPnt(); entry != nullptr; entry = entry->NextPnt()) {
        if (entry->filePos == -1) continue;
        entry->chngFlag = 0;
        entry->changedSinceRead = false;
    }
    registry.DeletedRecords().clear();
}

int SaveDate_ToFileNew(UsrFuncArray& the_target, const char* file_path) {
    std::string path = file_path;
    std::string content = Compose_SaveFile(the_target);
    FolderLock lock(path);
    SaveOutcome locked = Lock_Outcome(lock.Status());
    if (locked != SAVE_DONE) return locked;
    Remove_LeftWorkCopies(path);
    SaveOutcome written = File_Outcome(Write_FileSafely(path, content, false), SAVE_NOT_CREATED);
    if (written != SAVE_DONE) return written;
    Mark_Saved(the_target, std::move(content));
    the_target.ChangeSourceFile(path.c_str(), -1);
    return SAVE_DONE;
}

int Check_FileID(const char* file_path) {
    std::string bytes;
    if (Read_RegularFile(file_path, &bytes) != FILE_DONE) return LOAD_UNREADABLE;
    return Parse_SaveFile(std::move(bytes)).is_save_file ? SAVE_DONE : LOAD_NOT_SAVE_FILE;
}

int Create_UFunctionTable(UsrFuncArray& ufunc_list, const char* udef_file, int jread_form) {
    // Copied first: the path may be the registry's own source file, freed below.
    std::string path = udef_file;
    std::string bytes;
    SaveOutcome read = File_Outcome(Read_RegularFile(path, &bytes), LOAD_UNREADABLE,
                                    {FILE_NOT_REGULAR, FILE_TOO_MANY});
    if (read != SAVE_DONE) return read;
    SaveFileContent content = Parse_SaveFile(std::move(bytes));
    if (!content.is_save_file) return LOAD_NOT_SAVE_FILE;
    // Only a file read as a save file, whose every function fits in memory,
    // replaces the registry: a refused load keeps every function, unsaved
    // ones included.
    UsrFuncArray loaded(nullptr);
    if (!Register_Names(loaded, content)) return SAVE_NO_MEMORY;
    // The definitions are analysed against the new registry (a call of a
    // function the file holds is looked up there), so it is put in place
    // first; the old one is kept aside until the new one is whole.
    ufunc_list.Swap(loaded);
    try {
        if (jread_form == 1) Define_Records(ufunc_list, content);
    } catch (const std::bad_alloc&) {
        ufunc_list.Swap(loaded);
        return SAVE_NO_MEMORY;
    }
    loaded.DeleteAllObject();
    if (content.damaged) {
        std::cout << Msg().LOAD_DAMAGED_BEFORE << content.records.size() << Msg().LOAD_DAMAGED_AFTER
                  << std::endl;
    }
    ufunc_list.ChangeSourceFile(path.c_str(), 0);
    return SAVE_DONE;
}

int UsrFuncArray::SetFuncDefFrmFile(const char* key) {
    if (ufndef_file == nullptr) return DEFINITION_NO_SOURCE;
    UsrFuncProp* entry = Find(key);
    if (entry == nullptr || entry->filePos == -1) return DEFINITION_NO_RECORD;
    std::string target = Replace_Target(ufndef_file);
    // Only a read: a file replaced meanwhile is read whole, old or new, so a
    // folder that cannot be locked at all does not stop it.
    FolderLock lock(target);
    SaveOutcome locked = File_Outcome(lock.Status(), SAVE_DONE, {FILE_LOCK_BUSY});
    if (locked != SAVE_DONE) return locked;
    std::string bytes;
    SaveOutcome read =
        File_Outcome(Read_RegularFile(target, &bytes), DEFINITION_UNREADABLE, {FILE_TOO_MANY});
    if (read != SAVE_DONE) return read;
    SaveFileContent content = Parse_SaveFile(std::move(bytes));
    int index = Index_Of(content, key);
    if (index < 0) return DEFINITION_RECORD_DAMAGED;
    const RecordPlace& record = content.records[index];
    std::string definition(content.Definition(index));
    long size = static_cast<long>(definition.size()) + 1;
    std::vector<char> cleaned(static_cast<size_t>(size));
    if (DelBlunk_String(cleaned.data(), definition.c_str(), size) == 0) return DEFINITION_EMPTY;
    entry->ChangeFuncDef(cleaned.data(), record.arg_num, record.ret_kind, *this);
    entry->filePos = record.position;
    entry->knownRecord = Stamp_Of(content.Record_Bytes(index));
    entry->changedSinceRead = false;
    return SAVE_DONE;
}

namespace {
// The save file without one record, written over it (or removed when that was
// its only record): SAVE_DONE, DELETE_FILE_NOT_REMOVED, DELETE_RECORD_KEPT,
// SAVE_DENIED, SAVE_LOCK_BUSY, SAVE_NO_LOCK or SAVE_TOO_MANY_FILES.
SaveOutcome Cut_NamedRecord(UsrFuncArray& registry, const std::string& target, const char* name) {
    FolderLock lock(target);
    SaveOutcome locked = Lock_Outcome(lock.Status());
    if (locked != SAVE_DONE) return locked;
    Remove_LeftWorkCopies(target);
    std::string bytes;
    int read = Read_RegularFile(target, &bytes);
    if (read == FILE_MISSING) return SAVE_DONE;  // gone already: nothing holds the record
    SaveOutcome readable = File_Outcome(read, DELETE_RECORD_KEPT, {FILE_DENIED, FILE_TOO_MANY});
    if (readable != SAVE_DONE) return readable;
    SaveFileContent content = Parse_SaveFile(std::move(bytes));
    const std::string& whole = content.bytes;
    // A damaged file is never rewritten (as by a save): the record stays.
    if (!content.is_save_file || content.damaged) return DELETE_RECORD_KEPT;
    int index = Index_Of(content, name);
    if (index < 0) return SAVE_DONE;
    const RecordPlace& record = content.records[index];
    std::string rest =
        whole.substr(0, record.position) + whole.substr(record.position + record.recd_length);
    if (rest.size() == static_cast<size_t>(UFUNC_FILE_ID_SIZE)) {
        // Removing the last record is a write: refused where a save would be.
        SaveOutcome allowed = File_Outcome(Check_MayReplace(target), SAVE_DENIED);
        if (allowed != SAVE_DONE) return allowed;
        SaveOutcome removed = File_Outcome(Remove_File(target), DELETE_FILE_NOT_REMOVED, {});
        registry.ChangeSourceFile(nullptr, 0);
        Take_Positions(registry, "", false);
        return removed;
    }
    SaveOutcome written = File_Outcome(Write_FileSafely(target, rest, true), DELETE_RECORD_KEPT,
                                       {FILE_DENIED, FILE_TOO_MANY});
    if (written != SAVE_DONE) return written;
    Take_Positions(registry, std::move(rest), false);
    return SAVE_DONE;
}
}  // namespace

int UsrFuncArray::DelUFncElem(const char* key) {
    std::string name = key;
    long saved_count = ElementSaveNum();
    long file_pos = -1;
    int found = 0;
    DelUFncElement(name.c_str(), &file_pos, &found);
    if (!found) return DELETE_NOT_REGISTERED;
    if (file_pos == -1 || ufndef_file == nullptr) return SAVE_DONE;
    std::string target = Replace_Target(ufndef_file);
    // A file that went away with this, its last record, is forgotten as before.
    if (saved_count == 1 && !Path_Taken(target)) {
        ChangeSourceFile(nullptr, 0);
        return DELETE_FILE_NOT_REMOVED;
    }
    SaveOutcome cut = Cut_NamedRecord(*this, target, name.c_str());
    if (cut == SAVE_DONE || cut == DELETE_FILE_NOT_REMOVED) deleted_records.erase(name);
    return cut;
}

int DeleteRecord_FrmFile(const char* file_path, unsigned long file_pos,
                         unsigned long* recd_length) {
    std::string target = Replace_Target(file_path);
    FolderLock lock(target);
    if (Lock_Outcome(lock.Status()) != SAVE_DONE) return SAVE_WORK_COPY_FAILED;
    std::string bytes;
    if (Read_RegularFile(target, &bytes) != FILE_DONE) return DELETE_RECORD_KEPT;
    if (file_pos < static_cast<unsigned long>(UFUNC_FILE_ID_SIZE) || file_pos >= bytes.size())
        return DELETE_RECORD_KEPT;
    std::istringstream in(bytes);
    SavedRecord record;
    long position = static_cast<long>(file_pos);
    if (!Check_StoredRecord(in, static_cast<long>(bytes.size()), position, nullptr, &record))
        return DELETE_RECORD_KEPT;
    std::string rest = bytes.substr(0, file_pos) + bytes.substr(file_pos + record.recd_length);
    int written = Write_FileSafely(target, rest, true);
    if (written == FILE_FAILED || written == FILE_DENIED) return SAVE_WORK_COPY_FAILED;
    if (written != FILE_DONE) return DELETE_RECORD_KEPT;
    *recd_length = record.recd_length;
    return SAVE_DONE;
}
