#include "files/safefile.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#endif

double g_lock_wait_seconds = 10.0;
bool (*g_stop_waiting)() = nullptr;
void (*g_before_replace)() = nullptr;
std::string (*g_work_copy_tag)() = nullptr;

#ifndef _WIN32
namespace {
#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

int Rename_NoReplace(const char* from, const char* to) {
#ifdef SYS_renameat2
    return static_cast<int>(syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE));
#else
    (void)from;
    (void)to;
    errno = ENOSYS;
    return -1;
#endif
}
}  // namespace

SafeFileCalls g_safefile_calls = {fsync, std::rename, link, Rename_NoReplace};
#endif

namespace {
const char WORK_PREFIX[] = "kansu-work-";
const char WORK_SUFFIX[] = ".tmp";
const size_t WORK_TAG_SIZE = 6;

bool Is_Separator(char letter) {
#ifdef _WIN32
    return letter == '/' || letter == '\\' || letter == ':';
#else
    return letter == '/';
#endif
}

std::string Folder_Of(const std::string& path) {
    std::string folder = Directory_Part(path);
    return folder.empty() ? "." : folder;
}

// A fresh working-copy name in the folder of path.
std::string Work_CopyName(const std::string& path) {
    static std::mt19937 generator(std::random_device{}());
    const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<int> pick(0, sizeof letters - 2);
    std::string tag;
    if (g_work_copy_tag != nullptr)
        tag = g_work_copy_tag();
    else
        for (size_t i = 0; i < WORK_TAG_SIZE; ++i) tag += letters[pick(generator)];
    return Directory_Part(path) + WORK_PREFIX + tag + WORK_SUFFIX;
}

int last_error = 0;

int Status_OfError(int error_number) {
    last_error = error_number;
    if (error_number == EMFILE || error_number == ENFILE) return FILE_TOO_MANY;
#ifdef _WIN32
    return error_number == EACCES ? FILE_DENIED : FILE_FAILED;
#else
    if (error_number == EACCES || error_number == EPERM || error_number == EROFS)
        return FILE_DENIED;
    return error_number == ENOENT ? FILE_MISSING : FILE_FAILED;
#endif
}

bool Write_All(int handle, const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
#ifdef _WIN32
        int count = _write(handle, bytes.data() + written,
                           static_cast<unsigned int>(bytes.size() - written));
#else
        ssize_t count = write(handle, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) continue;
#endif
        if (count <= 0) return false;
        written += static_cast<size_t>(count);
    }
    return true;
}

