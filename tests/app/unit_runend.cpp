// The end of a run: what a signal leaves behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "app/runend.h"
#include "console/interrupt.h"
#include "userfunc/usrfunc.h"

namespace {

// A signal that came while a save succeeded finds nothing unsaved: no
// recovery file then, one when a function is still unsaved.
TEST(RunEnd, ASignalWritesARecoveryFileOnlyForUnsavedFunctions) {
    std::string state = (std::filesystem::temp_directory_path() / "kansu-runend").string();
    std::filesystem::remove_all(state);
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    Note_UnsavedWork(true);
    Record_Termination(SIGTERM);
    for (unsigned short change_flag : {0, 1}) {
        UsrFuncArray registry(nullptr);
        registry.AddUFncElem("f", 7, 1, 8, "a0*2");
        registry.FirstPnt()->chngFlag = change_flag;
        testing::internal::CaptureStderr();
        EXPECT_EQ(End_BySignal(registry), 128 + SIGTERM);
        testing::internal::GetCapturedStderr();
        std::error_code error;
        auto files = std::filesystem::directory_iterator(state + "/kansu", error);
        EXPECT_EQ(std::distance(files, {}), change_flag) << change_flag;
    }
    std::filesystem::remove_all(state);
}

}  // namespace
