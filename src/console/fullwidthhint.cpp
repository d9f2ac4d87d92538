#include "console/fullwidthhint.h"

#include <cstring>
#include <iostream>

#include "console/consoleterminal.h"
#include "text/fullwidth.h"
#include "text/messages.h"

namespace {
const char MINUS_SIGN_UTF8[] = u8"\u2212";
}  // namespace

bool Holds_MinusSign(const char* text) {
    return Utf8_Active() && std::strstr(text, MINUS_SIGN_UTF8) != nullptr;
}

bool Holds_FullWidth(const char* text) {
    int length = static_cast<int>(std::strlen(text));
    for (int position = 0; position < length; ++position)
        if (Is_FullWidthAt(text, position)) return true;
    return Holds_MinusSign(text);
}

void Hint_HalfWidth(const char* text, bool all_forms) {
    if (!Output_IsTerminal()) return;
    if (all_forms ? Holds_FullWidth(text) : Holds_MinusSign(text))
        std::cerr << Msg().FORMULA_FULLWIDTH_HINT << std::endl;
}