#ifdef _WIN32
int Open_WorkCopy(const std::string& work) {
    return _open(work.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

bool Sync_AndClose(int handle) {
    bool synced = _commit(handle) == 0;
    return _close(handle) == 0 && synced;
}

// The replaced file's read-only attribute has no counterpart here: a read-only
// save file is refused before any working copy is made.
void Take_Owner(int, const std::string&) {}

bool May_Write(const std::string& target) {
    DWORD attributes = GetFileAttributesA(target.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

int Move_Into(const std::string& work, const std::string& target, bool replace) {
    DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    DWORD error = ERROR_SUCCESS;
    // A program that has the old file open without sharing (a virus scanner, a
    // reader of another kind) keeps it for a moment only.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (MoveFileExA(work.c_str(), target.c_str(), flags)) return FILE_DONE;
        error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS))
        return FILE_TAKEN;
    return error == ERROR_ACCESS_DENIED ? FILE_DENIED : FILE_FAILED;
}
#else
int Open_WorkCopy(const std::string& work) {
    return open(work.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

bool Sync_AndClose(int handle) {
    bool synced = g_safefile_calls.sync(handle) == 0;
    return close(handle) == 0 && synced;
}

// The new file takes over the old one's permission bits and, where the
// process may (as root), its owner and group.
void Take_Owner(int handle, const std::string& target) {
    struct stat old_file;
    if (stat(target.c_str(), &old_file) != 0) return;
    if (fchown(handle, old_file.st_uid, old_file.st_gid) != 0) {
        // Not permitted for an ordinary user: the file stays theirs.
    }
    fchmod(handle, old_file.st_mode & 07777);
}

bool May_Write(const std::string& target) {
    return access(target.c_str(), W_OK) == 0 || errno == ENOENT;
}

void Sync_Folder(const std::string& path) {
    int folder = open(Folder_Of(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (folder < 0) return;  // some file systems cannot sync a folder
    fsync(folder);
    close(folder);
}

// Whether a failed link() says that the file system has no hard links (FAT,
// exFAT, many shared folders) rather than that the move is not allowed.
bool No_HardLinks(int error_number) {
    return error_number == EPERM || error_number == EOPNOTSUPP || error_number == ENOSYS;
}

// Where the file system has neither hard links nor RENAME_NOREPLACE: an empty
// file created exclusively claims the name, then the working copy replaces it.
// Runs that save hold the folder's lock, so only a reader can meet the empty
// file, and only for that instant.
int Claim_ThenReplace(const std::string& work, const std::string& target) {
    int claim = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (claim < 0) return errno == EEXIST ? FILE_TAKEN : Status_OfError(errno);
    close(claim);
    if (g_safefile_calls.rename(work.c_str(), target.c_str()) == 0) return FILE_DONE;
    int status = Status_OfError(errno);
    unlink(target.c_str());
    return status;
}

// A first save never replaces: it cannot overwrite a file that another run
// created after the path was found free. Linking is tried first, then
// RENAME_NOREPLACE, then claiming the name.
int Move_IntoFree(const std::string& work, const std::string& target) {
    if (g_safefile_calls.link(work.c_str(), target.c_str()) == 0) {
        unlink(work.c_str());
        return FILE_DONE;
    }
    if (errno == EEXIST) return FILE_TAKEN;
    if (!No_HardLinks(errno)) return Status_OfError(errno);
    if (g_safefile_calls.rename_noreplace(work.c_str(), target.c_str()) == 0) return FILE_DONE;
    if (errno == EEXIST) return FILE_TAKEN;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return Status_OfError(errno);
    return Claim_ThenReplace(work, target);
}

int Move_Into(const std::string& work, const std::string& target, bool replace) {
    int result = FILE_DONE;
    if (!replace)
        result = Move_IntoFree(work, target);
    else if (g_safefile_calls.rename(work.c_str(), target.c_str()) != 0)
        result = Status_OfError(errno);
    if (result == FILE_DONE) Sync_Folder(target);
    return result;
}
#endif

// Creates a working copy beside target that no other file shares.
int Create_WorkCopy(const std::string& target, std::string* work) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *work = Work_CopyName(target);
        int handle = Open_WorkCopy(*work);
        if (handle >= 0) return handle;
        if (errno != EEXIST) return -1;
    }
    return -1;
}
}  // namespace

int Last_FileError() { return last_error; }

std::string Directory_Part(const std::string& path) {
    for (size_t end = path.size(); end > 0; --end)
        if (Is_Separator(path[end - 1])) return path.substr(0, end);
    return std::string();
}

std::string Replace_Target(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    std::filesystem::path target = std::filesystem::canonical(path, error);
    return error ? path : target.string();
}

bool Path_Taken(const std::string& path) {
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
    return std::filesystem::exists(status) || std::filesystem::is_symlink(status);
}

#ifdef _WIN32
// Opened with every sharing right, so that another run may replace the file
// while this one reads it.
int Read_RegularFilePieces(const std::string& path, FilePieces& pieces) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED) return FILE_DENIED;
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FILE_MISSING
                                                                              : FILE_FAILED;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FILE_NOT_REGULAR;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_ACCESS_DENIED ? FILE_DENIED : FILE_FAILED;
    // Closed however the reading ends: pieces may run out of memory.
    std::unique_ptr<void, void (*)(HANDLE)> closer(
        handle, [](HANDLE open_handle) { CloseHandle(open_handle); });
    int result = GetFileType(handle) == FILE_TYPE_DISK ? FILE_DONE : FILE_NOT_REGULAR;
    LARGE_INTEGER size;
    if (result == FILE_DONE && GetFileSizeEx(handle, &size)) pieces.Size(size.QuadPart);
    std::vector<char> chunk(FILE_PIECE_SIZE);
    DWORD count = 0;
    while (result == FILE_DONE) {
        if (!ReadFile(handle, chunk.data(), static_cast<DWORD>(chunk.size()), &count, nullptr))
            result = FILE_FAILED;
        else if (count == 0)
            break;
        else
            pieces.Take(chunk.data(), count);
    }
    return result;
}
#else
int Read_RegularFilePieces(const std::string& path, FilePieces& pieces) {
    int handle = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0) return Status_OfError(errno);
    struct stat info;
    if (fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(handle);
        return FILE_NOT_REGULAR;
    }
    // Closed however the reading ends: pieces may run out of memory.
    std::unique_ptr<int, void (*)(int*)> closer(&handle,
                                                [](int* open_handle) { close(*open_handle); });
    pieces.Size(static_cast<long long>(info.st_size));
    std::vector<char> chunk(FILE_PIECE_SIZE);
    for (;;) {
        ssize_t count = read(handle, chunk.data(), FILE_PIECE_SIZE);
        if (count < 0 && errno == EINTR) continue;
        if (count == 0) return FILE_DONE;
        if (count < 0) return FILE_FAILED;
        pieces.Take(chunk.data(), static_cast<size_t>(count));
    }
}
#endif

