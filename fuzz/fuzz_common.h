// Pieces shared by the fuzz harnesses: a silent console, a scratch directory and
// the work budget (fuzz_budget.h) that keeps inputs which are slow by design out.
#ifndef KANSU_FUZZ_COMMON_H
#define KANSU_FUZZ_COMMON_H

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <streambuf>
#include <string>

#include "fuzz_budget.h"

namespace fuzz {

// Swallows everything: messages and prompts cost nothing to fuzzing.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int letter) override { return traits_type::not_eof(letter); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

inline void Silence_Console() {
    static NullBuffer sink;
    std::cout.rdbuf(&sink);
}

// A fresh directory of its own for the files a harness writes; made once. In
// memory where possible: every save syncs its file to disk.
inline const std::string& Scratch_Dir() {
    static std::string dir = [] {
        std::error_code error;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        std::string pattern = (base / "kansu-fuzz-XXXXXX").string();
        if (mkdtemp(&pattern[0]) == nullptr) std::abort();
        return pattern;
    }();
    return dir;
}

inline void Empty_Dir(const std::string& dir) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        std::filesystem::remove_all(entry.path(), error);
}

}  // namespace fuzz

#endif
