// Characters of typed text: how many bytes the character at a position takes,
// in code page 932 or in UTF-8, never counting past the end of the text; and
// how control characters are shown.
#ifndef KANSU_TEXTCHAR_H
#define KANSU_TEXTCHAR_H

#include <string>

// 1 for a single-byte character, the end of the text or a position outside
// it; 2 for a code page 932 lead byte with a byte after it; in UTF-8 the lead
// byte plus the continuation bytes that follow it, up to the sequence length.
int Character_Bytes(const char* text, int position, bool utf8);

// The text with each control character written visibly, as ^[ for escape and
// ^? for delete, so that typed escape sequences never reach the terminal raw.
std::string Visible_Controls(const char* text);
// A blank of typed text, as the range parser and the number conversion skip
// it: space, tab, line feed, vertical tab, form feed, carriage return. No byte
// of 0x80 or above is one.
bool Is_TextBlank(int letter);
// A blank that the console line reader drops: the same but for the line feed,
// which ends the line.
bool Is_LineBlank(int letter);

#endif
