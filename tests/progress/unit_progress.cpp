// The progress line on a fake clock.
#include "progress/progress.h"
#include "text/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

namespace {

double fake_now = 0.0;
int clock_reads = 0;
double FakeClock() {
    ++clock_reads;
    return fake_now;
}

// Runs points one by one, the fake clock advancing seconds_per_point each.
std::string Progress(long long total, long long points, double seconds_per_point,
                     bool terminal = true) {
    std::ostringstream shown;
    fake_now = 0.0;
    clock_reads = 0;
    {
        ProgressReporter progress(total, terminal ? &shown : nullptr, FakeClock);
        for (long long i = 0; i < points; ++i) {
            fake_now += seconds_per_point;
            progress.Tick();
        }
    }
    return shown.str();
}

TEST(Progress, LineRewrittenAFewTimesASecondThenErased) {
    // Half of 200000 points in 2 s: first shown at 0.5 s (about 25000 points,
    // 3.5 s left), last near 2 s, then erased.
    std::string shown = Progress(200000, 100000, 0.00002);
    std::string first = std::string("\r") + Msg().PROGRESS_RUNNING + "12%  25";
    EXPECT_EQ(shown.find(first), 0u) << shown;
    EXPECT_NE(shown.find(std::string(Msg().PROGRESS_POINTS) + "3" + Msg().PROGRESS_SECONDS),
              std::string::npos);
    EXPECT_NE(shown.find("44%  "), std::string::npos) << shown;
    size_t rewrites = 0;
    for (char letter : shown) rewrites += letter == '\r';
    // Shown from 0.5 s to 2 s at most four times a second, plus the erasure.
    EXPECT_GE(rewrites, 5u);
    EXPECT_LE(rewrites, 9u);
    size_t widest = 0;
    for (size_t start = 1, end; (end = shown.find('\r', start)) != std::string::npos;
         start = end + 1)
        if (shown[start] != ' ') widest = std::max(widest, end - start);
    std::string erasure = "\r" + std::string(widest, ' ') + "\r";
    EXPECT_EQ(shown.substr(shown.size() - erasure.size()), erasure);
    // The clock is read far less often than once a point.
    EXPECT_LT(clock_reads, 5000);
    // Nothing within half a second, nor without a terminal (no clock read then).
    EXPECT_EQ(Progress(1000, 1000, 0.0004), "");
    EXPECT_EQ(Progress(1000, 1000, 0.01, false), "");
    EXPECT_EQ(clock_reads, 0);
}

TEST(Progress, AnInnerReporterLeavesTheLineToTheOuter) {
    std::ostringstream outer_shown, inner_shown;
    fake_now = 0.0;
    ProgressReporter outer(10, &outer_shown, FakeClock);
    {
        ProgressReporter inner(10, &inner_shown, FakeClock);
        for (int i = 0; i < 10; ++i) {
            fake_now += 1.0;
            inner.Tick();
        }
    }
    fake_now += 1.0;
    outer.Tick();
    EXPECT_EQ(inner_shown.str(), "");
    EXPECT_NE(outer_shown.str().find("10%  1"), std::string::npos) << outer_shown.str();
}

TEST(Progress, TermsOfASumAndDigitGroups) {
    std::ostringstream shown;
    fake_now = 0.0;
    {
        ProgressReporter progress(4000000, &shown, FakeClock, ProgressUnit::Terms);
        fake_now = 1.0;
        progress.Reach(1234567);
    }
    EXPECT_EQ(shown.str().find(std::string("\r") + Msg().PROGRESS_RUNNING + "30%  1,234,567" +
                               Msg().PROGRESS_TERMS + "2" + Msg().PROGRESS_SECONDS),
              0u)
        << shown.str();
    const std::pair<long long, const char*> groups[] = {
        {0, "0"}, {999, "999"}, {1000, "1,000"}, {108003648, "108,003,648"}, {-12345, "-12,345"}};
    for (const auto& group : groups) EXPECT_EQ(Grouped_Digits(group.first), group.second);
}

}  // namespace
