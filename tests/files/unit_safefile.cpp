// Saving through a working copy: every failing step leaves the old file, a
// file at the working copy's name is never reused, a first save never replaces
// (with or without hard links), and the folder lock waits for another run.
#include "session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "files/safefile.h"

namespace {

int Sync_Fails(int) {
    errno = EIO;
    return -1;
}
int Move_FailsWith(int error_number) {
    errno = error_number;
    return -1;
}
int Move_Fails(const char*, const char*) { return Move_FailsWith(EIO); }
int Link_NotPermitted(const char*, const char*) { return Move_FailsWith(EPERM); }
int Link_NotSupported(const char*, const char*) { return Move_FailsWith(EOPNOTSUPP); }
int NoReplace_Invalid(const char*, const char*) { return Move_FailsWith(EINVAL); }
int NoReplace_Missing(const char*, const char*) { return Move_FailsWith(ENOSYS); }

// The tags that g_work_copy_tag hands out, in order.
std::vector<std::string> g_tags;
size_t g_next_tag = 0;
std::string Next_Tag() { return g_tags.at(g_next_tag++); }

class SafeFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = Make_ScratchDir("kansu-safe");
        saved_calls_ = g_safefile_calls;
    }
    void TearDown() override {
        g_safefile_calls = saved_calls_;
        g_work_copy_tag = nullptr;
        std::error_code error;
        std::filesystem::remove_all(dir_, error);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string Read(const std::string& name) const { return Read_WholeFile(Path(name)); }
    std::vector<std::string> Files() const { return Sorted_FileNames(dir_); }

    std::string dir_;
    SafeFileCalls saved_calls_ = {};
};

