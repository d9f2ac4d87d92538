#include "text/numbertext.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace {

// 10^k for k = -15 .. 21, the nearest doubles (exact from 10^0 up).
const int LOWEST_POWER = -15;
const double POWERS_OF_TEN[] = {1e-15, 1e-14, 1e-13, 1e-12, 1e-11, 1e-10, 1e-9, 1e-8, 1e-7, 1e-6,
                                1e-5,  1e-4,  1e-3,  1e-2,  1e-1,  1e0,   1e1,  1e2,  1e3,  1e4,
                                1e5,   1e6,   1e7,   1e8,   1e9,   1e10,  1e11, 1e12, 1e13, 1e14,
                                1e15,  1e16,  1e17,  1e18,  1e19,  1e20,  1e21};
const int HIGHEST_POWER = 21;

double Power_Of_Ten(int exponent) { return POWERS_OF_TEN[exponent - LOWEST_POWER]; }

// The scaled number carries a relative error of a few units in 2^-53, far
// below these margins: a fraction this close to one half, or a scaled number
// this close to the ends of [10^5, 10^6), goes to to_chars.
const double TIE_MARGIN = 1e-7;
const double LOWEST_SCALED = 100000.01;
const double HIGHEST_SCALED = 999999.0;

// Decimal exponent of a, or one less: floor(binary exponent * log10(2)).
int Estimated_Exponent(double a) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &a, sizeof bits);
    int binary_exponent = static_cast<int>((bits >> 52) & 0x7ff) - 1023;
    // 78913 / 2^18 is log10(2) to within 2^-20; the shift floors negatives too.
    return (binary_exponent * 78913) >> 18;
}

char* Write_Digits(char* out, const char* digits, int count) {
    std::memcpy(out, digits, static_cast<size_t>(count));
    return out + count;
}

// digits[0..5] and the decimal exponent as %g writes them.
int Write_General(bool negative, const char* digits, int exponent, char* text) {
    char* out = text;
    if (negative) *out++ = '-';
    int used = 6;
    while (used > 1 && digits[used - 1] == '0') --used;
    if (exponent < -4 || exponent >= 6) {
        *out++ = digits[0];
        if (used > 1) {
            *out++ = '.';
            out = Write_Digits(out, digits + 1, used - 1);
        }
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        int magnitude = exponent < 0 ? -exponent : exponent;
        *out++ = static_cast<char>('0' + magnitude / 10);
        *out++ = static_cast<char>('0' + magnitude % 10);
    } else if (exponent >= 0) {
        int whole = exponent + 1;
        out = Write_Digits(out, digits, whole);
        if (used > whole) {
            *out++ = '.';
            out = Write_Digits(out, digits + whole, used - whole);
        }
    } else {
        *out++ = '0';
        *out++ = '.';
        for (int zero = -1; zero > exponent; --zero) *out++ = '0';
        out = Write_Digits(out, digits, used);
    }
    return static_cast<int>(out - text);
}

}  // namespace

int General_TextSlow(double value, int digits, char* text) {
    std::to_chars_result result =
        std::to_chars(text, text + NUMBER_TEXT_SIZE, value, std::chars_format::general, digits);
    return static_cast<int>(result.ptr - text);
}

int Six_DigitText(double value, char* text) {
    bool negative = value < 0.0;
    double a = negative ? -value : value;
    // Also false for 0, infinities and NaN.
    if (!(a >= 1e-15 && a < 1e20)) return 0;
    int exponent = Estimated_Exponent(a);
    double scaled = a * Power_Of_Ten(5 - exponent);
    if (scaled >= 1000000.0) {
        ++exponent;
        if (5 - exponent < LOWEST_POWER) return 0;
        scaled = a * Power_Of_Ten(5 - exponent);
    } else if (scaled < 100000.0) {
        --exponent;
        if (5 - exponent > HIGHEST_POWER) return 0;
        scaled = a * Power_Of_Ten(5 - exponent);
    }
    if (scaled < LOWEST_SCALED || scaled >= HIGHEST_SCALED) return 0;
    std::int32_t whole = static_cast<std::int32_t>(scaled);
    double fraction = scaled - whole;
    if (fraction > 0.5 - TIE_MARGIN && fraction < 0.5 + TIE_MARGIN) return 0;
    if (fraction > 0.5) ++whole;
    char digits[6];
    for (int i = 5; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    }
    return Write_General(negative, digits, exponent, text);
}

int General_Text(double value, int digits, char* text) {
    if (digits == DEFAULT_DIGITS) {
        int length = Six_DigitText(value, text);
        if (length > 0) return length;
    }
    return General_TextSlow(value, digits, text);
}
