// Memory running out in a menu choice ends that choice only: the menu comes
// back with every function kept, and the end-of-run question is still asked.
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

// While armed, every allocation of a megabyte or more fails, as under a tight
// memory limit; smaller ones go on. These replace the global allocation functions.
static bool g_large_fails = false;

void* operator new(size_t size) {
    if (g_large_fails && size >= (1u << 20)) throw std::bad_alloc();
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }

namespace {

TEST(MenuGuard, RunningOutOfMemoryInAChoiceBringsTheMenuBack) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "kansu-menuguard";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::path old_dir = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    // A save file of two megabytes: loading it needs a buffer of its size.
    std::ofstream(dir / "big.dat", std::ios::binary) << std::string(2u << 20, 'x');
    std::istringstream typed(
        "-1\nEnrUsrfunc\n1\ng\n1\na0*2\n-1\nSetUfList\nbig.dat\n0\n"
        "-1\nCheckUfList\ng\n0\n2\n");
    std::ostringstream shown;
    std::streambuf* keyboard = std::cin.rdbuf(typed.rdbuf());
    std::streambuf* screen = std::cout.rdbuf(shown.rdbuf());
    g_large_fails = true;
    int status = Kansu_Main();
    g_large_fails = false;
    std::cin.rdbuf(keyboard);
    std::cout.rdbuf(screen);
    std::filesystem::current_path(old_dir);
    std::filesystem::remove_all(dir);
    g_ufunc_list.DeleteAllObject();

    std::string output = shown.str();
    EXPECT_EQ(status, 0);
    size_t said = output.find(std::string("\n") + Msg().OUT_OF_MEMORY);
    ASSERT_NE(said, std::string::npos);
    // After it the menu, g still enrolled (the check finds it), and the question.
    EXPECT_NE(output.find(std::string("g") + Msg().COMMAND_CHECK_DEFINED, said), std::string::npos);
    EXPECT_NE(output.find(Msg().EXIT_SAVE_QUESTION, said), std::string::npos);
}

}  // namespace
