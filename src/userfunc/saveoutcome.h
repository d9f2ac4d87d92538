// The outcomes of saving, loading, reading one definition and deleting a
// function: one value per outcome, one message per outcome (saveoutcome.cpp),
// and the one place where a file operation's FileStatus becomes an outcome.
#ifndef KANSU_SAVEOUTCOME_H
#define KANSU_SAVEOUTCOME_H

#include <initializer_list>
#include <string>

// Success is 1 and every failure is below it, so that "less than 1" tells a
// failure. The save dialogue's codes keep the values its callers knew (0, -1,
// -2, -3, -5, -8, -9, -10); -4, -6 and -7 stay free, as codes that the save
// dialogue says nothing for.
enum SaveOutcome : int {
    SAVE_DONE = 1,               // saved, loaded, definition read or function deleted
    SAVE_NO_SAVE_FILE = 0,       // the source file is unreadable or no save file
    SAVE_WORK_COPY_FAILED = -1,  // the working copy could not be written whole
    SAVE_WORK_COPY_LEFT = -2,    // the working copy could not be removed
    SAVE_PATH_EMPTY = -3,        // no path was typed for a new save file
    SAVE_UNUSED_4 = -4,
    SAVE_NOT_CREATED = -5,  // the new save file could not be created
    SAVE_UNUSED_6 = -6,
    SAVE_UNUSED_7 = -7,
    SAVE_NOTHING_CHANGED = -8,
    SAVE_PATH_TAKEN = -9,             // a file is at the typed path (never replaced)
    SAVE_FAILED = -10,                // the move failed; the save file is untouched
    SAVE_DENIED = -11,                // the user may not write the file or its folder
    SAVE_NOT_REGULAR = -12,           // a folder, FIFO or device where the file should be
    SAVE_LOCK_BUSY = -13,             // another run held the lock for the whole wait
    SAVE_FILE_DAMAGED = -14,          // the save file holds a broken record: not rewritten
    SAVE_PATH_TOO_LONG = -15,         // refused (and said) when typed
    SAVE_NO_LOCK = -16,               // the folder's lock cannot be taken: nothing written
    SAVE_TOO_MANY_FILES = -17,        // no file descriptor left (Last_FileError says why)
    SAVE_NO_MEMORY = -18,             // the functions did not fit in memory: nothing changed
    LOAD_NOT_SAVE_FILE = -19,         // the file does not begin with the identifier
    LOAD_UNREADABLE = -20,            // the file cannot be read
    LOAD_PATH_EMPTY = -21,            // no path was typed to load
    DEFINITION_NO_NAME = -22,         // no function name was typed to read
    DEFINITION_EMPTY = -23,           // the stored definition is empty
    DEFINITION_NO_RECORD = -24,       // not registered, or without a record in the file
    DEFINITION_NO_SOURCE = -25,       // no save file was loaded or saved
    DEFINITION_UNREADABLE = -26,      // the save file cannot be read
    DEFINITION_RECORD_DAMAGED = -27,  // the file holds no whole record of it any more
    DELETE_NOT_REGISTERED = -28,
    DELETE_FILE_NOT_REMOVED = -29,  // the emptied save file could not be removed
    DELETE_RECORD_KEPT = -30,       // the record stays in the save file
};
const int SAVE_OUTCOME_LOWEST = DELETE_RECORD_KEPT;

// The message of an outcome in the table in use (Msg()); null for an outcome
// that says nothing and for any other number.
const char* Outcome_Message(int outcome);
// Whether the outcome is said with the system's reason (Last_FileError).
bool Outcome_HasReason(int outcome);
// Writes the outcome's message, with the system's reason where it has one, as
// a line on standard output; nothing for an outcome without a message.
void Say_Outcome(int outcome);

// The one conversion of a file operation's status (FileStatus) into an
// outcome. FILE_DONE is SAVE_DONE; a status named in `own` becomes its own
// outcome (FILE_DENIED SAVE_DENIED, FILE_NOT_REGULAR SAVE_NOT_REGULAR,
// FILE_TAKEN SAVE_PATH_TAKEN, FILE_LOCK_BUSY SAVE_LOCK_BUSY, FILE_NO_LOCK
// SAVE_NO_LOCK, FILE_TOO_MANY SAVE_TOO_MANY_FILES); any other status is
// `otherwise`, what the failure means to the operation.
SaveOutcome File_Outcome(int file_status, SaveOutcome otherwise, std::initializer_list<int> own);
// The same with every status that has an outcome of its own.
SaveOutcome File_Outcome(int file_status, SaveOutcome otherwise);
// Whether the outcome is the own outcome of a file status (a failure of the
// file itself, not of the operation on it).
bool Is_FileOutcome(int outcome);

#endif
