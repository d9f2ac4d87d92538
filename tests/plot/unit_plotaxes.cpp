// Axes of kansu plot: the choice of nice ticks, ranges with margins and equal
// scales, and the mapping of values to picture coordinates.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "plot/plotaxes.h"
#include "plot/shownrange.h"

namespace {

struct TickCase {
    double low, high;
    int max_count;
    std::vector<std::string> labels;
};

// Corner labels: the ticks' digits when the end lies on them, else one more.
TEST(PlotAxes, RangeEndsAreLabelledLikeTheTicks) {
    const struct {
        double value, low, high;
        int max_count;
        const char* label;
    } cases[] = {
        {-1.71809, -1.71809, 1.72409, 8, "-1.72"},
        {1.72409, -1.71809, 1.72409, 8, "1.72"},
        {3.16, -1.16, 3.16, 8, "3.2"},
        {-1, -1, 2, 10, "-1.0"},
        {1.0 / 3, 0, 1.0 / 3, 10, "0.333"},
        {2.2e8 / 3, 0, 2.2e8 / 3, 4, "7.3e+07"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rounded_Label(c.value, AxisRange{c.low, c.high}, c.max_count), c.label)
            << c.value;
}

TEST(PlotAxes, TicksAreOneTwoOrFiveTimesAPowerOfTen) {
    const TickCase cases[] = {
        {0, 1, 10, {"0.0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1.0"}},
        {0, 1, 5, {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}},
        {-20, 20, 10, {"-20", "-15", "-10", "-5", "0", "5", "10", "15", "20"}},
        {-0.23, 1.04, 8, {"-0.2", "0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}},
        {0.5, 99.5, 10, {"10", "20", "30", "40", "50", "60", "70", "80", "90"}},
        {1000000,
         1000001,
         5,
         {"1000000.0", "1000000.2", "1000000.4", "1000000.6", "1000000.8", "1000001.0"}},
        {0, 3e7, 4, {"0", "1e+07", "2e+07", "3e+07"}},
        {1e-9, 5e-9, 4, {"1e-09", "2e-09", "3e-09", "4e-09", "5e-09"}},
        {-3, -2.9, 2, {"-3.00", "-2.95", "-2.90"}},
        {0.1,
         0.15,
         10,
         {"0.100", "0.105", "0.110", "0.115", "0.120", "0.125", "0.130", "0.135", "0.140", "0.145",
          "0.150"}},
        {2, 1, 10, {}},           // an empty range has no tick
        {0, 1e308 * 10, 10, {}},  // nor one that is not finite
    };
    for (const TickCase& c : cases) {
        AxisTicks ticks = Choose_Ticks(AxisRange{c.low, c.high}, c.max_count);
        EXPECT_EQ(ticks.labels, c.labels) << c.low << ".." << c.high;
        EXPECT_EQ(ticks.values.size(), ticks.labels.size());
        EXPECT_LE(ticks.values.size(), static_cast<size_t>(c.max_count) + 1);
        for (double value : ticks.values) {
            EXPECT_GE(value, c.low);
            EXPECT_LE(value, c.high);
        }
    }
}

TEST(PlotAxes, RangesGetTheirMargin) {
    struct RangeCase {
        double min, max, margin, low, high;
    } cases[] = {
        {0, 10, 0.1, -1, 11},      {0, 10, 0.0, 0, 10},
        {5, 5, 0.1, 4.5, 5.5},  // one value: a tenth of it around
        {0, 0, 0.1, -1, 1},     // zero: a unit around
        {-2, -2, 0.0, -2.2, -1.8},
    };
    for (const RangeCase& c : cases) {
        AxisRange range = Padded_Range(c.min, c.max, c.margin);
        EXPECT_DOUBLE_EQ(range.low, c.low) << c.min << ".." << c.max;
        EXPECT_DOUBLE_EQ(range.high, c.high) << c.min << ".." << c.max;
    }
}

// Curves y(x) swept as a report sweeps them: the automatic y range leaves the
// spikes at the poles out, whether a grid point lands on a pole (an infinite
// value) or beside it, and keeps the bulk of the curve.
TEST(PlotAxes, PoleSpikesStayOutOfTheAutomaticRange) {
    struct PoleGrid {
        const char* name;
        double (*y)(double);
        double min, max;
        int divisions;
        double bulk, limit;  // the range holds -bulk..bulk and stays within -limit..limit
    } cases[] = {
        {"1/x", [](double x) { return 1 / x; }, -2, 2, 400, 1, 30},
        {"1/x", [](double x) { return 1 / x; }, -2, 2, 401, 1, 30},
        {"1/x", [](double x) { return 1 / x; }, -0.7, 0.7, 70, 2, 60},
        {"1/(x^2-1)", [](double x) { return 1 / (x * x - 1); }, -3, 3, 600, 0.3, 30},
        {"1/(x^2-1)", [](double x) { return 1 / (x * x - 1); }, -3, 3, 601, 0.3, 30},
        {"tan", [](double x) { return std::tan(x); }, -5, 5, 1000, 1, 30},
        {"tan", [](double x) { return std::tan(x); }, -1.5707963267948966, 4.71238898038469, 300, 1,
         40},
    };
    for (const PoleGrid& c : cases) {
        std::vector<ReportRun> runs(1);
        runs[0].layout = RunLayout::EXPLICIT;
        ShownRangeSink shown(runs, {0}, nullptr, nullptr);
        double step = (c.max - c.min) / c.divisions;
        for (int i = 0; i <= c.divisions; ++i)
            shown.Row(0, i * step + c.min, c.y(i * step + c.min));
        double low = 0, high = 0;
        EXPECT_TRUE(shown.Pole_YRange(&low, &high)) << c.name << " " << c.divisions;
        EXPECT_TRUE(-c.limit <= low && low <= -c.bulk && c.bulk <= high && high <= c.limit)
            << c.name << " " << c.divisions << ": " << low << " to " << high;
    }
}

TEST(PlotAxes, EqualScalesWidenTheShorterAxisAboutItsCentre) {
    struct ScaleCase {
        AxisRange x, y;
        bool x_fixed, y_fixed;
        AxisRange x_after, y_after;
    } cases[] = {
        {{0, 1}, {0, 1}, false, false, {-0.5, 1.5}, {0, 1}},   // 200 x 100: x widens
        {{0, 4}, {0, 1}, false, false, {0, 4}, {-0.5, 1.5}},   // y widens
        {{0, 1}, {0, 1}, true, false, {0, 1}, {0, 1}},         // x fixed: unequal stays
        {{0, 4}, {10, 11}, true, false, {0, 4}, {9.5, 11.5}},  // the other still widens
    };
    for (const ScaleCase& c : cases) {
        AxisRange x = c.x;
        AxisRange y = c.y;
        Equalize_Scales(&x, &y, 200, 100, c.x_fixed, c.y_fixed);
        EXPECT_DOUBLE_EQ(x.low, c.x_after.low);
        EXPECT_DOUBLE_EQ(x.high, c.x_after.high);
        EXPECT_DOUBLE_EQ(y.low, c.y_after.low);
        EXPECT_DOUBLE_EQ(y.high, c.y_after.high);
    }
}

TEST(PlotAxes, ValuesMapIntoTheFrameWithYUpwards) {
    PlotFrame frame;
    frame.left = 80;
    frame.top = 60;
    frame.width = 600;
    frame.height = 400;
    frame.x_range = {-1, 2};
    frame.y_range = {10, 20};
    struct MapCase {
        double x, y, picture_x, picture_y;
    } cases[] = {
        {-1, 10, 80, 460},
        {2, 20, 680, 60},
        {0.5, 15, 380, 260},
        {-2, 25, -120, -140},
    };
    for (const MapCase& c : cases) {
        EXPECT_DOUBLE_EQ(Frame_X(frame, c.x), c.picture_x);
        EXPECT_DOUBLE_EQ(Frame_Y(frame, c.y), c.picture_y);
    }
}

}  // namespace
