// The save file as a whole: loading it into the registry, writing it anew,
// rewriting it (a merge with what other runs saved meanwhile), deleting one
// record and reading one definition. Every read-modify-write holds the lock of
// the save file's folder and replaces the file through a working copy.
#ifndef KANSU_SAVEFILE_H
#define KANSU_SAVEFILE_H

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "userfunc/saveoutcome.h"
#include "userfunc/saverecord.h"
#include "userfunc/usrfunc.h"

// What a loaded file keeps of each record: where it lies and what the
// registry takes from it. Its bytes and definition are read from the file's
// bytes, so a large file is held about once.
struct RecordPlace {
    long position;  // offset of its first byte
    unsigned long recd_length;
    std::string name;
    unsigned short arg_num;
    unsigned short ret_kind;
    long definition_at;  // offset of the definition text
};

// A save file's content and its records.
struct SaveFileContent {
    bool is_save_file = false;  // begins with the identifier
    bool damaged = false;       // a broken record ends it before its end
    std::string bytes;
    std::vector<RecordPlace> records;
    std::string_view Record_Bytes(size_t index) const;
    std::string_view Definition(size_t index) const;
};
SaveFileContent Parse_SaveFile(std::string bytes);
// The content of a new save file holding every defined function in registry order.
std::string Compose_SaveFile(UsrFuncArray& registry);

// Gives every entry the position of its record in written (-1 when it has none)
// and, with as_known, those bytes as the record it knows.
void Take_Positions(UsrFuncArray& registry, std::string written, bool as_known);
// After written became the save file: every entry with a record there is
// unchanged from now on, and no deletion of this run is pending.
void Mark_Saved(UsrFuncArray& registry, std::string written);
// The record an entry would write now; empty when it is undefined.
std::string Entry_Record(UsrFuncProp* entry);
// SAVE_DONE when the folder's lock is held (or there is no folder, so that
// the write fails on its own); otherwise why it is not.
SaveOutcome Lock_Outcome(int lock_status);

// The functions below return SaveOutcome values (as int, the type they always had).
// A new file: SAVE_DONE; SAVE_NOT_CREATED; SAVE_DENIED; SAVE_PATH_TAKEN a file
// appeared at the path meanwhile (never replaced); SAVE_LOCK_BUSY, SAVE_NO_LOCK
// or SAVE_TOO_MANY_FILES. Nothing changes on failure.
int SaveDate_ToFileNew(UsrFuncArray& the_target, const char* file_path);
// Rewrites the source file as the union of this run's changes and the file as it
// is now (see savemerge.cpp): SAVE_DONE; SAVE_NO_SAVE_FILE no source file or no
// save file; SAVE_WORK_COPY_FAILED the working copy cannot be written whole;
// SAVE_FAILED, SAVE_DENIED, SAVE_NOT_REGULAR, SAVE_LOCK_BUSY, SAVE_NO_LOCK,
// SAVE_TOO_MANY_FILES or SAVE_FILE_DAMAGED with the file untouched.
// A source file that went away is written anew.
int SaveDate_ToFileEx(UsrFuncArray& the_target);
// SAVE_DONE the file begins with the identifier; LOAD_NOT_SAVE_FILE it does
// not; LOAD_UNREADABLE it cannot be read (or is no regular file).
int Check_FileID(const char* file_path);
// SAVE_DONE loaded; LOAD_NOT_SAVE_FILE; LOAD_UNREADABLE; SAVE_NOT_REGULAR;
// SAVE_TOO_MANY_FILES; SAVE_NO_MEMORY. Only a file whose every function could
// be registered replaces the registry. A broken record ends the load with what
// was read, and says so in one line.
int Create_UFunctionTable(UsrFuncArray& ufunc_list, const char* udef_file, int jread_form);
// Replaces the save file by a copy without the record at file_pos: SAVE_DONE;
// SAVE_WORK_COPY_FAILED the folder cannot be locked or the copy cannot be
// written; DELETE_RECORD_KEPT no whole record starts there, or the move
// failed. The save file is untouched on failure.
int DeleteRecord_FrmFile(const char* file_path, unsigned long file_pos, unsigned long* recd_length);

#endif
