// Numbers typed at the console, read by formatted extraction as `in >> value`
// reads them, except that the full-width digits, signs, minus sign, full stop
// and ideographic space (fullwidth.h) are read as their ASCII forms.
#ifndef KANSU_TYPEDNUMBER_H
#define KANSU_TYPEDNUMBER_H

#include <istream>

// Skips blanks, then reads an optional sign and the digits after it, leaving
// the first other character in the stream. Value and stream state are those
// of `in >> value` on the same characters typed in ASCII.
std::istream& Read_TypedNumber(std::istream& in, int& value);
std::istream& Read_TypedNumber(std::istream& in, unsigned short& value);

// Consumes one character as in.get() does; a full-width character of the
// number forms counts as one.
void Skip_TypedCharacter(std::istream& in);

#endif
