#include "files/appendlock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>

#include "files/safefile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
const int MAX_LINK_HOPS = 40;
const auto WAIT_WORD_AFTER = std::chrono::seconds(1);
const auto WAIT_STEP = std::chrono::milliseconds(10);

bool Stop_Waiting() { return g_stop_waiting != nullptr && g_stop_waiting(); }

// Waits for try_lock() to succeed: FILE_DONE, or FILE_LOCK_BUSY when stopped.
template <class TryLock>
int Wait_Turn(const std::string& path, void (*still_waiting)(const std::string&),
              TryLock try_lock) {
    auto word_at = std::chrono::steady_clock::now() + WAIT_WORD_AFTER;
    bool said = false;
    while (!try_lock()) {
        if (Stop_Waiting()) return FILE_LOCK_BUSY;
        if (!said && still_waiting != nullptr && std::chrono::steady_clock::now() >= word_at) {
            still_waiting(path);
            said = true;
        }
        std::this_thread::sleep_for(WAIT_STEP);
    }
    return FILE_DONE;
}
}  // namespace

std::string Final_Target(const std::string& path) {
    std::filesystem::path current(path);
    for (int hop = 0; hop < MAX_LINK_HOPS; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(current, error)) return current.string();
        std::filesystem::path link = std::filesystem::read_symlink(current, error);
        if (error) return current.string();
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    return path;  // a loop of links: the open says why it fails
}

bool Same_File(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

#ifdef _WIN32
bool Read_FileStart(const std::string& path, size_t count, std::string* bytes) {
    bytes->clear();
    if (Check_OutputPath(path) != FILE_DONE) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return false;
    bytes->resize(count);
    in.read(&(*bytes)[0], static_cast<std::streamsize>(count));
    bytes->resize(static_cast<size_t>(in.gcount()));
    return !in.bad();
}

namespace {
std::uint64_t From_FileTime(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
FILETIME To_FileTime(std::uint64_t value) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return time;
}
// One byte far beyond any report: locking it never keeps a write out.
OVERLAPPED Lock_Range() {
    OVERLAPPED range = {};
    range.OffsetHigh = 0x7FFFFFFF;
    return range;
}
}  // namespace

AppendLock::AppendLock(const std::string& path, void (*still_waiting)(const std::string& path))
    : status_(FILE_FAILED), target_(Final_Target(path)) {
    status_ = Open_Locked(still_waiting);
}

int AppendLock::Open_Locked(void (*still_waiting)(const std::string& path)) {
    HANDLE handle = CreateFileA(target_.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_ACCESS_DENIED ? FILE_DENIED : FILE_FAILED;
    bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return FILE_NOT_REGULAR;
    }
    int waited = Wait_Turn(target_, still_waiting, [&] {
        OVERLAPPED range = Lock_Range();
        return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                          &range) != 0;
    });
    LARGE_INTEGER size = {};
    FILETIME access = {}, write = {};
    if (waited != FILE_DONE || !GetFileSizeEx(handle, &size) ||
        !GetFileTime(handle, nullptr, &access, &write)) {
        CloseHandle(handle);
        return waited != FILE_DONE ? waited : FILE_FAILED;
    }
    handle_ = handle;
    length_ = static_cast<std::uint64_t>(size.QuadPart);
    created_ = created && length_ == 0;
    times_[0] = From_FileTime(access);
    times_[1] = From_FileTime(write);
    return FILE_DONE;
}

bool AppendLock::Restore() {
    if (handle_ == nullptr) return false;
    HANDLE handle = static_cast<HANDLE>(handle_);
    bool restored;
    if (created_) {
        restored = DeleteFileA(target_.c_str()) != 0;
    } else {
        LARGE_INTEGER length;
        length.QuadPart = static_cast<LONGLONG>(length_);
        FILETIME access = To_FileTime(times_[0]), write = To_FileTime(times_[1]);
        restored = SetFilePointerEx(handle, length, nullptr, FILE_BEGIN) && SetEndOfFile(handle);
        SetFileTime(handle, nullptr, &access, &write);
    }
    Release();
    return restored;
}

void AppendLock::Release() {
    if (handle_ != nullptr) CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}
