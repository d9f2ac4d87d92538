// The work budget of the fuzz harnesses, apart from their other pieces so that
// the unit tests can check it.
#ifndef KANSU_FUZZ_BUDGET_H
#define KANSU_FUZZ_BUDGET_H

#include <cctype>
#include <cstddef>
#include <cstring>
#include <string>

#include "text/textchar.h"

namespace fuzz {

inline size_t Count_Of(const std::string& text, const std::string& word) {
    size_t count = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++count;
    return count;
}

// The text as the program reads it: every character that is_blank says the
// reader drops is gone, so a number cut by blanks is seen whole.
inline std::string Without_Blanks(const std::string& text, bool (*is_blank)(int)) {
    std::string kept;
    for (char letter : text)
        if (!is_blank(static_cast<unsigned char>(letter))) kept += letter;
    return kept;
}

// The work budget. A sigma runs once per index value and a sweep once per
// division, so one typed number can ask for 10^9 evaluations: by design, not a
// fault. Inputs are kept when, read without the blanks the program drops (the
// range parser's test by default; the line reader's for a typed session, where
// a line feed ends a line), every number has at most two digits with no
// exponent or hexadecimal part, and there are at most max_sigma sums.
inline bool Within_Budget(const std::string& typed, size_t max_sigma,
                          bool (*is_blank)(int) = Is_TextBlank) {
    std::string text = Without_Blanks(typed, is_blank);
    if (Count_Of(text, "sigma") > max_sigma) return false;
    size_t digits = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char letter = static_cast<unsigned char>(text[i]);
        bool after_number =
            i > 0 && (std::isdigit(static_cast<unsigned char>(text[i - 1])) || text[i - 1] == '.');
        if (after_number && std::strchr("eEpPxX", letter) != nullptr && letter != '\0')
            return false;
        digits = std::isdigit(letter) ? digits + 1 : 0;
        if (digits > 2) return false;
    }
    return true;
}

}  // namespace fuzz

#endif
