#include "text/fullwidth.h"

#include <cstring>

#include "text/messages.h"
#include "text/textchar.h"

const char NUMBER_FORMS[] = "0123456789+-. ";
const char RANGE_NAME_FORMS[] = " (";
const char RANGE_FORMS[] = "0123456789+-. ()[],";

namespace {
const int ASCII_FORM_COUNT = 94;  // "!" to "~"
// The minus sign; in code page 932 it has the bytes of the full-width "-".
const char MINUS_SIGN_UTF8[] = u8"\u2212";

// The full-width forms all have one byte count in an encoding: that of the
// ideographic space.
size_t Form_Bytes() { return std::strlen(Msg().IDEOGRAPHIC_SPACE); }

bool Starts_With(const char* text, size_t length, const char* form, size_t form_bytes) {
    return length >= form_bytes && std::memcmp(text, form, form_bytes) == 0;
}

// The ASCII character of a full-width form or the ideographic space; 0 for none.
int FullWidth_Form(const char* text, size_t length) {
    if (length == 0 || static_cast<unsigned char>(text[0]) < 0x80) return 0;
    size_t form_bytes = Form_Bytes();
    if (length < form_bytes) return 0;
    if (Starts_With(text, length, Msg().IDEOGRAPHIC_SPACE, form_bytes)) return ' ';
    const char* forms = Msg().FULLWIDTH_ASCII_FORMS;
    for (int i = 0; i < ASCII_FORM_COUNT; ++i)
        if (Starts_With(text, length, forms + i * form_bytes, form_bytes)) return '!' + i;
    return 0;
}
}  // namespace

int Typed_Ascii(const char* text, size_t length, const char* wanted, int* bytes) {
    *bytes = 1;
    if (length == 0 || static_cast<unsigned char>(text[0]) < 0x80) return 0;
    int ascii = FullWidth_Form(text, length);
    if (ascii != 0) {
        *bytes = static_cast<int>(Form_Bytes());
    } else if (Utf8_Active() &&
               Starts_With(text, length, MINUS_SIGN_UTF8, std::strlen(MINUS_SIGN_UTF8))) {
        ascii = '-';
        *bytes = static_cast<int>(std::strlen(MINUS_SIGN_UTF8));
    }
    if (ascii == 0 || std::strchr(wanted, ascii) == nullptr) {
        *bytes = 1;
        return 0;
    }
    return ascii;
}

int FullWidth_Bytes() { return static_cast<int>(Form_Bytes()); }

namespace {
// Bytes of the character at position; ASCII without a look at the whole text.
int Next_CharacterBytes(const char* text, size_t position) {
    if (static_cast<unsigned char>(text[position]) < 0x80) return 1;
    return Character_Bytes(text, static_cast<int>(position), Utf8_Active());
}

// The text folded by wanted; with wanted_in_name, by that until the first "("
// (the name of a range text).
std::string Fold_From(const char* text, const char* wanted, const char* wanted_in_name) {
    size_t length = std::strlen(text);
    size_t position = 0;
    while (position < length && static_cast<unsigned char>(text[position]) < 0x80) ++position;
    std::string folded(text, position);  // the ASCII start as it is
    const char* current = wanted_in_name != nullptr ? wanted_in_name : wanted;
    if (current == wanted_in_name && folded.find('(') != std::string::npos) current = wanted;
    while (position < length) {
        int bytes = 1;
        int ascii = Typed_Ascii(text + position, length - position, current, &bytes);
        if (ascii != 0) {
            folded += static_cast<char>(ascii);
        } else {
            bytes = Next_CharacterBytes(text, position);
            folded.append(text + position, static_cast<size_t>(bytes));
        }
        if (current == wanted_in_name && folded.back() == '(') current = wanted;
        position += static_cast<size_t>(bytes);
    }
    return folded;
}
}  // namespace

std::string Fold_FullWidth(const char* text, const char* wanted) {
    return Fold_From(text, wanted, nullptr);
}

std::string Fold_RangeText(const char* text) {
    return Fold_From(text, RANGE_FORMS, RANGE_NAME_FORMS);
}

bool Is_FullWidthAt(const char* text, int position) {
    int length = static_cast<int>(std::strlen(text));
    int start = 0;
    while (start < position && start < length)
        start += Next_CharacterBytes(text, static_cast<size_t>(start));
    if (start != position || position >= length) return false;
    return FullWidth_Form(text + position, static_cast<size_t>(length - position)) != 0;
}