namespace {
// A whole file in one text, held once at its size: a large save file is not
// copied while it grows.
class WholeFile : public FilePieces {
public:
    explicit WholeFile(std::string* bytes) : bytes_(bytes) {}
    void Size(long long size) override { bytes_->reserve(static_cast<size_t>(size)); }
    void Take(const char* data, size_t size) override { bytes_->append(data, size); }

private:
    std::string* bytes_;
};
}  // namespace

int Read_RegularFile(const std::string& path, std::string* bytes) {
    bytes->clear();
    WholeFile whole(bytes);
    return Read_RegularFilePieces(path, whole);
}
#ifdef _WIN32
int Append_RegularFile(const std::string& path, const std::string& bytes) {
    if (Check_OutputPath(path) == FILE_NOT_REGULAR) return FILE_NOT_REGULAR;
    int handle =
        _open(path.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (handle < 0) return Status_OfError(errno);
    bool written = Write_All(handle, bytes);
    return _close(handle) == 0 && written ? FILE_DONE : FILE_FAILED;
}
#else
int Append_RegularFile(const std::string& path, const std::string& bytes) {
    int handle = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (handle < 0) return errno == ENXIO ? FILE_NOT_REGULAR : Status_OfError(errno);
    struct stat info;
    if (fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(handle);
        return FILE_NOT_REGULAR;
    }
    bool written = Write_All(handle, bytes);
    return close(handle) == 0 && written ? FILE_DONE : FILE_FAILED;
}
#endif

int Check_OutputPath(const std::string& path) {
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) return FILE_MISSING;
    return std::filesystem::is_regular_file(status) ? FILE_DONE : FILE_NOT_REGULAR;
}

int Write_FileSafely(const std::string& target, const std::string& bytes, bool replace) {
    if (replace && !May_Write(target)) return FILE_DENIED;
    std::string work;
    int handle = Create_WorkCopy(target, &work);
    if (handle < 0) return Status_OfError(errno);
    if (replace) Take_Owner(handle, target);
    bool written = Write_All(handle, bytes);
    if (!Sync_AndClose(handle) || !written) {
        std::remove(work.c_str());
        return FILE_FAILED;
    }
    if (g_before_replace != nullptr) g_before_replace();
    int moved = Move_Into(work, target, replace);
    if (moved != FILE_DONE) std::remove(work.c_str());
    return moved;
}

int Check_MayReplace(const std::string& path) { return May_Write(path) ? FILE_DONE : FILE_DENIED; }

int Remove_File(const std::string& path) {
    if (std::remove(path.c_str()) == 0) return FILE_DONE;
    return Status_OfError(errno);
}

