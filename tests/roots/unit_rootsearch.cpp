// The search of a range: each case's findings, in order and kind, each x
// within one double of the double nearest the closed form; extrema also by f
// alone, without the slope (where f is flat in doubles around them, within
// the case's tolerance).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "roots/rootsearch.h"
#include "roots/signchange.h"

namespace {
const long double PI = 3.141592653589793238462643383279502884L;

class Native : public SearchedFunction {
public:
    typedef long double (*Slope_Of)(long double);
    explicit Native(double (*f)(double), double fail_above = INFINITY, Slope_Of slope = nullptr)
        : f_(f), fail_(fail_above), slope_(slope) {}
    bool Value(double x, double* value) override {
        ++calls;
        *value = f_(x);
        return x <= fail_;
    }
    bool Slope(double x, long double* slope) override {
        if (slope_ != nullptr) *slope = slope_(x);
        return slope_ != nullptr;
    }
    long long calls = 0;

private:
    double (*f_)(double);
    double fail_;
    Slope_Of slope_;
};

// One double either side of the double nearest the closed form.
::testing::AssertionResult Within_OneDouble(double x, long double wanted) {
    double nearest = static_cast<double>(wanted);
    if ((x < nearest ? Doubles_Between(x, nearest) : Doubles_Between(nearest, x)) <= 1)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << x << " against " << nearest;
}

struct Case {
    const char* name;
    double (*f)(double);
    std::vector<SearchGrid> grids;  // each searched
    std::string kinds;  // of the findings in order: Root, Pole, Jump, v minimum, ^ maximum
    std::vector<long double> xs;  // their closed forms
    Native::Slope_Of slope;       // f', for extrema: searched with and without; none: no extrema
    double tolerance;             // of the others than roots by f alone; 0: one double either side
};

Case Row(const char* name, double (*f)(double), std::vector<SearchGrid> grids, const char* kinds,
         std::vector<long double> xs, Native::Slope_Of slope = nullptr, double tolerance = 0) {
    return Case{name, f, grids, kinds, xs, slope, tolerance};
}

long double Cubic_Root() {  // x^3 - 2x - 5 = 0 by Cardano
    long double d = std::sqrt(25.0L / 4 - 8.0L / 27);
    return std::cbrt(2.5L + d) + std::cbrt(2.5L - d);
}
// Half the stretch around an extremum of x^3-3x, x^3-2x or exp(x)-2x where the
// doubles round f to its extreme value: f'' d^2 / 2 is below an ulp of f.
const double FLAT = 2e-8;
const long double R2 = std::sqrt(2.0L), R3 = std::sqrt(3.0L), R23 = std::sqrt(2 / 3.0L);

const std::vector<Case> CASES = {
    Row("sin", [](double x) { return std::sin(x); }, {{-10, 10, 1000}}, "RRRRRRR",
        {-3 * PI, -2 * PI, -PI, 0, PI, 2 * PI, 3 * PI}),
    Row("x^2-2", [](double x) { return x * x - 2; }, {{-3, 3, 1000}}, "RR", {-R2, R2}),
    // Grid brackets of a few dozen, of a few and of two adjacent doubles.
    Row("x^2-2 narrow", [](double x) { return x * x - 2; },
        {{1.41421356237309, 1.4142135623731, 10},
         {1.414213562373094, 1.414213562373096, 3},
         {1.4142135623730949, 1.4142135623730951, 1}},
        "R", {R2}),
    Row("exp(x)-2", [](double x) { return std::exp(x) - 2; }, {{-3, 3, 1000}}, "R",
        {std::log(2.0L)}),
    Row("x^3-2x-5", [](double x) { return x * x * x - 2 * x - 5; }, {{-3, 3, 1000}}, "R",
        {Cubic_Root()}),
    Row("tan", [](double x) { return std::tan(x); }, {{-5, 5, 1000}}, "PRPRPRP",
        {-3 * PI / 2, -PI, -PI / 2, 0, PI / 2, PI, 3 * PI / 2}),
    // 0 on the grid, then between.
    Row("1/x", [](double x) { return 1 / x; }, {{-1, 1, 1000}, {-1, 1, 999}}, "P", {0}),
    Row("(x-1)^3", [](double x) { return std::pow(x - 1, 3); }, {{-3, 3.1, 1000}}, "R", {1}),
    Row("sqrt(x)-0.5, NaN below 0", [](double x) { return std::sqrt(x) - 0.5; }, {{-1, 1, 999}},
        "R", {0.25L}),
    // A step is a jump, also where |f| is smaller beside it than on the grid.
    Row(
        "step", [](double x) { return std::copysign(1 + std::fabs(x), x); }, {{-1, 1, 999}}, "J",
        {0}, nullptr, 1e-300),
    // A step whose middle has no value (0/0): a jump there, f not a number.
    Row("step through nan", [](double x) { return std::fabs(x - 0.5) / (x - 0.5) + 0.3; },
        {{-1, 2, 3}}, "J", {0.5L}),
    Row(
        "small step", [](double x) { return std::copysign(1e-6 + std::fabs(x), x); },
        {{-1, 1, 999}}, "J", {0}, nullptr, 1e-300),
    Row(
        "x^3-3x", [](double x) { return x * x * x - 3 * x; }, {{-3, 3, 1000}}, "R^RvR",
        {-R3, -1, 0, 1, R3}, [](long double x) { return 3 * x * x - 3; }, FLAT),
    Row(
        "x^3-2x", [](double x) { return x * x * x - 2 * x; }, {{-2, 2.1, 1000}}, "R^RvR",
        {-R2, -R23, 0, R23, R2}, [](long double x) { return 3 * x * x - 2; }, FLAT),
    Row(
        "exp(x)-2x", [](double x) { return std::exp(x) - 2 * x; }, {{-1, 2, 999}}, "v",
        {std::log(2.0L)}, [](long double x) { return std::exp(x) - 2; }, FLAT),
    // The grid's highest point before a pole is no maximum; tan' changes no sign.
    Row(
        "tan --extrema", [](double x) { return std::tan(x); }, {{-2, 2, 999}}, "PRP",
        {-PI / 2, 0, PI / 2}, [](long double x) { return 1 + std::tan(x) * std::tan(x); }),
    Row(
        "cos", [](double x) { return std::cos(x); }, {{-7, 7, 1000}}, "^RvR^RvR^",
        {-2 * PI, -3 * PI / 2, -PI, -PI / 2, 0, PI / 2, PI, 3 * PI / 2, 2 * PI},
        [](long double x) { return -std::sin(x); }),
    // Touching zero without a sign change: a minimum, not a root.
    Row(
        "(x-1)^2", [](double x) { return (x - 1) * (x - 1); }, {{-3, 3.1, 1000}}, "v", {1},
        [](long double x) { return 2 * (x - 1); }),
    // f' is 0 on a stretch (f exactly 1 in doubles): its middle, as f alone finds it.
    Row(
        "|x-0.5|+|x+0.5|", [](double x) { return std::fabs(x - 0.5) + std::fabs(x + 0.5); },
        {{-2, 2.1, 1000}}, "v", {0}, [](long double x) { return (x > 0.5L) - (x < -0.5L) + 0.0L; }),
    // A pole, 0 between grid points, then on the grid.
    Row(
        "1/x^2", [](double x) { return 1 / (x * x); }, {{-1, 1, 999}, {-1, 1, 1000}}, "P", {0},
        [](long double x) { return -2 / (x * x * x); }),
};

FindingKind Kind(char letter) {  // of Case::kinds
    return std::vector<FindingKind>{FindingKind::ROOT, FindingKind::POLE, FindingKind::JUMP,
                                    FindingKind::MINIMUM, FindingKind::MAXIMUM}
        .at(std::string("RPJv^").find(letter));
}

void Check_Case(const Case& c, const SearchGrid& grid, Native::Slope_Of slope) {
    Native f(c.f, INFINITY, slope);
    SearchResult result = Search_Range(f, grid, c.slope != nullptr);
    EXPECT_FALSE(result.failed);
    EXPECT_FALSE(result.zero_everywhere);
    EXPECT_FALSE(result.crowded);
    ASSERT_EQ(result.findings.size(), c.xs.size());
    for (size_t i = 0; i < c.xs.size(); ++i) {
        const Finding& found = result.findings[i];
        double nearest = static_cast<double>(c.xs[i]);
        SCOPED_TRACE(i);
        EXPECT_EQ(found.kind, Kind(c.kinds.at(i)));
        double value = c.f(found.x);
        EXPECT_TRUE(found.value == value || (std::isnan(found.value) && std::isnan(value)))
            << "f(x) is f at the x written";
        if (c.tolerance > 0 && c.kinds[i] != 'R' && slope == nullptr)
            EXPECT_NEAR(found.x, nearest, c.tolerance);
        else if (nearest == 0)
            EXPECT_EQ(found.x, 0.0);
        else
            EXPECT_TRUE(Within_OneDouble(found.x, c.xs[i]));
    }
}

TEST(RootSearch, FindsEachCaseOnce) {
    for (const Case& c : CASES) {
        for (const SearchGrid& grid : c.grids) {
            SCOPED_TRACE(std::string(c.name) + " over " + std::to_string(grid.step_number));
            Check_Case(c, grid, nullptr);
            if (c.slope != nullptr) Check_Case(c, grid, c.slope);
        }
    }
}

// x sin(1/x) has roots 1/(k pi) that crowd towards 0: the grid resolves those
// between points of different signs; each of those is listed once, within
// one double of its closed form, and none where the grid saw no sign change.
TEST(RootSearch, CrowdedRootsAreThoseTheGridResolves) {
    auto f = [](double x) { return x * std::sin(1 / x); };
    SearchGrid grid{0.003, 0.1, 1000};
    Native native(f);
    SearchResult result = Search_Range(native, grid, false);
    int resolved = 0;
    double step = (grid.max_value - grid.min_value) / grid.step_number;
    for (int i = 0; i < grid.step_number; ++i)
        if ((f(i * step + grid.min_value) < 0) != (f((i + 1) * step + grid.min_value) < 0))
            ++resolved;
    // 1/(k pi) lies in the range for k = 4 to 106; the grid resolves 67 of them.
    RecordProperty("resolved", resolved);
    EXPECT_GT(resolved, 50);
    EXPECT_LT(resolved, 103);
    ASSERT_EQ(static_cast<int>(result.findings.size()), resolved);
    EXPECT_TRUE(result.crowded);
    double last = 0;
    for (const Finding& found : result.findings) {
        EXPECT_EQ(found.kind, FindingKind::ROOT);
        EXPECT_GT(found.x, last);
        last = found.x;
        long double k = std::round(1 / (found.x * PI));
        EXPECT_TRUE(Within_OneDouble(found.x, 1 / (k * PI)));
    }
}

TEST(RootSearch, ZeroEverywhereAndFailures) {
    Native zero([](double x) { return x - x; });
    SearchResult result = Search_Range(zero, SearchGrid{0.1, 1.0 / 3, 100}, true);
    EXPECT_TRUE(result.zero_everywhere);
    EXPECT_TRUE(result.findings.empty());
    // A zero on part of the grid is a root at each point, not "everywhere".
    Native part([](double x) { return x + std::fabs(x); });
    result = Search_Range(part, SearchGrid{-0.3, 1.0 / 3, 4}, false);
    EXPECT_FALSE(result.zero_everywhere);
    EXPECT_EQ(result.findings.size(), 2u);
    // A failure while narrowing ends the search as failed.
    Native failing([](double x) { return x - 0.1; }, 0.05);
    result = Search_Range(failing, SearchGrid{-1, 1, 10}, false);
    EXPECT_TRUE(result.failed);
    EXPECT_TRUE(result.findings.empty());
    // Zero up to a failure is no answer: not "zero everywhere".
    Native zero_failing([](double x) { return x - x; }, 0.5);
    result = Search_Range(zero_failing, SearchGrid{0, 1, 10}, false);
    EXPECT_TRUE(result.failed);
    EXPECT_FALSE(result.zero_everywhere);
}

// The sweep of 10^6 divisions costs its points and a few dozen more per root.
TEST(RootSearch, NarrowingCostsLittle) {
    Native f([](double x) { return std::sin(x); });
    SearchResult result = Search_Range(f, SearchGrid{-100, 100.1, 1000000}, true);
    EXPECT_EQ(result.findings.size(), 64u + 63u);  // roots -31pi..31pi, extrema
    EXPECT_LT(f.calls, 1000001 + 300 * 127);
}
}  // namespace
