// The six-digit writer against std::to_chars(general, 6), byte for byte, on a
// sample of doubles: random bit patterns, every power of ten and its
// neighbours, ties and near-ties at the sixth digit, subnormals, zeros,
// infinities and NaN. KANSU_NUMBER_SAMPLES sets the random sample's size
// (default 2 000 000; the fast writer was run once on 10^8 and more).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "text/numbertext.h"

namespace {

double From_Bits(uint64_t bits) {
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string Fast(double value) {
    char text[NUMBER_TEXT_SIZE];
    return std::string(text, static_cast<size_t>(General_Text(value, DEFAULT_DIGITS, text)));
}

std::string Slow(double value, int digits = DEFAULT_DIGITS) {
    char text[NUMBER_TEXT_SIZE];
    return std::string(text, static_cast<size_t>(General_TextSlow(value, digits, text)));
}

bool Takes_FastPath(double value) {
    char text[NUMBER_TEXT_SIZE];
    return Six_DigitText(value, text) > 0;
}

// Compares value and its 3 neighbours on either side; counts the fast ones.
void Expect_Same(double value, long* fast) {
    for (int step = -3; step <= 3; ++step) {
        double near = value;
        for (int i = 0; i < std::abs(step); ++i)
            near = std::nextafter(near, step < 0 ? -INFINITY : INFINITY);
        ASSERT_EQ(Slow(near), Fast(near)) << std::hexfloat << near;
        if (Takes_FastPath(near)) ++*fast;
    }
}

long Sample_Size() {
    const char* given = std::getenv("KANSU_NUMBER_SAMPLES");
    return given != nullptr ? std::atol(given) : 2000000;
}

TEST(SixDigitWriter, RandomBitPatterns) {
    std::mt19937_64 random(20261207);
    long samples = Sample_Size();
    long fast = 0;
    for (long i = 0; i < samples; ++i) {
        double value = From_Bits(random());
        if (std::isnan(value)) continue;
        ASSERT_EQ(Slow(value), Fast(value)) << std::hexfloat << value;
        if (Takes_FastPath(value)) ++fast;
    }
    // Random bit patterns spread over all exponents; about 1/60 fall where
    // the fast path works.
    EXPECT_GT(fast, samples / 100);
}

TEST(SixDigitWriter, OrdinaryNumbersTakeTheFastPath) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 18);
    long samples = Sample_Size() / 4;
    long fast = 0;
    for (long i = 0; i < samples; ++i) {
        double value = mantissa(random) * std::pow(10.0, exponent(random));
        ASSERT_EQ(Slow(value), Fast(value)) << std::hexfloat << value;
        if (Takes_FastPath(value)) ++fast;
    }
    EXPECT_GT(fast, samples * 99 / 100);
}

TEST(SixDigitWriter, PowersOfTenTiesAndEdges) {
    long fast = 0;
    for (int exponent = -330; exponent <= 310; ++exponent) {
        std::string power = "1e" + std::to_string(exponent);
        Expect_Same(std::strtod(power.c_str(), nullptr), &fast);
        Expect_Same(-std::strtod(power.c_str(), nullptr), &fast);
        // 9.999995eN rounds up to the next power; d.dddd5 is a tie at the 6th digit.
        for (const char* digits : {"9.999995e", "9.99999e", "1.000005e", "1.234565e", "5.000005e",
                                   "2.5e", "1.0000049999e", "9.9999949999e"}) {
            std::string text = digits + std::to_string(exponent);
            Expect_Same(std::strtod(text.c_str(), nullptr), &fast);
        }
    }
    // Exact ties of integers and halves.
    for (double value : {1234565.0, 1234575.0, 100000.5, 999999.5, 9999995.0, 0.5, 2.5, 1e22, 1e21,
                         1e20 - 1e4, 123456.5, 654321.5})
        Expect_Same(value, &fast);
    EXPECT_GT(fast, 400);
}

TEST(SixDigitWriter, SubnormalsZerosAndInfinities) {
    long fast = 0;
    const double inf = std::numeric_limits<double>::infinity();
    for (double value : {0.0, -0.0, inf, -inf, std::numeric_limits<double>::denorm_min(),
                         std::numeric_limits<double>::min(), std::numeric_limits<double>::max(),
                         -std::numeric_limits<double>::max(), From_Bits(0x000fffffffffffffULL)}) {
        EXPECT_EQ(Slow(value), Fast(value)) << std::hexfloat << value;
        if (value == value && std::isfinite(value)) Expect_Same(value, &fast);
    }
    char text[NUMBER_TEXT_SIZE];
    EXPECT_EQ(0, Six_DigitText(std::nan(""), text));
}

// Other digit counts are to_chars' own text.
TEST(SixDigitWriter, OtherDigitCountsAreToChars) {
    char text[NUMBER_TEXT_SIZE];
    struct Case {
        double value;
        int digits;
        const char* expected;
    };
    const Case cases[] = {
        {0.1, 17, "0.10000000000000001"},
        {100.0 / 3, 1, "3e+01"},
        {100.0 / 3, 10, "33.33333333"},
        {2.0 / 3, 17, "0.66666666666666663"},
        {-2.5, 1, "-2"},
        {123456.0, 6, "123456"},
    };
    for (const Case& one : cases) {
        EXPECT_EQ(one.expected,
                  std::string(text, static_cast<size_t>(General_Text(one.value, one.digits, text))))
            << one.value << " with " << one.digits;
    }
}

}  // namespace