bool Is_WorkCopyName(const std::string& name) {
    const size_t prefix = sizeof WORK_PREFIX - 1;
    const size_t suffix = sizeof WORK_SUFFIX - 1;
    if (name.size() != prefix + WORK_TAG_SIZE + suffix) return false;
    if (name.compare(0, prefix, WORK_PREFIX) != 0) return false;
    if (name.compare(prefix + WORK_TAG_SIZE, suffix, WORK_SUFFIX) != 0) return false;
    for (size_t i = prefix; i < prefix + WORK_TAG_SIZE; ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

void Remove_LeftWorkCopies(const std::string& path) {
    std::error_code error;
    std::filesystem::directory_iterator folder(Folder_Of(path), error);
    if (error) return;
    for (const auto& entry : folder) {
        std::string name = entry.path().filename().string();
        if (!Is_WorkCopyName(name) || !entry.is_regular_file(error) || entry.is_symlink(error))
            continue;
        std::filesystem::remove(entry.path(), error);
    }
}

// ---- The folder lock ----

namespace {
bool Stop_Waiting() { return g_stop_waiting != nullptr && g_stop_waiting(); }

template <class TryLock>
int Wait_ForLock(TryLock try_lock) {
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(static_cast<long>(g_lock_wait_seconds * 1000));
    for (;;) {
        int tried = try_lock();
        if (tried != FILE_LOCK_BUSY) return tried;
        if (std::chrono::steady_clock::now() >= deadline || Stop_Waiting()) return FILE_LOCK_BUSY;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
}  // namespace

#ifdef _WIN32
namespace {
// Windows locks no folders: a lock file in it, gone again when its last user closes it.
const char LOCK_FILE[] = ".kansu-save.lock";
}  // namespace

FolderLock::FolderLock(const std::string& file_path) : status_(FILE_NO_LOCK), handle_(nullptr) {
    std::string lock_path = Directory_Part(file_path) + LOCK_FILE;
    status_ = Wait_ForLock([&] {
        HANDLE handle =
            CreateFileA(lock_path.c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        // A lock file about to go away refuses to open until it is gone.
        if (handle == INVALID_HANDLE_VALUE) {
            DWORD error = GetLastError();
            if (error == ERROR_ACCESS_DENIED) return FILE_LOCK_BUSY;
            // No folder: nothing to lock, and the save's own open says why.
            if (error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND) return FILE_MISSING;
            last_error = error == ERROR_TOO_MANY_OPEN_FILES ? EMFILE : EIO;
            return error == ERROR_TOO_MANY_OPEN_FILES ? FILE_TOO_MANY : FILE_NO_LOCK;
        }
        OVERLAPPED whole = {};
        if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                       &whole)) {
            handle_ = handle;
            return FILE_DONE;
        }
        CloseHandle(handle);
        return FILE_LOCK_BUSY;
    });
}

FolderLock::~FolderLock() {
    if (handle_ != nullptr) CloseHandle(static_cast<HANDLE>(handle_));
}
#else
namespace {
const char LOCK_FILE[] = ".kansu-save.lock";

// An exclusive flock on an open descriptor, waited for: FILE_DONE or why not.
int Wait_ForFlock(int descriptor) {
    return Wait_ForLock([&] {
        if (flock(descriptor, LOCK_EX | LOCK_NB) == 0) return FILE_DONE;
        if (errno == EWOULDBLOCK || errno == EINTR) return FILE_LOCK_BUSY;
        last_error = errno;
        return FILE_NO_LOCK;
    });
}

// The status of a failed open of the folder or the lock file.
int Open_Failure(int error_number) {
    int status = Status_OfError(error_number);
    if (error_number == ENOTDIR) return FILE_MISSING;
    return status == FILE_TOO_MANY || status == FILE_MISSING ? status : FILE_NO_LOCK;
}
}  // namespace

FolderLock::FolderLock(const std::string& file_path)
    : status_(FILE_NO_LOCK), descriptor_(-1), file_descriptor_(-1) {
    int folder = open(Folder_Of(file_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0 && errno != EACCES) {
        status_ = Open_Failure(errno);
        return;
    }
    if (folder >= 0) {
        status_ = Wait_ForFlock(folder);
        if (status_ != FILE_DONE) {
            close(folder);
            return;
        }
        descriptor_ = folder;
    }
    status_ = Lock_File(Directory_Part(file_path) + LOCK_FILE, folder < 0);
    if (status_ != FILE_DONE && descriptor_ >= 0) {
        close(descriptor_);
        descriptor_ = -1;
    }
}

// The lock file: made when the folder could not be opened (create), else used
// when a run that could not open it made one. Read access suffices for flock,
// so another user's lock file serves too.
int FolderLock::Lock_File(const std::string& lock_path, bool create) {
    int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
    int lock_file = open(lock_path.c_str(), flags, 0666);
    if (lock_file < 0) return create ? Open_Failure(errno) : FILE_DONE;
    int status = Wait_ForFlock(lock_file);
    if (status == FILE_DONE)
        file_descriptor_ = lock_file;
    else
        close(lock_file);
    return status;
}

FolderLock::~FolderLock() {
    // Closing releases the locks.
    if (file_descriptor_ >= 0) close(file_descriptor_);
    if (descriptor_ >= 0) close(descriptor_);
}
#endif
