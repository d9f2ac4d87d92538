#include "console/typednumber.h"

#include <locale>
#include <sstream>
#include <streambuf>
#include <string>

#include "text/fullwidth.h"

namespace {
typedef std::char_traits<char> Traits;

// The next typed character without consuming it: its ASCII reading when it is
// one of the number forms (bytes = its byte count), else the byte itself.
int Peek_Typed(std::streambuf* input, int* bytes) {
    *bytes = 1;
    int first = input->sgetc();
    if (first == Traits::eof() || first < 0x80) return first;
    // Look ahead by reading and put the bytes back: a full-width character
    // takes two bytes, or three in UTF-8.
    char seen[MAX_FORM_BYTES];
    int wanted = FullWidth_Bytes() < MAX_FORM_BYTES ? FullWidth_Bytes() : MAX_FORM_BYTES;
    int count = 0;
    int letter = first;
    while (true) {
        seen[count++] = Traits::to_char_type(letter);
        if (count == wanted) break;
        input->sbumpc();
        letter = input->sgetc();
        if (letter == Traits::eof()) break;
    }
    int taken = letter == Traits::eof() ? count : count - 1;
    for (int i = taken - 1; i >= 0; --i) input->sputbackc(seen[i]);
    int ascii = Typed_Ascii(seen, static_cast<size_t>(count), NUMBER_FORMS, bytes);
    return ascii != 0 ? ascii : first;
}

void Take(std::streambuf* input, int bytes) {
    for (int i = 0; i < bytes; ++i) input->sbumpc();
}

template <class Number>
std::istream& Read_Number(std::istream& in, Number& value) {
    std::istream::sentry ready(in, true);  // flushes the prompt; blanks are skipped below
    if (!ready) return in;
    const std::ctype<char>& classes = std::use_facet<std::ctype<char>>(in.getloc());
    std::streambuf* input = in.rdbuf();
    int bytes = 1;
    int letter = Peek_Typed(input, &bytes);
    while (letter != Traits::eof() &&
           classes.is(std::ctype_base::space, Traits::to_char_type(letter))) {
        Take(input, bytes);
        letter = Peek_Typed(input, &bytes);
    }
    if (letter == Traits::eof()) {
        in.setstate(std::ios::eofbit | std::ios::failbit);
        return in;
    }
    // Sign and digits, taken as extraction takes them; their value is then
    // that of the same characters extracted in ASCII.
    std::string number;
    if (letter == '+' || letter == '-') {
        number += static_cast<char>(letter);
        Take(input, bytes);
        letter = Peek_Typed(input, &bytes);
    }
    while (letter >= '0' && letter <= '9') {
        number += static_cast<char>(letter);
        Take(input, bytes);
        letter = Peek_Typed(input, &bytes);
    }
    std::ios::iostate state = std::ios::goodbit;
    if (number.empty()) {
        value = 0;  // as extraction stores when nothing converts
        state |= std::ios::failbit;
    } else {
        std::istringstream ascii(number);
        ascii.imbue(in.getloc());
        ascii >> value;
        if (ascii.fail()) state |= std::ios::failbit;
    }
    if (letter == Traits::eof()) state |= std::ios::eofbit;
    in.setstate(state);
    return in;
}
}  // namespace

std::istream& Read_TypedNumber(std::istream& in, int& value) { return Read_Number(in, value); }

std::istream& Read_TypedNumber(std::istream& in, unsigned short& value) {
    return Read_Number(in, value);
}

void Skip_TypedCharacter(std::istream& in) {
    int bytes = 1;
    if (in.good() && Peek_Typed(in.rdbuf(), &bytes) != Traits::eof() && bytes > 1) {
        Take(in.rdbuf(), bytes);
        return;
    }
    in.get();
}
