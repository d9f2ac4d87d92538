// Byte length of the character at a position of typed text.
#include "text/textchar.h"

#include <gtest/gtest.h>

namespace {

struct CharCase {
    const char* text;
    int position;
    bool utf8;
    int bytes;
};

TEST(TextChar, CharacterBytes) {
    const CharCase cases[] = {
        {"x+1", 1, false, 1},
        {"x+1", 3, false, 1},  // the end of the text
        {"x+1", 7, false, 1},  // past it: nothing is read
        {"x+1", -1, false, 1},
        {"x\x82\x60", 1, false, 2},  // full-width A in code page 932
        {"x\x81", 1, false, 1},      // a lead byte cut by the end
        {"\xe0\x40", 0, false, 2},   // the upper lead-byte range
        {"\xfc\x40", 0, false, 2},
        {"\xa0\x40", 0, false, 1},  // half-width katakana: one byte
        {"\xfd\x40", 0, false, 1},
        {"x\xef\xbd\x81"
         "c",
         1, true, 3},  // full-width a in UTF-8
        {"\xc3\xa9", 0, true, 2},
        {"\xf0\x9f\x98\x80!", 0, true, 4},
        {"\xef\xbd", 0, true, 2},   // a sequence cut by the end
        {"\xe3\x81x", 0, true, 2},  // cut by a byte that continues nothing
        {"\x82\x60", 0, true, 1},   // code page 932 bytes read as UTF-8
        {"\xbd", 0, true, 1},       // a stray continuation byte
    };
    for (const CharCase& c : cases)
        EXPECT_EQ(Character_Bytes(c.text, c.position, c.utf8), c.bytes)
            << c.text << " at " << c.position << (c.utf8 ? " utf8" : " cp932");
}

TEST(TextChar, ControlCharactersShownVisibly) {
    const char* const cases[][2] = {
        {"x+1", "x+1"},
        {"\x1b[A", "^[[A"},
        {"a\x01\x7f", "a^A^?"},
        {"\x82\x60\xe3\x81\x82", "\x82\x60\xe3\x81\x82"},  // multibyte text untouched
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Visible_Controls(c[0]), c[1]) << c[1];
}

}  // namespace
