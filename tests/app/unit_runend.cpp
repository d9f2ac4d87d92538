// The end of a run: what a signal leaves behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/runend.h"
#include "console/interrupt.h"
#include "text/messages.h"
#include "userfunc/usrfunc.h"

namespace {

// A signal that came while a save succeeded finds nothing unsaved: no
// recovery file then, one when a function is still unsaved, and a line that
// says so when the state folder cannot be made (a file stands in its way).
TEST(RunEnd, ASignalWritesARecoveryFileOnlyForUnsavedFunctions) {
    std::string state = (std::filesystem::temp_directory_path() / "kansu-runend").string();
    std::filesystem::remove_all(state);
    std::filesystem::create_directories(state);
    std::ofstream(state + "/file") << "in the way\n";
    Note_UnsavedWork(true);
    Record_Termination(SIGTERM);
    const struct {
        unsigned short change_flag;
        const char* state_home;  // under state
        long files;
        std::string said;
    } cases[] = {{0, "", 0, ""},
                 {1, "", 1, Msg().RECOVERY_WRITTEN},
                 {1, "/file", 0, std::string(Msg().RECOVERY_FAILED) + "\n"}};
    for (const auto& c : cases) {
        setenv("XDG_STATE_HOME", (state + c.state_home).c_str(), 1);
        UsrFuncArray registry(nullptr);
        registry.AddUFncElem("f", 7, 1, 8, "a0*2");
        registry.FirstPnt()->chngFlag = c.change_flag;
        testing::internal::CaptureStderr();
        EXPECT_EQ(End_BySignal(registry), 128 + SIGTERM);
        EXPECT_EQ(testing::internal::GetCapturedStderr().substr(0, c.said.size()), c.said);
        std::error_code error;
        auto files = std::filesystem::directory_iterator(state + c.state_home + "/kansu", error);
        EXPECT_EQ(std::distance(files, {}), c.files) << c.change_flag << c.state_home;
    }
    std::filesystem::remove_all(state);
}

}  // namespace