// A failed sync or move is a failed save: the old file (or none) stays, and
// no working copy is left behind.
TEST_F(SafeFile, AFailedSyncOrMoveKeepsTheOldFile) {
    struct Case {
        const char* what;
        bool replace;
        void (*fail)();
    };
    const Case cases[] = {
        {"sync, rewrite", true, [] { g_safefile_calls.sync = Sync_Fails; }},
        {"sync, first save", false, [] { g_safefile_calls.sync = Sync_Fails; }},
        {"rename, rewrite", true, [] { g_safefile_calls.rename = Move_Fails; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(Path("save.dat"));
        if (c.replace) Write("save.dat", "old");
        g_safefile_calls = saved_calls_;
        c.fail();
        EXPECT_EQ(Write_FileSafely(Path("save.dat"), "new", c.replace), FILE_FAILED);
        std::vector<std::string> expected;
        if (c.replace) expected.push_back("save.dat");
        EXPECT_EQ(Files(), expected);
        if (c.replace) {
            EXPECT_EQ(Read("save.dat"), "old");
        }
    }
}

// Whatever is at the working copy's name (a copy a killed run left, another
// program's file) is neither truncated nor moved into place.
TEST_F(SafeFile, AFileAtTheWorkingCopysNameIsNeverReused) {
    Write("kansu-work-stale1.tmp", "foreign");
    Write("save.dat", "old");
    g_tags = {"stale1", "fresh1"};
    g_next_tag = 0;
    g_work_copy_tag = Next_Tag;
    EXPECT_EQ(Write_FileSafely(Path("save.dat"), "new", true), FILE_DONE);
    EXPECT_EQ(g_next_tag, 2u);
    EXPECT_EQ(Read("save.dat"), "new");
    EXPECT_EQ(Read("kansu-work-stale1.tmp"), "foreign");
    EXPECT_EQ(Files(), (std::vector<std::string>{"kansu-work-stale1.tmp", "save.dat"}));
    // When every name drawn is taken the save gives up, touching nothing.
    g_tags.assign(100, "stale1");
    g_next_tag = 0;
    EXPECT_EQ(Write_FileSafely(Path("save.dat"), "newer", true), FILE_FAILED);
    EXPECT_EQ(Read("save.dat"), "new");
    EXPECT_EQ(Read("kansu-work-stale1.tmp"), "foreign");
}

// Without hard links a first save still never replaces: RENAME_NOREPLACE where
// the kernel has it, else an exclusive claim of the name.
TEST_F(SafeFile, AFirstSaveWithoutHardLinksNeverReplaces) {
    struct Case {
        const char* what;
        int (*link)(const char*, const char*);
        int (*rename_noreplace)(const char*, const char*);
    };
    const Case cases[] = {
        {"no links, rename without replacing", Link_NotPermitted, nullptr},
        {"no links, no rename without replacing", Link_NotPermitted, NoReplace_Invalid},
        {"links unsupported, no renameat2", Link_NotSupported, NoReplace_Missing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_safefile_calls = saved_calls_;
        g_safefile_calls.link = c.link;
        if (c.rename_noreplace != nullptr) g_safefile_calls.rename_noreplace = c.rename_noreplace;
        std::filesystem::remove(Path("new.dat"));
        EXPECT_EQ(Write_FileSafely(Path("new.dat"), "first", false), FILE_DONE);
        EXPECT_EQ(Read("new.dat"), "first");
        EXPECT_EQ(Write_FileSafely(Path("new.dat"), "second", false), FILE_TAKEN);
        EXPECT_EQ(Read("new.dat"), "first");
        EXPECT_EQ(Files(), std::vector<std::string>{"new.dat"});
    }
}

// When the claimed name cannot take the working copy, the empty claim goes too.
TEST_F(SafeFile, AFailedMoveOverTheClaimedNameLeavesNothing) {
    g_safefile_calls.link = Link_NotPermitted;
    g_safefile_calls.rename_noreplace = NoReplace_Invalid;
    g_safefile_calls.rename = Move_Fails;
    EXPECT_EQ(Write_FileSafely(Path("new.dat"), "first", false), FILE_FAILED);
    EXPECT_TRUE(Files().empty());
}

// A real FAT file system (no hard links), loop-mounted: needs root, mkfs.vfat
// and a kernel with vfat.
TEST_F(SafeFile, AFirstSaveOnAFatFileSystem) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a FAT image needs root";
    std::string image = Path("fat.img"), mount_point = Path("fat");
    std::filesystem::create_directory(mount_point);
    std::string make = "truncate -s 2M " + image + " && mkfs.vfat " + image + " >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) GTEST_SKIP() << "mkfs.vfat (dosfstools) is missing";
    std::string mount_command = "mount -o loop " + image + " " + mount_point + " 2>/dev/null";
    if (std::system(mount_command.c_str()) != 0)
        GTEST_SKIP() << "this machine cannot loop-mount a vfat image (no vfat or loop devices)";
    struct Unmount {
        std::string point;
        ~Unmount() { umount2(point.c_str(), MNT_DETACH); }
    } unmount{mount_point};
    std::string target = mount_point + "/new.dat";
    EXPECT_EQ(Write_FileSafely(target, "first", false), FILE_DONE);
    EXPECT_EQ(Write_FileSafely(target, "second", false), FILE_TAKEN);
    EXPECT_EQ(Read_WholeFile(target), "first");
    EXPECT_EQ(Write_FileSafely(target, "third", true), FILE_DONE);
    EXPECT_EQ(Read_WholeFile(target), "third");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(mount_point),
                            std::filesystem::directory_iterator()),
              1);
}

// Another run holds the folder's lock, or (having found the folder unreadable)
// the lock file it left in it, for about a second: the lock waits until that
// run is done (the default wait is far longer).
void Expect_LockWaitsForTheHolder(const std::string& save_path, const std::string& lock_file) {
    SCOPED_TRACE(lock_file.empty() ? "the folder" : lock_file);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        std::unique_ptr<FolderLock> lock(lock_file.empty() ? new FolderLock(save_path) : nullptr);
        int file = lock ? -1 : open(lock_file.c_str(), O_RDONLY | O_CREAT, 0666);
        bool locked = lock ? lock->Status() == FILE_DONE : file >= 0 && flock(file, LOCK_EX) == 0;
        char held = locked ? 'y' : 'n';
        if (write(ready[1], &held, 1) != 1) _exit(1);
        usleep(1000 * 1000);
        _exit(0);
    }
    close(ready[1]);
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    close(ready[0]);
    ASSERT_EQ(held, 'y');
    auto start = std::chrono::steady_clock::now();
    FolderLock lock(save_path);
    double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(lock.Status(), FILE_DONE);
    EXPECT_GT(waited, 0.5);
    int status = 0;
    EXPECT_EQ(waitpid(holder, &status, 0), holder);
}

TEST_F(SafeFile, TheLockWaitsForAnotherRunsSave) {
    Expect_LockWaitsForTheHolder(Path("save.dat"), "");
    Expect_LockWaitsForTheHolder(Path("save.dat"), Path(".kansu-save.lock"));
}

}  // namespace
