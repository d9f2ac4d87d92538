// A report file that runs of kansu append to: held under an exclusive
// advisory lock from before its length is taken until this run's rows are
// in (or cut away again), so that two runs never interleave their rows and a
// run that fails removes only its own bytes.
#ifndef KANSU_APPENDLOCK_H
#define KANSU_APPENDLOCK_H

#include <cstdint>
#include <string>

// The file a path finally names: symbolic links are followed one by one,
// also to a target that does not exist yet (a dangling link), so that the
// file written is the link's target and the link itself stays.
std::string Final_Target(const std::string& path);
// Whether the two paths name one file (same device and inode, links followed).
bool Same_File(const std::string& a, const std::string& b);
// The first count bytes of a regular file, read without blocking; false when
// it is none or cannot be read (a shorter file gives its bytes, true).
bool Read_FileStart(const std::string& path, size_t count, std::string* bytes);

class AppendLock {
public:
    // Opens the file at path (its final target; created when missing) and
    // locks it, waiting as long as another run holds it. still_waiting is
    // called once when the wait passes a second; the wait ends early when
    // g_stop_waiting says so.
    AppendLock(const std::string& path, void (*still_waiting)(const std::string& path));
    ~AppendLock();
    AppendLock(const AppendLock&) = delete;
    AppendLock& operator=(const AppendLock&) = delete;

    // FILE_DONE locked; FILE_NOT_REGULAR, FILE_DENIED, FILE_FAILED,
    // FILE_TOO_MANY the file cannot be used; FILE_LOCK_BUSY the wait was
    // stopped. Nothing is held unless FILE_DONE.
    int Status() const { return status_; }
    // The file written (links followed).
    const std::string& Target() const { return target_; }
    // The file's length when it was locked.
    std::uint64_t Length() const { return length_; }
    // Gives the file back as it was when it was locked: cut to its old length
    // with its old times, or removed when this run created it. The lock is
    // released. False when that failed.
    bool Restore();
    // Releases the lock, keeping what was appended.
    void Release();

private:
    int Open_Locked(void (*still_waiting)(const std::string& path));

    int status_;
    std::string target_;
    bool created_ = false;
    std::uint64_t length_ = 0;
#ifdef _WIN32
    void* handle_ = nullptr;
    std::uint64_t times_[2] = {0, 0};  // last access and last write
#else
    int descriptor_ = -1;
    long long times_[4] = {0, 0, 0, 0};  // access and modification: seconds, nanoseconds
#endif
};

#endif
