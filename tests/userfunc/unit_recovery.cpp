// Recovery save files: two in one second are both kept, and the newest one is
// found by the time in its name and its number.
#include "session.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/safefile.h"
#include "userfunc/recovery.h"
#include "userfunc/usrfunc.h"

namespace {

class Recovery : public ::testing::Test {
protected:
    void SetUp() override {
        state_ = Make_ScratchDir("kansu-state");
        const char* old = getenv("XDG_STATE_HOME");
        had_old_ = old != nullptr;
        if (had_old_) old_ = old;
        setenv("XDG_STATE_HOME", state_.c_str(), 1);
    }
    void TearDown() override {
        if (had_old_)
            setenv("XDG_STATE_HOME", old_.c_str(), 1);
        else
            unsetenv("XDG_STATE_HOME");
        std::error_code error;
        std::filesystem::remove_all(state_, error);
    }

    std::string state_, old_;
    bool had_old_ = false;
};

// The "20261207-211530" in a recovery file's name.
std::string Stamp(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    return name.substr(sizeof "kansu-recovery-" - 1, 15);
}

TEST_F(Recovery, TwoRunsEndingInOneSecondKeepBothFiles) {
    UsrFuncArray registry{nullptr};
    std::string first, second;
    // Two writes almost always fall in one second; a second boundary between
    // them is simply tried again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::filesystem::remove_all(Recovery_Folder());
        ASSERT_EQ(Write_RecoveryFile(registry, &first), SAVE_DONE);
        ASSERT_EQ(Write_RecoveryFile(registry, &second), SAVE_DONE);
        if (Stamp(first) == Stamp(second)) break;
    }
    ASSERT_EQ(Stamp(first), Stamp(second));
    EXPECT_EQ(first, Recovery_Folder() + "kansu-recovery-" + Stamp(first) + ".dat");
    EXPECT_EQ(second, Recovery_Folder() + "kansu-recovery-" + Stamp(first) + "-2.dat");
    EXPECT_TRUE(std::filesystem::exists(first));
    EXPECT_TRUE(std::filesystem::exists(second));
}

// Without XDG_STATE_HOME the folder is under HOME; without either there is
// none, and nothing is written or found.
TEST_F(Recovery, TheFolderFollowsHomeOrIsMissing) {
    const char* home = getenv("HOME");
    const std::string saved_home = home != nullptr ? home : "";
    unsetenv("XDG_STATE_HOME");
    setenv("HOME", state_.c_str(), 1);
    EXPECT_EQ(Recovery_Folder(), state_ + "/.local/state/kansu/");
    unsetenv("HOME");
    EXPECT_EQ(Recovery_Folder(), "");
    UsrFuncArray registry{nullptr};
    std::string path;
    EXPECT_EQ(Write_RecoveryFile(registry, &path), SAVE_NOT_CREATED);
    EXPECT_TRUE(Take_UnannouncedRecoveries().empty());
    if (home != nullptr) setenv("HOME", saved_home.c_str(), 1);
}

// Each file is named once, in the order of the time in its name, then its number.
TEST_F(Recovery, EveryUnannouncedOneIsTakenOnceInOrder) {
    std::filesystem::create_directories(Recovery_Folder());
    for (const char* stamp : {"20261207-211529-99", "20261207-211530", "20261207-211530-2",
                              "20261207-211530-9", "20261207-211530-10", "20261206-235959-11"})
        std::ofstream(Recovery_Folder() + "kansu-recovery-" + stamp + ".dat") << "QVRLX10";
    std::vector<std::string> expected;
    for (const char* stamp : {"20261206-235959-11", "20261207-211529-99", "20261207-211530",
                              "20261207-211530-2", "20261207-211530-9", "20261207-211530-10"})
        expected.push_back(Recovery_Folder() + "kansu-recovery-" + stamp + ".dat");
    EXPECT_EQ(Take_UnannouncedRecoveries(), expected);
    EXPECT_TRUE(Take_UnannouncedRecoveries().empty());  // every one is announced now
    std::ofstream(Recovery_Folder() + "kansu-recovery-20261207-211530-3.dat") << "QVRLX10";
    EXPECT_EQ(Take_UnannouncedRecoveries(),
              std::vector<std::string>{Recovery_Folder() + "kansu-recovery-20261207-211530-3.dat"});
}

}  // namespace
