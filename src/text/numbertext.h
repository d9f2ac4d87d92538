// The text of a number in reports: general notation with a given count of
// significant digits, exactly as std::to_chars(general, digits) writes it. Six
// digits (the default) take a path of their own that scales the number to a
// six-digit integer and rounds it, falling back to to_chars wherever that
// could differ (near a rounding tie, near a power of ten, outside the range
// where the scaling is exact enough).
#ifndef KANSU_NUMBERTEXT_H
#define KANSU_NUMBERTEXT_H

// Longest text of a number with up to 17 digits ("-1.2345678901234567e-308")
// plus room.
const int NUMBER_TEXT_SIZE = 32;
const int DEFAULT_DIGITS = 6;
const int MAX_DIGITS = 17;

// Writes the text (no terminator) and returns its length. NaN is not
// handled here: callers write it their own way.
int General_Text(double value, int digits, char* text);
// The same through to_chars only: the reference of the fast path.
int General_TextSlow(double value, int digits, char* text);
// The fast six-digit path; 0 when it cannot be sure and to_chars must write.
int Six_DigitText(double value, char* text);

#endif
