// The argument reduction in front of sin, cos and tan: exact remainders, and
// values that agree with the C library's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "formula/trigreduce.h"

namespace {

struct ReductionCase {
    double x;
    int quadrant;
    double high;  // x - k*pi/2 rounded, and the rest, worked out to 1400 bits of pi
    double low;
};

// Moderate arguments through both of its paths, large ones, negative ones, the
// double that comes closest to a multiple of pi/2, and the largest double.
const ReductionCase REDUCTIONS[] = {
    {0x1.0000000000000p+1, 1, 0x1.b7812aeef4b9fp-2, -0x1.a62633145c06ep-58},
    {-0x1.0000000000000p+1, 3, -0x1.b7812aeef4b9fp-2, 0x1.a62633145c06ep-58},
    {0x1.0000000000000p+0, 1, -0x1.243f6a8885a31p-1, 0x1.cb3b399d747f2p-55},
    {0x1.8000000000000p+2, 0, -0x1.21fb54442d184p-2, -0x1.a62633145c06ep-56},
    {0x1.f6a7a29553855p+4, 0, -0x1.2b07d7dfecb98p-45, -0x1.1324057342e19p-99},
    {0x1.eadfb4c5d3903p+14, 0, -0x1.2445a8d0ad2d3p-35, 0x1.334ed2ad70afcp-89},
    {0x1.7f7ec53a8d48bp+21, 0, -0x1.9eacd7c60e969p-29, -0x1.bfa9ada1ffdadp-84},
    {0x1.0f0cf064dd592p+73, 3, 0x1.19eab99633cd8p-1, -0x1.269e0fc062c98p-57},
    {-0x1.0f0cf064dd592p+73, 1, -0x1.19eab99633cd8p-1, 0x1.269e0fc062c98p-57},
    {0x1.6ac5b262ca1ffp+849, 1, 0x1.14ae72e6ba22fp-61, -0x1.73eef1477d90ep-118},
    {0x1.fffffffffffffp+1023, 2, -0x1.453020ff06b39p-8, -0x1.afad1027849e8p-62},
};

TEST(TrigReduce, RemainderIsExactWellBelowItsLastBit) {
    for (const ReductionCase& one : REDUCTIONS) {
        ReducedAngle angle = Reduce_Angle(one.x);
        EXPECT_EQ(one.quadrant, angle.quadrant) << std::hexfloat << one.x;
        EXPECT_EQ(one.high, angle.high) << std::hexfloat << one.x;
        EXPECT_NEAR(one.low, angle.low, std::ldexp(std::fabs(one.high), -68))
            << std::hexfloat << one.x;
    }
}

TEST(TrigReduce, SmallAndNonFiniteArgumentsAreLeftAlone) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double x : {0.5, -0.785, 0.0, inf}) {
        ReducedAngle angle = Reduce_Angle(x);
        EXPECT_EQ(0, angle.quadrant);
        EXPECT_EQ(x, angle.high);
        EXPECT_EQ(0.0, angle.low);
    }
    EXPECT_EQ(std::sin(0.5), Reduced_Sin(0.5));
    EXPECT_TRUE(std::isnan(Reduced_Sin(inf)) && std::isnan(Reduced_Cos(-inf)));
    EXPECT_TRUE(std::isnan(Reduced_Tan(std::nan(""))));
}

// Within one unit in the last place of the C library's result (here glibc's,
// which is correctly rounded for these), two for tan, whose odd quadrants take
// a division: near multiples of pi, as a formula such as
// sin(x*10*3.14159265358979) meets them, and in between.
TEST(TrigReduce, ValuesAgreeWithTheLibraryNearMultiplesOfPi) {
    auto within_ulps = [](double expected, double actual, int ulps) {
        double ulp = std::nextafter(std::fabs(expected), INFINITY) - std::fabs(expected);
        return std::fabs(expected - actual) <= ulps * ulp;
    };
    for (int i = -2000; i <= 2000; ++i) {
        for (double x : {i * 10 * 3.14159265358979, i * 1.5707963267949, i * 0.37 + 0.001,
                         i * 1e9 * 3.141592653589793}) {
            EXPECT_TRUE(within_ulps(std::sin(x), Reduced_Sin(x), 1)) << std::hexfloat << x;
            EXPECT_TRUE(within_ulps(std::cos(x), Reduced_Cos(x), 1)) << std::hexfloat << x;
            EXPECT_TRUE(within_ulps(std::tan(x), Reduced_Tan(x), 2)) << std::hexfloat << x;
        }
    }
}

// One reduction for both gives the very bits of the two separate calls.
TEST(TrigReduce, SinCosIsReducedSinAndReducedCos) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> angles = {0.0, -0.5, 0.785, 2.0, -2.0, 1e22, -1e300, inf, std::nan("")};
    for (const ReductionCase& one : REDUCTIONS) angles.push_back(one.x);
    for (int i = -400; i <= 400; ++i) angles.push_back(i * 0.7853981633974483 + i * 1e-3);
    for (double x : angles) {
        double sin_value = 0.0;
        double cos_value = 0.0;
        Reduced_SinCos(x, &sin_value, &cos_value);
        double sin_alone = Reduced_Sin(x);
        double cos_alone = Reduced_Cos(x);
        EXPECT_EQ(0, std::memcmp(&sin_value, &sin_alone, sizeof sin_value)) << std::hexfloat << x;
        EXPECT_EQ(0, std::memcmp(&cos_value, &cos_alone, sizeof cos_value)) << std::hexfloat << x;
    }
}

}  // namespace
