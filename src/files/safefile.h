// Files that several runs share: reading only regular files without ever
// blocking, an exclusive lock on a save file's folder, and replacing or
// creating a file through a working copy of its own, so that a crash at any
// instant leaves the old file or the new one, whole.
#ifndef KANSU_SAFEFILE_H
#define KANSU_SAFEFILE_H

#include <cstddef>
#include <string>

// Outcomes of the file operations below.
enum FileStatus {
    FILE_DONE = 1,
    FILE_MISSING = 0,       // nothing at the path
    FILE_NOT_REGULAR = -1,  // a folder, a FIFO, a device: never opened for use
    FILE_DENIED = -2,       // the user may not read or write it (or its folder)
    FILE_FAILED = -3,       // any other failure (full disk, file-size limit, ...)
    FILE_TAKEN = -4,        // a file appeared at the path meanwhile (first save)
    FILE_LOCK_BUSY = -5,    // another run held the folder's lock for the whole wait
    FILE_NO_LOCK = -6,      // the folder's lock cannot be taken at all
    FILE_TOO_MANY = -7,     // no file descriptor left (too many open files)
};

// The system's error number of the last failure above (errno), for its reason.
int Last_FileError();

// Everything up to and including the last path separator ("" for a bare name).
std::string Directory_Part(const std::string& path);
// The file a path finally names: a symbolic link is followed to its target, so
// that replacing it keeps the link. Any other path is returned as it is.
std::string Replace_Target(const std::string& path);
// Whether anything is at the path; a symbolic link pointing nowhere counts.
bool Path_Taken(const std::string& path);
// Reads a whole regular file: FILE_DONE, FILE_MISSING, FILE_NOT_REGULAR,
// FILE_DENIED or FILE_FAILED. Opening never blocks (a FIFO is refused).
int Read_RegularFile(const std::string& path, std::string* bytes);
// Receives a file's bytes piece by piece, in order, after its size.
class FilePieces {
public:
    virtual ~FilePieces() = default;
    virtual void Size(long long) {}
    virtual void Take(const char* data, size_t size) = 0;
};
const size_t FILE_PIECE_SIZE = 65536;
// Read_RegularFile for a file too large to hold: the same statuses, the bytes
// handed to pieces as they are read.
int Read_RegularFilePieces(const std::string& path, FilePieces& pieces);
// Appends bytes to a regular file (created when missing), never blocking:
// FILE_DONE, FILE_NOT_REGULAR (a FIFO, a folder: left alone) or a failure.
int Append_RegularFile(const std::string& path, const std::string& bytes);
// Whether path may be opened for output: missing, or a regular file. FILE_DONE,
// FILE_MISSING or FILE_NOT_REGULAR.
int Check_OutputPath(const std::string& path);

// Writes bytes to a new working copy beside target, syncs it and moves it over
// target (replace) or into place only when target is still missing (otherwise
// FILE_TAKEN). The new file keeps a replaced file's permission bits and, where
// the process may, its owner and group. On failure no working copy is left and
// target is untouched. A first save on a file system with neither hard links
// nor RENAME_NOREPLACE claims the name with an empty file just before the move
// (so only there a crash at that instant leaves an empty file).
int Write_FileSafely(const std::string& target, const std::string& bytes, bool replace);
// Whether the file at path may be replaced or removed by this user, by the
// rule a save applies (its permission bits, read-only attribute on Windows):
// FILE_DONE, or FILE_DENIED.
int Check_MayReplace(const std::string& path);
// Removes the file at path, FILE_DONE or FILE_MISSING or FILE_DENIED/FILE_FAILED.
int Remove_File(const std::string& path);
// Removes working copies that a killed run left in the folder of path; only
// safe while the folder's lock is held.
void Remove_LeftWorkCopies(const std::string& path);
// Whether name has the form of a working copy ("kansu-work-XXXXXX.tmp").
bool Is_WorkCopyName(const std::string& name);

// An exclusive lock on the folder of a save file, held while alive. Waits at
// most g_lock_wait_seconds (giving up early when g_stop_waiting says so). A
// folder that cannot be opened for reading (mode 0733) is locked through a
// lock file in it, ".kansu-save.lock", as on Windows; a run that locks the
// folder itself locks that file too when it is there.
class FolderLock {
public:
    explicit FolderLock(const std::string& file_path);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    // FILE_DONE held; FILE_LOCK_BUSY after the wait; FILE_MISSING no such
    // folder (nothing to share, nothing held); FILE_TOO_MANY or FILE_NO_LOCK
    // when the folder cannot be locked at all (nothing is held).
    int Status() const { return status_; }

private:
    int status_;
#ifdef _WIN32
    void* handle_;
#else
    int Lock_File(const std::string& lock_path, bool create);
    int descriptor_;
    int file_descriptor_;  // the lock file's, when one is locked
#endif
};

extern double g_lock_wait_seconds;
// Asked while waiting for a lock: true ends the wait (a signal ends the run).
extern bool (*g_stop_waiting)();
// Test hook: called after the working copy is synced, right before the move.
extern void (*g_before_replace)();
// Test hook: the six letters or digits of the next working copy's name
// (nullptr: drawn at random), so that a test can put a file at that name first.
extern std::string (*g_work_copy_tag)();

#ifndef _WIN32
// The system calls that sync and move a working copy. Tests swap one for a
// failing stand-in (errno set, -1 returned); they default to the real calls.
// rename_noreplace is renameat2 with RENAME_NOREPLACE where Linux has it.
struct SafeFileCalls {
    int (*sync)(int handle);
    int (*rename)(const char* from, const char* to);
    int (*link)(const char* from, const char* to);
    int (*rename_noreplace)(const char* from, const char* to);
};
extern SafeFileCalls g_safefile_calls;
#endif

#endif
