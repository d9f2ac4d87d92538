// Tracing of curves for kansu plot: clipping at the frame, breaks at values
// that are not finite, and thinning that leaves the picture as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "plot/curvetrace.h"

namespace {

PlotFrame Frame(double width, double height, AxisRange x, AxisRange y) {
    PlotFrame frame;
    frame.left = 10;
    frame.top = 20;
    frame.width = width;
    frame.height = height;
    frame.x_range = x;
    frame.y_range = y;
    return frame;
}

// The pixels a polyline touches: every segment sampled at most a quarter of a
// pixel apart; a piece of one point touches its pixel.
std::set<std::pair<long, long>> Pixels(const std::vector<std::vector<PixelPoint>>& pieces) {
    std::set<std::pair<long, long>> pixels;
    for (const std::vector<PixelPoint>& piece : pieces) {
        if (piece.size() == 1)
            pixels.insert(
                {std::lround(std::floor(piece[0].x)), std::lround(std::floor(piece[0].y))});
        for (size_t i = 1; i < piece.size(); ++i) {
            const PixelPoint& a = piece[i - 1];
            const PixelPoint& b = piece[i];
            int steps = static_cast<int>(
                            std::ceil(4 * std::fmax(std::fabs(b.x - a.x), std::fabs(b.y - a.y)))) +
                        1;
            for (int k = 0; k <= steps; ++k) {
                double t = static_cast<double>(k) / steps;
                pixels.insert({std::lround(std::floor(a.x + (b.x - a.x) * t)),
                               std::lround(std::floor(a.y + (b.y - a.y) * t))});
            }
        }
    }
    return pixels;
}

size_t Points(const std::vector<std::vector<PixelPoint>>& pieces) {
    size_t count = 0;
    for (const auto& piece : pieces) count += piece.size();
    return count;
}

TEST(PlotTrace, ColumnThinningTouchesTheSamePixelsOnRandomData) {
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    std::uniform_int_distribution<int> rare(0, 999);
    for (int trial = 0; trial < 10; ++trial) {
        // Sometimes beyond the y range (cut at the frame), sometimes not a number.
        PlotFrame frame = Frame(300, 200, {0, 1}, {-1.5, 1.5});
        CurveTracer all(frame, TraceStyle::ALL);
        CurveTracer thinned(frame, TraceStyle::COLUMNS);
        int count = 20000 + trial * 1000;
        for (int i = 0; i <= count; ++i) {
            double x = static_cast<double>(i) / count;
            double y = std::sin(x * (trial + 1) * 7) * 0.8 + noise(random) * 0.3;
            if (rare(random) == 0) y = std::numeric_limits<double>::quiet_NaN();
            if (rare(random) < 3) y *= 5;
            all.Add(x, y);
            thinned.Add(x, y);
        }
        all.Finish();
        thinned.Finish();
        EXPECT_EQ(Pixels(all.Pieces()), Pixels(thinned.Pieces())) << "trial " << trial;
        // At most four points per pixel column that a piece crosses.
        EXPECT_LE(Points(thinned.Pieces()), 4u * (301u + thinned.Pieces().size()));
        EXPECT_LT(Points(thinned.Pieces()) * 10, Points(all.Pieces()));
    }
}

TEST(PlotTrace, SegmentsAreCutAtTheFrame) {
    struct ClipCase {
        PixelPoint a, b;
        bool inside;
        PixelPoint a_after, b_after;
    } cases[] = {
        {{1, 1}, {2, 2}, true, {1, 1}, {2, 2}},     // wholly inside
        {{-1, 1}, {1, 1}, true, {0, 1}, {1, 1}},    // enters from the left
        {{2, 2}, {2, 6}, true, {2, 2}, {2, 4}},     // leaves at the bottom
        {{-2, -2}, {6, 6}, true, {0, 0}, {4, 4}},   // crosses the whole frame
        {{-2, 5}, {6, 5}, false, {-2, 5}, {6, 5}},  // passes below it
        {{5, 5}, {5, 5}, false, {5, 5}, {5, 5}},    // a point outside
        // An end so far out that the cut rounds to it: still nothing outside.
        {{1, -1e22}, {2, -1}, false, {1, -1e22}, {2, -1}},
        {{1, -1e22}, {1.5, 2}, true, {1.5, 0}, {1.5, 2}},
        {{1, -1e22}, {1.5, 4.5}, true, {1.5, 0}, {1.5, 4}},  // and the cut rounds to the far end
        // From far below, far right, far down-left: cut where the segment
        // crosses, never at the opposite side.
        {{1, 1e22}, {1.5, 2}, true, {1.5, 4}, {1.5, 2}},
        {{1e300, 1}, {2, 1.5}, true, {4, 1.5}, {2, 1.5}},
        {{-690, 1e300}, {0, 2}, true, {0, 2}, {0, 2}},
    };
    for (const ClipCase& c : cases) {
        PixelPoint a = c.a;
        PixelPoint b = c.b;
        EXPECT_EQ(Clip_Segment(&a, &b, 0, 0, 4, 4), c.inside);
        if (!c.inside) continue;
        EXPECT_DOUBLE_EQ(a.x, c.a_after.x);
        EXPECT_DOUBLE_EQ(a.y, c.a_after.y);
        EXPECT_DOUBLE_EQ(b.x, c.b_after.x);
        EXPECT_DOUBLE_EQ(b.y, c.b_after.y);
    }
}

// Curves y(x) sampled every 0.1 over x in [-3, 3), drawn with y in -15..15.
TEST(PlotTrace, PolesBreakTheCurveAndNothingElseDoes) {
    struct PoleCase {
        const char* name;
        double (*y)(double);
        size_t pieces;
    } cases[] = {
        {"tan", [](double x) { return std::tan(x); }, 3},
        {"1/x", [](double x) { return 1 / (x + 0.03); }, 2},
        {"steep line", [](double x) { return 40 * x + 1; }, 1},
        {"sin", [](double x) { return 4 * std::sin(3 * x); }, 1},
    };
    PlotFrame frame = Frame(600, 100, {-3, 3}, {-15, 15});
    for (const PoleCase& c : cases) {
        for (TraceStyle style : {TraceStyle::ALL, TraceStyle::COLUMNS}) {
            CurveTracer tracer(frame, style, 0.5, true);
            for (int i = -30; i < 30; ++i) tracer.Add(i * 0.1, c.y(i * 0.1));
            tracer.Finish();
            EXPECT_EQ(tracer.Pieces().size(), c.pieces) << c.name;
            for (const std::vector<PixelPoint>& piece : tracer.Pieces())
                for (size_t i = 1; i < piece.size(); ++i)
                    EXPECT_LT(std::fabs(piece[i].y - piece[i - 1].y), 90) << c.name;
        }
    }
}

TEST(PlotTrace, ValuesThatAreNotFiniteBreakTheCurve) {
    PlotFrame frame = Frame(100, 100, {0, 4}, {0, 4});
    CurveTracer tracer(frame, TraceStyle::ALL);
    const double inf = std::numeric_limits<double>::infinity();
    const double values[][2] = {{0, 0}, {1, 1}, {2, inf}, {3, 3}, {4, 4}, {4, -inf}, {4, 2}};
    for (const auto& value : values) tracer.Add(value[0], value[1]);
    tracer.Finish();
    ASSERT_EQ(tracer.Pieces().size(), 3u);
    EXPECT_EQ(tracer.Pieces()[0].size(), 2u);
    EXPECT_EQ(tracer.Pieces()[1].size(), 2u);
    ASSERT_EQ(tracer.Pieces()[2].size(), 1u);  // a lone point: drawn as a dot
    EXPECT_DOUBLE_EQ(tracer.Pieces()[2][0].x, 110);
    EXPECT_DOUBLE_EQ(tracer.Pieces()[2][0].y, 70);
}

TEST(PlotTrace, PathsDropSmallMovesButKeepTheirEnds) {
    PlotFrame frame = Frame(100, 100, {0, 100}, {0, 100});
    CurveTracer tracer(frame, TraceStyle::PATH, 0.5);
    for (int i = 0; i <= 1000; ++i)
        tracer.Add(50 + 40 * std::cos(i * 0.00628), 50 + 40 * std::sin(i * 0.00628));
    tracer.Finish();
    ASSERT_EQ(tracer.Pieces().size(), 1u);
    const std::vector<PixelPoint>& piece = tracer.Pieces()[0];
    EXPECT_LT(piece.size(), 600u);  // each step is 0.25 units: about every other point stays
    EXPECT_GT(piece.size(), 400u);
    for (size_t i = 1; i + 1 < piece.size(); ++i)
        EXPECT_GE(std::hypot(piece[i].x - piece[i - 1].x, piece[i].y - piece[i - 1].y), 0.5);
    EXPECT_DOUBLE_EQ(piece.back().x, 10 + 50 + 40 * std::cos(1000 * 0.00628));
    EXPECT_DOUBLE_EQ(piece.back().y, 20 + 50 - 40 * std::sin(1000 * 0.00628));
}

TEST(PlotTrace, DotsAreOnePerPixelAndOnlyInsideTheFrame) {
    PlotFrame frame = Frame(10, 10, {0, 10}, {0, 10});
    CurveTracer tracer(frame, TraceStyle::DOTS);
    const double values[][2] = {{1.1, 1.1}, {1.2, 1.3}, {1.2, 2.3}, {11, 5}, {5, -1}, {9.9, 9.9}};
    for (const auto& value : values) tracer.Add(value[0], value[1]);
    tracer.Finish();
    ASSERT_EQ(tracer.Pieces().size(), 3u);
    EXPECT_DOUBLE_EQ(tracer.Pieces()[1][0].y, 20 + 10 - 2.3);
}

}  // namespace
