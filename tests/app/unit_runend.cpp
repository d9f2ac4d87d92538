// The end of a run: what a signal leaves behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "app/runend.h"
#include "console/interrupt.h"
#include "userfunc/recovery.h"
#include "userfunc/usrfunc.h"

namespace {

size_t RecoveryFileCount() {
    std::error_code error;
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Recovery_Folder(), error))
        count += entry.path().filename().string().rfind("kansu-recovery-", 0) == 0 ? 1 : 0;
    return count;
}

// A signal that came while a save succeeded finds nothing unsaved: no
// recovery file then, one when a function is still unsaved.
TEST(RunEnd, ASignalWritesARecoveryFileOnlyForUnsavedFunctions) {
    std::string state = (std::filesystem::temp_directory_path() / "kansu-runend").string();
    std::filesystem::remove_all(state);
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    Note_UnsavedWork(true);
    Record_Termination(SIGTERM);
    const struct {
        unsigned short change_flag;
        size_t files_after;
    } cases[] = {{0, 0}, {1, 1}};
    for (const auto& run : cases) {
        UsrFuncArray registry(nullptr);
        registry.AddUFncElem("f", 7, 1, 8, "a0*2");
        registry.FirstPnt()->chngFlag = run.change_flag;
        testing::internal::CaptureStderr();
        EXPECT_EQ(End_BySignal(registry), 128 + SIGTERM);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(RecoveryFileCount(), run.files_after) << run.change_flag;
    }
    std::filesystem::remove_all(state);
}

}  // namespace
