// The command line of kansu plot and the picture's default path.
#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

#include "plot/plotcommand.h"

namespace {

PlotOptions Parsed(std::vector<const char*> words) {
    words.insert(words.begin(), "kansu");
    int argc = static_cast<int>(words.size());
    return Parse_PlotOptions(argc, words.data(), Plot_WordIndex(argc, words.data()));
}

TEST(PlotCommand, PlotWordStartsTheCommandOnlyAfterUtf8) {
    struct WordCase {
        std::vector<const char*> words;
        int index;
    } cases[] = {
        {{"plot", "out.txt"}, 1},
        {{"--utf8", "plot", "a"}, 2},
        {{"--utf8", "--cp932", "plot", "a"}, 3},
        {{"--digits", "3", "plot", "a"}, 0},
        {{"--help", "plot"}, 0},
        {{"out.txt", "plot"}, 0},
        {{}, 0},
        {{"--plot"}, 0},
    };
    for (const WordCase& c : cases) {
        std::vector<const char*> argv{"kansu"};
        argv.insert(argv.end(), c.words.begin(), c.words.end());
        EXPECT_EQ(Plot_WordIndex(static_cast<int>(argv.size()), argv.data()), c.index);
    }
}

TEST(PlotCommand, OptionsAreRead) {
    PlotOptions options = Parsed({"--utf8", "plot", "r.txt", "-o", "p.svg", "--run", "3", "--term",
                                  "--xrange", "-1.5:2", "--yrange", "-1e3:1e3"});
    EXPECT_TRUE(options.bad_argument.empty());
    EXPECT_TRUE(options.utf8);
    EXPECT_TRUE(options.terminal);
    EXPECT_EQ(options.request.report_path, "r.txt");
    EXPECT_EQ(options.output_path, "p.svg");
    EXPECT_EQ(options.request.run_number, 3);
    EXPECT_TRUE(options.request.x_range_given);
    EXPECT_EQ(options.request.x_range.low, -1.5);
    EXPECT_EQ(options.request.x_range.high, 2);
    EXPECT_EQ(options.request.y_range.low, -1000);
    EXPECT_FALSE(options.request.all_runs);
    EXPECT_FALSE(options.request.x_reversed);
    options = Parsed({"--cp932", "plot", "--xrange=2:-1.5", "--yrange", ":0.1", "-", "--run=2"});
    EXPECT_TRUE(options.bad_argument.empty());
    EXPECT_TRUE(options.cp932);
    EXPECT_EQ(options.request.report_path, "-");
    EXPECT_EQ(options.request.run_number, 2);
    EXPECT_TRUE(options.request.x_reversed);
    EXPECT_EQ(options.request.x_range.low, -1.5);
    EXPECT_EQ(options.request.x_range.high, 2);
    EXPECT_TRUE(std::isinf(options.request.y_range.low));
    EXPECT_EQ(options.request.y_range.high, 0.1);
    EXPECT_FALSE(Parsed({"plot", "r", "--xrange", ":"}).request.x_range_given);
}

TEST(PlotCommand, ArgumentsNotUnderstood) {
    struct BadCase {
        std::vector<const char*> words;
        const char* bad;
    } cases[] = {
        {{"plot", "r.txt", "--run", "x"}, "x"},
        {{"plot", "r.txt", "--run", "-2"}, "-2"},
        {{"plot", "r.txt", "--xrange", "1:1"}, "1:1"},
        {{"plot", "r.txt", "--yrange", "1"}, "1"},
        {{"plot", "r.txt", "--yrange", "nan:1"}, "nan:1"},
        {{"plot", "r.txt", "--xrange"}, "--xrange"},
        {{"plot", "r.txt", "-o"}, "-o"},
        {{"plot", "r.txt", "s.txt"}, "s.txt"},
        {{"plot", "r.txt", "--all", "--run", "1"}, "--all --run"},
        {{"plot", "r.txt", "--aspect", "square"}, "square"},
        {{"plot", "r.txt", "--aspect"}, "--aspect"},
        {{"plot", "r.txt", "--xrange=1:x"}, "--xrange=1:x"},
        {{"plot", "r.txt", "--xrange", "1::2"}, "1::2"},
        {{"plot", "r.txt", "-o", ""}, "-o"},
        {{"plot", "-", "-"}, "-"},
        {{"plot", "r.txt", "--run="}, "--run="},
        {{"plot", "r.txt", "--run", "0"}, "0"},
        {{"plot", "r.txt", "--all=1"}, "--all=1"},
        {{"plot", "r.txt", "-o=a.svg"}, "-o=a.svg"},
        {{"plot", "r.txt", "--title"}, "--title"},
        {{"plot", "r.txt", "--yrange=1:x"}, "--yrange=1:x"},
    };
    for (const BadCase& c : cases) EXPECT_EQ(Parsed(c.words).bad_argument, c.bad);
    EXPECT_TRUE(Parsed({"plot"}).report_missing);
}

TEST(PlotCommand, PictureGoesBesideTheReport) {
    const char* cases[][2] = {
        {"out.txt", "out.svg"},     {"dir/out", "dir/out.svg"},
        {"a.b/out", "a.b/out.svg"}, {"C:\\d.e\\r.txt", "C:\\d.e\\r.svg"},
        {"pic.svg", "pic.svg.svg"}, {".report", ".report.svg"},
        {"x.tar.txt", "x.tar.svg"},
    };
    for (const auto& c : cases) EXPECT_EQ(Picture_PathBeside(c[0]), c[1]) << c[0];
}

}  // namespace
