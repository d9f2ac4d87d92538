// Pieces shared by the fuzz harnesses: a silent console, a scratch directory and
// the work budget that keeps inputs which are slow by design out.
#ifndef KANSU_FUZZ_COMMON_H
#define KANSU_FUZZ_COMMON_H

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <streambuf>
#include <string>

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

inline size_t Count_Of(const std::string& text, const std::string& word) {
    size_t count = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++count;
    return count;
}

// The work budget. A sigma runs once per index value and a sweep once per
// division, so one typed number can ask for 10^9 evaluations: by design, not a
// fault. Inputs are kept when every number in them has at most two digits with
// no exponent or hexadecimal part, and there are at most max_sigma sums.
inline bool Within_Budget(const std::string& text, size_t max_sigma) {
    if (Count_Of(text, "sigma") > max_sigma) return false;
    size_t digits = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char letter = static_cast<unsigned char>(text[i]);
        bool after_number = i > 0 && (std::isdigit(static_cast<unsigned char>(text[i - 1])) ||
                                      text[i - 1] == '.');
        if (after_number && std::strchr("eEpPxX", letter) != nullptr && letter != '\0') return false;
        digits = std::isdigit(letter) ? digits + 1 : 0;
        if (digits > 2) return false;
    }
    return true;
}

}  // namespace fuzz

#endif
