#include "modes/valuenote.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "console/consoleterminal.h"
#include "text/messages.h"

namespace {
bool Is_Blank(char letter) { return letter == ' ' || letter == '\t' || letter == '\r'; }
}  // namespace

bool Value_ReadWhole(const char* typed, double value) {
    std::string text(typed);
    size_t first = 0;
    while (first < text.size() && Is_Blank(text[first])) ++first;
    size_t last = text.size();
    while (last > first && Is_Blank(text[last - 1])) --last;
    if (first == last) return false;
    text = text.substr(first, last - first);
    char* end = nullptr;
    double whole = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && whole == value;
}

void Note_ValueTaken(const char* typed, const char* folded, double value) {
    if (!Output_IsTerminal() || Value_ReadWhole(folded, value)) return;
    std::cerr << Msg().VALUE_TAKEN_BEFORE << typed << Msg().VALUE_TAKEN_MIDDLE << value
              << Msg().VALUE_TAKEN_AFTER << std::endl;
}
