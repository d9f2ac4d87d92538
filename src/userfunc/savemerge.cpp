// Rewriting a save file that other runs may have changed since this run read
// it. Under the folder's lock the file is read as it is now and the union of
// both runs' intent is written:
// - a function this run changed since it read or wrote it is written from memory;
// - any other function is taken from the file: another run's newer definition
//   is loaded here, its deletion honoured (the function leaves this registry);
// - a function only the file holds (another run added it) stays in the file and
//   is registered here by name, unless this run deleted exactly that record.
// Each of these situations is said in one line.
#include <iostream>
#include <map>
#include <vector>

#include "text/messages.h"
#include "files/safefile.h"
#include "userfunc/savefile.h"

namespace {
void Say(const char* name, const char* what) {
    std::cout << Msg().MERGE_FUNCTION << name << what << std::endl;
}

// Loads a definition that another run saved into an entry this run left alone.
void Take_StoredDefinition(UsrFuncArray& registry, UsrFuncProp* entry, const RecordPlace& record,
                           const std::string& definition) {
    if (!entry->IsDefined()) {
        entry->argNum = record.arg_num;
        entry->rtvKind = record.ret_kind;
        return;
    }
    long size = static_cast<long>(definition.size()) + 1;
    std::vector<char> cleaned(static_cast<size_t>(size));
    if (DelBlunk_String(cleaned.data(), definition.c_str(), size) == 0) return;
    entry->ChangeFuncDef(cleaned.data(), record.arg_num, record.ret_kind, registry);
    entry->changedSinceRead = false;
    Say(entry->label, Msg().MERGE_UPDATED);
}

int Index_InFile(const std::map<std::string, size_t>& in_file, const char* name) {
    auto found = in_file.find(name);
    return found == in_file.end() ? -1 : static_cast<int>(found->second);
}

// Brings the registry's functions that this run did not change up to the file.
void Merge_Entries(UsrFuncArray& registry, const SaveFileContent& now,
                   const std::map<std::string, size_t>& in_file) {
    std::vector<std::string> deleted_elsewhere;
    for (UsrFuncProp* entry = registry.FirstPnt(); entry != nullptr; entry = entry->NextPnt()) {
        int index = Index_InFile(in_file, entry->label);
        RecordStamp stored = index < 0 ? RecordStamp() : Stamp_Of(now.Record_Bytes(index));
        if (entry->changedSinceRead) {
            if (entry->IsDefined() && stored.Known() && stored != entry->knownRecord)
                Say(entry->label, Msg().MERGE_REPLACED);
            continue;
        }
        if (!stored.Known()) {
            if (entry->knownRecord.Known()) deleted_elsewhere.push_back(entry->label);
            continue;
        }
        if (stored == entry->knownRecord) continue;
        Take_StoredDefinition(registry, entry, now.records[index],
                              std::string(now.Definition(index)));
        entry->knownRecord = stored;
    }
    for (const std::string& name : deleted_elsewhere) {
        Say(name.c_str(), Msg().MERGE_DELETED);
        registry.Forget(name.c_str());
    }
}

// Registers by name the functions that only the file holds.
void Merge_Additions(UsrFuncArray& registry, const SaveFileContent& now) {
    for (size_t i = 0; i < now.records.size(); ++i) {
        const RecordPlace& record = now.records[i];
        if (registry.Find(record.name.c_str()) != nullptr) continue;
        auto deleted = registry.DeletedRecords().find(record.name);
        RecordStamp stored = Stamp_Of(now.Record_Bytes(i));
        if (deleted != registry.DeletedRecords().end() && deleted->second == stored) continue;
        registry.AddUFncElem(record.name.c_str(), record.position, record.arg_num, record.ret_kind,
                             nullptr);
        UsrFuncProp* entry = registry.Find(record.name.c_str());
        if (entry == nullptr) continue;
        entry->knownRecord = stored;
        Say(entry->label, Msg().MERGE_ADDED);
    }
}

// The new content: every entry's record in registry order.
std::string Compose_Merged(UsrFuncArray& registry, const SaveFileContent& now,
                           const std::map<std::string, size_t>& in_file) {
    std::string content(UFUNC_FILE_ID, UFUNC_FILE_ID_SIZE);
    // About the file's size at once: a large file is not copied while it grows.
    content.reserve(now.bytes.size() + 65536);
    for (UsrFuncProp* entry = registry.FirstPnt(); entry != nullptr; entry = entry->NextPnt()) {
        std::string fresh = entry->changedSinceRead ? Entry_Record(entry) : std::string();
        int index = Index_InFile(in_file, entry->label);
        if (!fresh.empty())
            content += fresh;
        else if (index >= 0)
            content += now.Record_Bytes(index);
    }
    return content;
}

// The save file as it is now: SAVE_DONE with its content (a file that went
// away reads as an empty save file), or why it cannot be rewritten.
SaveOutcome Read_Now(const std::string& target, SaveFileContent* now, bool* gone) {
    std::string bytes;
    int read = Read_RegularFile(target, &bytes);
    *gone = read == FILE_MISSING;
    if (*gone) {
        bytes.assign(UFUNC_FILE_ID, UFUNC_FILE_ID_SIZE);
    } else {
        SaveOutcome readable =
            File_Outcome(read, SAVE_NO_SAVE_FILE, {FILE_NOT_REGULAR, FILE_DENIED, FILE_TOO_MANY});
        if (readable != SAVE_DONE) return readable;
    }
    *now = Parse_SaveFile(std::move(bytes));
    if (!now->is_save_file) return SAVE_NO_SAVE_FILE;
    return now->damaged ? SAVE_FILE_DAMAGED : SAVE_DONE;
}
}  // namespace

int SaveDate_ToFileEx(UsrFuncArray& the_target) {
    if (the_target.GetSourceFile() == nullptr) return SAVE_NO_SAVE_FILE;
    std::string target = Replace_Target(the_target.GetSourceFile());
    FolderLock lock(target);
    SaveOutcome locked = Lock_Outcome(lock.Status());
    if (locked != SAVE_DONE) return locked;
    Remove_LeftWorkCopies(target);
    SaveFileContent now;
    bool gone = false;
    SaveOutcome read = Read_Now(target, &now, &gone);
    if (read != SAVE_DONE) return read;
    std::map<std::string, size_t> in_file;
    for (size_t i = 0; i < now.records.size(); ++i) in_file[now.records[i].name] = i;
    if (gone) {
        // Written anew, as a first save would: whatever this run holds.
        for (UsrFuncProp* entry = the_target.FirstPnt(); entry != nullptr; entry = entry->NextPnt())
            if (entry->IsDefined()) entry->changedSinceRead = true;
    } else {
        Merge_Entries(the_target, now, in_file);
        Merge_Additions(the_target, now);
    }
    std::string content = Compose_Merged(the_target, now, in_file);
    int written = Write_FileSafely(target, content, !gone);
    if (written != FILE_DONE) {
        // Positions stay true to the file as it is.
        Take_Positions(the_target, std::move(now.bytes), false);
        // A file that appeared where the gone source file was is not replaced.
        if (written == FILE_TAKEN) return SAVE_FAILED;
        return File_Outcome(written,
                            written == FILE_FAILED ? SAVE_WORK_COPY_FAILED : SAVE_NOT_CREATED);
    }
    Mark_Saved(the_target, std::move(content));
    return SAVE_DONE;
}