#else
bool Read_FileStart(const std::string& path, size_t count, std::string* bytes) {
    bytes->clear();
    int handle = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0) return false;
    struct stat info;
    bool regular = fstat(handle, &info) == 0 && S_ISREG(info.st_mode);
    bool read_well = regular;
    char chunk[64];
    while (read_well && bytes->size() < count) {
        size_t wanted = std::min(sizeof chunk, count - bytes->size());
        ssize_t got = read(handle, chunk, wanted);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            read_well = got == 0;
            break;
        }
        bytes->append(chunk, static_cast<size_t>(got));
    }
    // A look at the start is no use of the file: its access time stays.
    if (regular) {
        struct timespec times[2] = {info.st_atim, {0, UTIME_OMIT}};
        futimens(handle, times);
    }
    close(handle);
    return read_well;
}

namespace {
const int APPEND_FLAGS = O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC;

int Status_OfOpen(int error_number) {
    if (error_number == ENXIO) return FILE_NOT_REGULAR;  // a FIFO nobody reads
    if (error_number == EMFILE || error_number == ENFILE) return FILE_TOO_MANY;
    if (error_number == EACCES || error_number == EPERM || error_number == EROFS)
        return FILE_DENIED;
    return error_number == EISDIR ? FILE_NOT_REGULAR : FILE_FAILED;
}

// The file at path, opened for appending; created (and said so) when missing.
int Open_OrCreate(const std::string& path, bool* created) {
    for (;;) {
        *created = false;
        int handle = open(path.c_str(), APPEND_FLAGS);
        if (handle >= 0 || errno != ENOENT) return handle;
        handle = open(path.c_str(), APPEND_FLAGS | O_CREAT | O_EXCL, 0666);
        if (handle >= 0) *created = true;
        if (handle >= 0 || errno != EEXIST) return handle;
    }
}

// Whether the path still names the open file: another run may have removed
// or replaced it while this one waited.
bool Still_AtPath(int handle, const std::string& path) {
    struct stat open_file, at_path;
    return fstat(handle, &open_file) == 0 && stat(path.c_str(), &at_path) == 0 &&
           open_file.st_dev == at_path.st_dev && open_file.st_ino == at_path.st_ino;
}
}  // namespace

AppendLock::AppendLock(const std::string& path, void (*still_waiting)(const std::string& path))
    : status_(FILE_FAILED), target_(Final_Target(path)) {
    status_ = Open_Locked(still_waiting);
}

int AppendLock::Open_Locked(void (*still_waiting)(const std::string& path)) {
    for (;;) {
        bool created = false;
        int handle = Open_OrCreate(target_, &created);
        if (handle < 0) return Status_OfOpen(errno);
        struct stat info;
        if (fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) {
            close(handle);
            return FILE_NOT_REGULAR;
        }
        int waited = Wait_Turn(target_, still_waiting,
                               [&] { return flock(handle, LOCK_EX | LOCK_NB) == 0; });
        if (waited != FILE_DONE) {
            close(handle);
            return waited;
        }
        if (!Still_AtPath(handle, target_) || fstat(handle, &info) != 0) {
            close(handle);
            continue;
        }
        descriptor_ = handle;
        length_ = static_cast<std::uint64_t>(info.st_size);
        // Created here but written by another run that locked it first: not ours.
        created_ = created && length_ == 0;
        times_[0] = info.st_atim.tv_sec;
        times_[1] = info.st_atim.tv_nsec;
        times_[2] = info.st_mtim.tv_sec;
        times_[3] = info.st_mtim.tv_nsec;
        return FILE_DONE;
    }
}

bool AppendLock::Restore() {
    if (descriptor_ < 0) return false;
    bool restored;
    if (created_) {
        restored = !Still_AtPath(descriptor_, target_) || unlink(target_.c_str()) == 0;
    } else {
        restored = ftruncate(descriptor_, static_cast<off_t>(length_)) == 0;
        struct timespec times[2];
        times[0].tv_sec = static_cast<time_t>(times_[0]);
        times[0].tv_nsec = static_cast<long>(times_[1]);
        times[1].tv_sec = static_cast<time_t>(times_[2]);
        times[1].tv_nsec = static_cast<long>(times_[3]);
        futimens(descriptor_, times);
    }
    Release();
    return restored;
}

void AppendLock::Release() {
    // Closing releases the lock.
    if (descriptor_ >= 0) close(descriptor_);
    descriptor_ = -1;
}
#endif

AppendLock::~AppendLock() { Release(); }
