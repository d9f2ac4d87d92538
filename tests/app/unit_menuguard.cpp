// Memory running out: in a menu choice it ends that choice only (the menu comes
// back with every function kept, the end-of-run question is still asked);
// where nothing can go on, the run ends with the functions in a recovery file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>
#include <string>

#include "app/main.h"
#include "text/messages.h"
#include "userfunc/usrfunc.h"
#include "allocation_hooks.h"
#include "session.h"
#include "userfunc_dialogue.h"

namespace {

// Typed text handed over a letter at a time: from the letter at arm_at on,
// the next allocation of a megabyte or more fails.
class ArmingKeyboard : public std::streambuf {
public:
    ArmingKeyboard(std::string typed, size_t arm_at) : typed_(std::move(typed)), arm_at_(arm_at) {}

protected:
    int_type underflow() override {
        if (next_ >= typed_.size()) return traits_type::eof();
        if (next_ >= arm_at_) g_fail_from = 1u << 20;
        char* letter = &typed_[next_++];
        setg(letter, letter, letter + 1);
        return traits_type::to_int_type(*letter);
    }

private:
    std::string typed_;
    size_t arm_at_, next_ = 0;
};

class MenuGuard : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = Make_ScratchDir("kansu-menuguard");  // its own: tests run side by side
        old_dir_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
        setenv("XDG_STATE_HOME", (dir_ / "state").c_str(), 1);
    }
    void TearDown() override {
        std::filesystem::current_path(old_dir_);
        std::filesystem::remove_all(dir_);
        g_ufunc_list.DeleteAllObject();
    }
    // The whole dialogue on typed text, failures armed from the letter at arm_at.
    int Run(const std::string& typed, size_t arm_at) {
        ArmingKeyboard keyboard(typed, arm_at);
        std::ostringstream screen;
        std::streambuf* old_in = std::cin.rdbuf(&keyboard);
        std::streambuf* old_out = std::cout.rdbuf(screen.rdbuf());
        std::streambuf* old_error = std::cerr.rdbuf(errors_.rdbuf());
        int status = Kansu_Main();
        g_fail_from = 0;
        std::cin.rdbuf(old_in);
        std::cout.rdbuf(old_out);
        std::cerr.rdbuf(old_error);
        shown_ = screen.str();
        return status;
    }
    size_t RecoveryFiles() const {
        std::error_code error;
        auto files = std::filesystem::directory_iterator(dir_ / "state" / "kansu", error);
        return static_cast<size_t>(std::distance(files, {}));
    }

    std::filesystem::path dir_, old_dir_;
    std::stringstream errors_;
    std::string shown_;
};

TEST_F(MenuGuard, RunningOutOfMemoryInAChoiceBringsTheMenuBack) {
    // A save file of two megabytes: loading it needs a buffer of its size.
    std::ofstream(dir_ / "big.dat", std::ios::binary) << std::string(2u << 20, 'x');
    EXPECT_EQ(Run("-1\nEnrUsrfunc\n1\ng\n1\na0*2\n-1\nSetUfList\nbig.dat\n0\n"
                  "-1\nCheckUfList\ng\n0\n2\n",
                  0),
              0);
    size_t said = shown_.find(std::string("\n") + Msg().OUT_OF_MEMORY);
    ASSERT_NE(said, std::string::npos);
    // After it the menu, g still enrolled (the check finds it), and the question.
    EXPECT_NE(shown_.find(std::string("g") + Msg().COMMAND_CHECK_DEFINED, said), std::string::npos);
    EXPECT_NE(shown_.find(Msg().EXIT_SAVE_QUESTION, said), std::string::npos);
    EXPECT_EQ(RecoveryFiles(), 0u);
}

// Saving over a megabyte of functions back into their file, as asked at the end.
TEST_F(MenuGuard, RunningOutOfMemoryAtTheEndKeepsTheFunctionsInARecoveryFile) {
    std::string records;
    for (int i = 0; i < 5000; ++i)
        records += userfunc_test::Record("f" + std::to_string(1000 + i), 1,
                                         "a0*2" + std::string(200, '1').insert(0, "+"));
    const std::string saved = userfunc_test::FileId() + records;
    std::ofstream(dir_ / "big.dat", std::ios::binary) << saved;
    const std::string typed = "-1\nSetUfList\nbig.dat\n1\n0\n1\n";
    EXPECT_EQ(Run(typed, typed.size() - 2), 1);
    EXPECT_EQ(errors_.str().rfind(Msg().OUT_OF_MEMORY_END, 0), 0u) << errors_.str();
    EXPECT_EQ(RecoveryFiles(), 1u);
    std::ifstream file(dir_ / "big.dat", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), saved);
}

}  // namespace
