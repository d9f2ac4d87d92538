#include "formula/trigreduce.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

// sin, cos and tan reduce their argument here, by multiples of pi/2, before the
// platform's routines see it: the routines then only work on |r| <= pi/4, where
// every platform is accurate, and large arguments give the same values on all
// of them (some libraries lose digits near large multiples of pi).
namespace {

// pi/4 rounded down: below it no reduction is needed.
const double QUARTER_PI = 0x1.921fb54442d18p-1;
const double TWO_OVER_PI = 0x1.45f306dc9c883p-1;
// pi/2 in pieces of 33 significant bits, so that k * piece is exact for
// |k| < 2^20, and a last piece that completes it to about 150 bits.
const double HALF_PI_PIECES[4] = {0x1.921fb544p+0, 0x1.0b4611a6p-34, 0x1.3198a2ep-69,
                                  0x1.b839a252049c1p-104};
const double LARGEST_MULTIPLE = 0x1p20;
// pi/2 minus its first piece, rounded to a double.
const double HALF_PI_REST = 0x1.0b4611a626331p-34;
// pi/2 as a double-double.
const double HALF_PI_HIGH = 0x1.921fb54442d18p+0;
const double HALF_PI_LOW = 0x1.1a62633145c07p-54;

// The binary digits of 2/pi, 24 to an entry: enough for the largest double.
const std::uint32_t TWO_OVER_PI_DIGITS[] = {
    0xA2F983, 0x6E4E44, 0x1529FC, 0x2757D1, 0xF534DD, 0xC0DB62, 0x95993C, 0x439041, 0xFE5163,
    0xABDEBB, 0xC561B7, 0x246E3A, 0x424DD2, 0xE00649, 0x2EEA09, 0xD1921C, 0xFE1DEB, 0x1CB129,
    0xA73EE8, 0x8235F5, 0x2EBB44, 0x84E99C, 0x7026B4, 0x5F7E41, 0x3991D6, 0x398353, 0x39F49C,
    0x845F8B, 0xBDF928, 0x3B1FF8, 0x97FFDE, 0x05980F, 0xEF2F11, 0x8B5A0A, 0x6D1F6D, 0x367ECF,
    0x27CB09, 0xB74F46, 0x3F669E, 0x5FEA2D, 0x7527BA, 0xC7EBE5, 0xF17B3D, 0x0739F7, 0x8A5292,
    0xEA6BFB, 0x5FB11F, 0x8D5D08, 0x560330, 0x46FC7B, 0x6BABF0, 0xCFBC20,
};
const int DIGIT_BITS = 24;
const std::uint64_t DIGIT_MASK = (1u << DIGIT_BITS) - 1;
const int DIGIT_COUNT = sizeof TWO_OVER_PI_DIGITS / sizeof TWO_OVER_PI_DIGITS[0];
// Digits of 2/pi used below the integer part: 9 * 24 bits leave more than 120
// correct bits in the fraction, beyond the closest any double comes to a
// multiple of pi/2.
const int WINDOW = 9;

// Sum of two doubles as a rounded sum and its exact error.
void Two_Sum(double a, double b, double& sum, double& error) {
    sum = a + b;
    double b_part = sum - a;
    error = (a - (sum - b_part)) + (b - b_part);
}

// Splits a double into two halves of 26 bits whose products are exact.
void Split(double a, double& high, double& low) {
    double scaled = a * 134217729.0;  // 2^27 + 1
    high = scaled - (scaled - a);
    low = a - high;
}

// Product of two doubles as a rounded product and its exact error.
void Two_Product(double a, double b, double& product, double& error) {
    product = a * b;
    double a_high, a_low, b_high, b_low;
    Split(a, a_high, a_low);
    Split(b, b_high, b_low);
    error = ((a_high * b_high - product) + a_high * b_low + a_low * b_high) + a_low * b_low;
}

// x - k*pi/2 for |k| < 2^20 with all pieces of pi/2: the first product is
// exact and cancels exactly, the others are summed with their rounding errors.
ReducedAngle Reduce_Moderate(double x, double k) {
    double high = x - k * HALF_PI_PIECES[0];
    double low = 0.0;
    for (int i = 1; i < 4; ++i) {
        double error;
        Two_Sum(high, -(k * HALF_PI_PIECES[i]), high, error);
        low += error;
    }
    ReducedAngle angle;
    Two_Sum(high, low, angle.high, angle.low);
    angle.quadrant = static_cast<int>(static_cast<std::int64_t>(k) & 3);
    return angle;
}

// Bits [from, from + count) of a number held in 24-bit digits, count <= 24.
std::uint64_t Bits_Of(const std::uint64_t* digits, int digit_count, int from, int count) {
    std::uint64_t value = 0;
    for (int d = from / DIGIT_BITS; d <= (from + count - 1) / DIGIT_BITS && d < digit_count; ++d) {
        int shift = d * DIGIT_BITS - from;
        value |= shift >= 0 ? digits[d] << shift : digits[d] >> -shift;
    }
    return value & ((std::uint64_t(1) << count) - 1);
}

// mantissa * 2^exponent * 2/pi in 24-bit digits, least significant first, with
// only the digits of 2/pi that reach below the weight 4: the integer part
// modulo 4 and the fraction. Returns the number of fraction bits.
const int PRODUCT_DIGITS = WINDOW + 3;
int Times_TwoOverPi(std::uint64_t mantissa, int exponent, std::uint64_t* product) {
    int first = exponent >= 2 ? (exponent - 2) / DIGIT_BITS : 0;
    std::uint64_t parts[3] = {mantissa & DIGIT_MASK, (mantissa >> DIGIT_BITS) & DIGIT_MASK,
                              mantissa >> (2 * DIGIT_BITS)};
    for (int d = 0; d < PRODUCT_DIGITS; ++d) product[d] = 0;
    for (int i = 0; i < WINDOW && first + i < DIGIT_COUNT; ++i)
        for (int p = 0; p < 3; ++p)
            product[WINDOW - 1 - i + p] += parts[p] * TWO_OVER_PI_DIGITS[first + i];
    for (int d = 0; d + 1 < PRODUCT_DIGITS; ++d) {
        product[d + 1] += product[d] >> DIGIT_BITS;
        product[d] &= DIGIT_MASK;
    }
    return DIGIT_BITS * (first + WINDOW) - exponent;
}

// The fraction bits of the product as a double-double, or their complement
// (1 - fraction, to the last bit), which keeps every bit of a small remainder.
void Fraction_Of(const std::uint64_t* product, int fraction_bits, bool complement, double& high,
                 double& low) {
    high = 0.0;
    low = 0.0;
    for (int d = 0; d * DIGIT_BITS < fraction_bits; ++d) {
        int count = std::min(DIGIT_BITS, fraction_bits - d * DIGIT_BITS);
        std::uint64_t digit = Bits_Of(product, PRODUCT_DIGITS, d * DIGIT_BITS, count);
        if (complement) digit = ~digit & ((std::uint64_t(1) << count) - 1);
        double error;
        Two_Sum(high, std::ldexp(static_cast<double>(digit), d * DIGIT_BITS - fraction_bits), high,
                error);
        low += error;
    }
}

// x - k*pi/2 for any finite x, exactly: x * 2/pi is worked out modulo 4 with
// integers, x being a 53-bit integer times a power of two.
ReducedAngle Reduce_Large(double x) {
    int exponent;
    double mantissa = std::frexp(std::fabs(x), &exponent);
    std::uint64_t product[PRODUCT_DIGITS];
    int fraction_bits = Times_TwoOverPi(static_cast<std::uint64_t>(std::ldexp(mantissa, 53)),
                                        exponent - 53, product);
    int quadrant = static_cast<int>(Bits_Of(product, PRODUCT_DIGITS, fraction_bits, 2));
    // A fraction of one half or more counts from the next quadrant, negatively.
    bool negative = Bits_Of(product, PRODUCT_DIGITS, fraction_bits - 1, 1) != 0;
    double high, low;
    Fraction_Of(product, fraction_bits, negative, high, low);
    // The remainder in radians: (high + low) * pi/2.
    ReducedAngle angle;
    double error;
    Two_Product(high, HALF_PI_HIGH, angle.high, error);
    error += high * HALF_PI_LOW + low * HALF_PI_HIGH;
    Two_Sum(angle.high, error, angle.high, angle.low);
    if (negative) quadrant += 1;
    if (negative != (x < 0)) {
        angle.high = -angle.high;
        angle.low = -angle.low;
    }
    angle.quadrant = (x < 0 ? -quadrant : quadrant) & 3;
    return angle;
}

ReducedAngle Reduce_Slow(double x, double k) {
    if (std::fabs(k) < LARGEST_MULTIPLE) return Reduce_Moderate(x, k);
    return Reduce_Large(x);
}

// The reduction of |x| > pi/4, false for smaller or non-finite x. Inline: the
// common case, a small k and a remainder that is not small, costs a few
// operations, since pi/2 to 86 bits then leaves an error below 2^-16 of the
// remainder's last bit.
inline bool Reduce(double x, ReducedAngle& angle) {
    if (!(std::fabs(x) > QUARTER_PI) || !std::isfinite(x)) return false;
    // Rounds to the nearest integer: adding 1.5 * 2^52 leaves no fraction bits
    // (much faster than nearbyint, which saves and restores the FP environment).
    const double ROUNDER = 0x1.8p52;
    double k = (x * TWO_OVER_PI + ROUNDER) - ROUNDER;
    double high = x - k * HALF_PI_PIECES[0];
    double rest = k * HALF_PI_REST;
    angle.high = high - rest;
    if (std::fabs(k) < 0x1p10 && std::fabs(angle.high) > 0x1p-6) {
        angle.low = (high - angle.high) - rest;
        angle.quadrant = static_cast<int>(k) & 3;
    } else {
        angle = Reduce_Slow(x, k);
    }
    return true;
}

// sin, cos and tan of the remainder high + low, |low| at most half an ulp of
// high: the platform's value at high, corrected to first order by low.
double Sin_Of(const ReducedAngle& r) {
    return std::sin(r.high) + r.low * (1.0 - r.high * r.high * 0.5);
}
double Cos_Of(const ReducedAngle& r) {
    const double SIXTH = 1.0 / 6.0;
    return std::cos(r.high) - r.low * r.high * (1.0 - r.high * r.high * SIXTH);
}

}  // namespace

