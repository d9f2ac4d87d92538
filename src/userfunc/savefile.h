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

#include "userfunc/saverecord.h"
#include "userfunc/usrfunc.h"

// The failures below the save dialogue's codes.
const int UFUNC_WRITE_FAILED = -10;    // the move failed; the save file is untouched
const int UFUNC_WRITE_DENIED = -11;    // the user may not write the file or its folder
const int UFUNC_NOT_REGULAR = -12;     // a folder, FIFO or device where the file should be
const int UFUNC_LOCK_BUSY = -13;       // another run held the lock for the whole wait
const int UFUNC_FILE_DAMAGED = -14;    // the save file holds a broken record
const int UFUNC_RECORD_DAMAGED = -4;   // no whole record of the function in the file
const int UFUNC_NO_LOCK = -16;         // the folder's lock cannot be taken: nothing written
const int UFUNC_TOO_MANY_FILES = -17;  // no file descriptor left (Last_FileError says why)
const int UFUNC_NO_MEMORY = -18;       // the functions did not fit in memory: nothing changed

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
// The status of a file operation in the save codes above (1 for FILE_DONE).
int Save_Status(int file_status);
// 1 when the folder's lock is held (or there is no folder, so that the write
// fails on its own); otherwise the save code of why it is not.
int Lock_Status(int lock_status);

// A new file: 1; -5 it cannot be created; UFUNC_WRITE_DENIED; -9 a file appeared
// at the path meanwhile (never replaced); UFUNC_LOCK_BUSY, UFUNC_NO_LOCK or
// UFUNC_TOO_MANY_FILES. Nothing changes on failure.
int SaveDate_ToFileNew(UsrFuncArray& the_target, const char* file_path);
// Rewrites the source file as the union of this run's changes and the file as it
// is now (see savemerge.cpp): 1; 0 no source file or no save file; -1 the
// working copy cannot be written whole; UFUNC_WRITE_FAILED, UFUNC_WRITE_DENIED,
// UFUNC_NOT_REGULAR, UFUNC_LOCK_BUSY, UFUNC_NO_LOCK, UFUNC_TOO_MANY_FILES or
// UFUNC_FILE_DAMAGED with the file untouched.
// A source file that went away is written anew.
int SaveDate_ToFileEx(UsrFuncArray& the_target);
// 1 the file begins with the identifier; 0 it does not; -1 it cannot be read
// (or is no regular file).
int Check_FileID(const char* file_path);
// 1 loaded; 0 not a save file; -1 cannot be read; UFUNC_NOT_REGULAR;
// UFUNC_TOO_MANY_FILES; UFUNC_NO_MEMORY. Only a file whose every function
// could be registered replaces the registry. A broken
// record ends the load with what was read, and says so in one line.
int Create_UFunctionTable(UsrFuncArray& ufunc_list, const char* udef_file, int jread_form);
// Replaces the save file by a copy without the record at file_pos: 1; -1 the
// working copy cannot be written; -2 no record can start there or the move
// failed; -3 no whole record there. The save file is untouched on failure.
int DeleteRecord_FrmFile(const char* file_path, unsigned long file_pos, unsigned long* recd_length);

#endif
