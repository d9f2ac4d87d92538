// Full-width characters as a Japanese input method types them: the forms of
// ASCII (U+FF01-U+FF5E) and the ideographic space (U+3000), in the console
// encoding in use. Where numbers are typed they are read as their ASCII forms.
#ifndef KANSU_FULLWIDTH_H
#define KANSU_FULLWIDTH_H

#include <cstddef>
#include <string>

// The ASCII characters read from their full-width forms: in numbers (digits,
// signs, full stop, space; the minus sign U+2212 counts as "-"), in the name
// part of a range text (space, "(" ending the name) and in the rest of it.
extern const char NUMBER_FORMS[];
extern const char RANGE_NAME_FORMS[];
extern const char RANGE_FORMS[];

// Bytes of the longest character matched here in any encoding, and in the
// encoding in use.
const int MAX_FORM_BYTES = 3;
int FullWidth_Bytes();

// The ASCII character that the full-width character at the start of text
// stands for, if it is one of wanted; 0 otherwise. length is the number of
// bytes available; *bytes receives the character's byte count (1 for none).
int Typed_Ascii(const char* text, size_t length, const char* wanted, int* bytes);

// The text with each full-width character of wanted replaced by its ASCII form
// and every other byte as it was.
std::string Fold_FullWidth(const char* text, const char* wanted);

// A range text as the range parser reads it: in the name only the ideographic
// space and the full-width "(" are read as ASCII, after it all of RANGE_FORMS.
std::string Fold_RangeText(const char* text);

// True when the character that starts at position of text is a full-width
// ASCII form or the ideographic space (a position inside a character is none).
bool Is_FullWidthAt(const char* text, int position);

#endif