ReducedAngle Reduce_Angle(double x) {
    ReducedAngle angle = {0, x, 0.0};
    Reduce(x, angle);
    return angle;
}

double Reduced_Sin(double x) {
    ReducedAngle r;
    if (!Reduce(x, r)) return std::sin(x);
    switch (r.quadrant) {
    case 0: return Sin_Of(r);
    case 1: return Cos_Of(r);
    case 2: return -Sin_Of(r);
    default: return -Cos_Of(r);
    }
}

double Reduced_Cos(double x) {
    ReducedAngle r;
    if (!Reduce(x, r)) return std::cos(x);
    switch (r.quadrant) {
    case 0: return Cos_Of(r);
    case 1: return -Sin_Of(r);
    case 2: return -Cos_Of(r);
    default: return Sin_Of(r);
    }
}

void Reduced_SinCos(double x, double* sin_value, double* cos_value) {
    ReducedAngle r;
    if (!Reduce(x, r)) {
        *sin_value = std::sin(x);
        *cos_value = std::cos(x);
        return;
    }
    double sin_r = Sin_Of(r);
    double cos_r = Cos_Of(r);
    // As in Reduced_Sin and Reduced_Cos: each quadrant turns (sin, cos) into (cos, -sin).
    double turned_sin = r.quadrant % 2 == 0 ? sin_r : cos_r;
    double turned_cos = r.quadrant % 2 == 0 ? cos_r : sin_r;
    *sin_value = r.quadrant >= 2 ? -turned_sin : turned_sin;
    *cos_value = r.quadrant == 1 || r.quadrant == 2 ? -turned_cos : turned_cos;
}

double Reduced_Tan(double x) {
    ReducedAngle r;
    if (!Reduce(x, r)) return std::tan(x);
    double t = std::tan(r.high);
    double correction = r.low * (1.0 + t * t);
    if (r.quadrant % 2 == 0) return t + correction;
    // In the odd quadrants tan is -1/tan(r).
    double inverse = 1.0 / t;
    return -(inverse - correction * inverse * inverse);
}
