#include "text/textchar.h"

#include <cstring>

namespace {
bool Is_Cp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Length of the UTF-8 sequence a lead byte announces; 1 for anything else.
int Utf8_SequenceLength(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) return 2;
    if (byte >= 0xE0 && byte <= 0xEF) return 3;
    if (byte >= 0xF0 && byte <= 0xF4) return 4;
    return 1;
}

bool Is_Utf8Continuation(unsigned char byte) { return byte >= 0x80 && byte <= 0xBF; }
}  // namespace

int Character_Bytes(const char* text, int position, bool utf8) {
    int length = static_cast<int>(std::strlen(text));
    if (position < 0 || position >= length) return 1;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text) + position;
    int available = length - position;
    if (!utf8) return Is_Cp932LeadByte(bytes[0]) && available > 1 ? 2 : 1;
    int wanted = Utf8_SequenceLength(bytes[0]);
    int count = 1;
    while (count < wanted && count < available && Is_Utf8Continuation(bytes[count])) ++count;
    return count;
}

std::string Visible_Controls(const char* text) {
    std::string shown;
    for (const char* letter = text; *letter != '\0'; ++letter) {
        unsigned char byte = static_cast<unsigned char>(*letter);
        if (byte < 0x20 || byte == 0x7F) {
            shown += '^';
            shown += static_cast<char>(byte ^ 0x40);
        } else {
            shown += *letter;
        }
    }
    return shown;
}

bool Is_TextBlank(int letter) { return letter == '\n' || Is_LineBlank(letter); }

bool Is_LineBlank(int letter) {
    return letter == ' ' || letter == '\t' || letter == '\v' || letter == '\f' || letter == '\r';
}
