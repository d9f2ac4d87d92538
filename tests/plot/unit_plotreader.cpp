// The report reader of kansu plot: the four layouts in both encodings, appended
// runs, cut lines, rows that are not finite, runs without a table, and lines
// longer than the reader's block.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "mode_dialogue.h"
#include "plot/linesource.h"
#include "plot/reportreader.h"
#include "session.h"

namespace {

const std::string kExplicit = kReportHead +
                              "計算した式はa*x^2\n"
                              "値可変変数 x :範囲 [0] - [1] :分割2\n"
                              "変数(値固定)と、その値は以下の通りです\n"
                              "a\t2\n" +
                              kResultRule +
                              "変数x\t関数計算値\n"
                              "0\t0\n"
                              "0.5\t0.5\n"
                              "1\t2\n";
const std::string kImplicit = kReportHead + kUnitCircleReport;
const std::string kImplicitXOnly = kReportHead +
                                   "計算式 x-2+r= 0 \n"
                                   "独立変数 x  :従属変数 \n"
                                   "変数(独立・従属変数除く)と、その値\n"
                                   "r\t0\n"
                                   "独立変数x :範囲 [0] - [4] :分割2\n"
                                   "\n" +
                                   kResultRule +
                                   "独立変数x\t従属変数(文字指定なし) \t  関数値\n"
                                   "2\t0\t0\n"
                                   "2\t2\t0\n"
                                   "2\t4\t0\n";
const std::string kPolar = kReportHead +
                           "計算式 : r = a*tht  :角度変数 tht\n"
                           "変数(角度変数除く)と、その値\n"
                           "a\t2\n"
                           "角度変数tht :範囲 [0] - [2] :分割2\n"
                           "\n" +
                           kResultRule +
                           "動径 : r\t 角度 : tht\t 横軸 : x\t 縦軸 : y\n"
                           "0\t0\t0\t0\n"
                           "2\t1\t1.0806\t1.68294\n"
                           "4\t2\t-1.66459\t3.63719\n";
const std::string kParametric = kReportHead +
                                "計算式 x=a*t :y=b\n"
                                "媒介変数 t\n"
                                "x成分の変数(媒介変数除く)と、その値\n"
                                "a\t1\n"
                                "\n"
                                "y成分の変数(媒介変数除く)と、その値\n"
                                "b\t2\n"
                                "媒介変数t :範囲 [0]- [1] :分割2\n"
                                "\n" +
                                kResultRule +
                                "媒介変数t\tx成分\ty成分\n"
                                "0\t0\t2\n"
                                "0.5\t0.5\t2\n"
                                "1\t1\t2\n";
const std::string kNoVariables = kReportHead + kResultRule + "2+3=5\n";
const std::string kParamNoParameter =
    kReportHead + "計算式 x=2*3 :y=4\n" + kResultRule + "2*3=6\n4=4\n";

struct Row {
    size_t run;
    double x, y;
};

class RecordingSink : public RowSink {
public:
    bool Wants(size_t) const override { return true; }
    void Row(size_t run, double x, double y) override { rows.push_back({run, x, y}); }
    std::vector<::Row> rows;
};

class ReportFile {
public:
    explicit ReportFile(const std::string& bytes) {
        char pattern[] = "/tmp/kansu-plotreader-XXXXXX";
        int descriptor = mkstemp(pattern);
        if (descriptor >= 0) close(descriptor);
        path_ = pattern;
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~ReportFile() { std::remove(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The report in the encoding of the case: code page 932 bytes or UTF-8.
std::string Encoded(const std::string& utf8, bool in_utf8) { return in_utf8 ? utf8 : Cp932(utf8); }

std::vector<ReportRun> Scan(const std::string& bytes, RecordingSink* sink = nullptr) {
    ReportFile file(bytes);
    std::vector<ReportRun> runs;
    EXPECT_EQ(Scan_Report(file.Path(), &runs, sink), ScanStatus::READ);
    return runs;
}

struct LayoutCase {
    const char* name;
    const std::string* report;
    RunLayout layout;
    std::vector<std::string> titles;  // the run's, the x axis's, the y axis's
    std::vector<std::string> fixed_values;
    std::vector<std::pair<double, double>> points;
};

const LayoutCase kLayoutCases[] = {
    {"explicit",
     &kExplicit,
     RunLayout::EXPLICIT,
     {"a*x^2", "変数x", "関数計算値"},
     {"a = 2"},
     {{0, 0}, {0.5, 0.5}, {1, 2}}},
    {"implicit",
     &kImplicit,
     RunLayout::IMPLICIT,
     {"x^2+y^2-1 = 0", "独立変数x", "従属変数y"},
     {},
     {{0, -1}, {-1, 0}, {1, 0}, {0, 1}}},
    {"implicit x only",
     &kImplicitXOnly,
     RunLayout::IMPLICIT,
     {"x-2+r = 0", "独立変数x", "従属変数(文字指定なし)"},
     {"r = 0"},
     {{2, 0}, {2, 2}, {2, 4}}},
    {"polar",
     &kPolar,
     RunLayout::POLAR,
     {"r = a*tht", "横軸 : x", "縦軸 : y"},
     {"a = 2"},
     {{0, 0}, {1.0806, 1.68294}, {-1.66459, 3.63719}}},
    {"parametric",
     &kParametric,
     RunLayout::PARAMETRIC,
     {"x = a*t, y = b", "x成分", "y成分"},
     {"a = 1", "b = 2"},
     {{0, 2}, {0.5, 2}, {1, 2}}},
};

TEST(PlotReader, ReadsEveryLayoutInBothEncodings) {
    for (const LayoutCase& c : kLayoutCases) {
        for (bool in_utf8 : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (in_utf8 ? " utf8" : " cp932"));
            RecordingSink sink;
            std::vector<ReportRun> runs = Scan(Encoded(*c.report, in_utf8), &sink);
            ASSERT_EQ(runs.size(), 1u);
            const ReportRun& run = runs[0];
            EXPECT_EQ(run.utf8, in_utf8);
            EXPECT_EQ(run.layout, c.layout);
            EXPECT_EQ((std::vector<std::string>{run.title, run.x_title, run.y_title}), c.titles);
            EXPECT_EQ(run.fixed_values, c.fixed_values);
            ASSERT_EQ(sink.rows.size(), c.points.size());
            for (size_t i = 0; i < c.points.size(); ++i)
                EXPECT_EQ(std::make_pair(sink.rows[i].x, sink.rows[i].y), c.points[i]) << i;
            EXPECT_EQ(run.row_count, static_cast<long long>(c.points.size()));
            EXPECT_EQ(run.finite_count, run.row_count);
        }
    }
}

TEST(PlotReader, AppendedRunsAreNumberedInFileOrderEvenInMixedEncodings) {
    RecordingSink sink;
    std::vector<ReportRun> runs =
        Scan(Cp932(kExplicit) + kPolar + Cp932(kNoVariables) + kParamNoParameter, &sink);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].layout, RunLayout::EXPLICIT);
    EXPECT_EQ(runs[1].layout, RunLayout::POLAR);
    EXPECT_TRUE(runs[1].utf8);
    EXPECT_EQ(runs[2].layout, RunLayout::NO_TABLE);
    EXPECT_EQ(runs[3].layout, RunLayout::NO_TABLE);
    EXPECT_EQ(runs[3].title, "x = 2*3, y = 4");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(runs[i].number, i + 1);
    ASSERT_EQ(sink.rows.size(), 6u);
    EXPECT_EQ(sink.rows[2].run, 0u);
    EXPECT_EQ(sink.rows[3].run, 1u);
}

TEST(PlotReader, CutLinesAreSkipped) {
    // The report cut in the middle of its last row: alone, a file cut there;
    // followed by another run, a report whose writing stopped mid-row (the next
    // run's empty first line ends the cut row, so no empty line parts them).
    // "1\t2" reads as a row: only the head right after it tells that it was cut.
    std::string cut = kExplicit.substr(0, kExplicit.size() - 1);
    for (bool in_utf8 : {false, true}) {
        std::vector<ReportRun> runs = Scan(Encoded(cut, in_utf8));
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].row_count, 2);
        EXPECT_EQ(runs[0].y_max, 0.5);
        runs = Scan(Encoded(cut + kExplicit, in_utf8));
        ASSERT_EQ(runs.size(), 2u);
        EXPECT_EQ(runs[0].row_count, 2);
        EXPECT_EQ(runs[0].y_max, 0.5);
        EXPECT_EQ(runs[1].row_count, 3);
    }
}

TEST(PlotReader, WindowsLineEndsRead) {
    std::string crlf;
    for (char letter : Cp932(kPolar)) {
        if (letter == '\n') crlf += '\r';
        crlf += letter;
    }
    std::vector<ReportRun> runs = Scan(crlf);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].layout, RunLayout::POLAR);
    EXPECT_EQ(runs[0].row_count, 3);
}

TEST(PlotReader, NotFiniteRowsCountButStayOutOfTheRanges) {
    std::string report = kReportHead + "計算した式は1/x\n" + kResultRule +
                         "変数x\t関数計算値\n"
                         "-1\t-1\n0\tinf\n0.5\tnan\n1\t-inf\n2\t0.5\n1e-400\t1e+400\n"
                         "0.1000000000000000055511151231257827\t10\n";
    RecordingSink sink;
    std::vector<ReportRun> runs = Scan(report, &sink);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].row_count, 7);
    EXPECT_EQ(runs[0].finite_count, 3);
    EXPECT_EQ(runs[0].y_min, -1);
    EXPECT_EQ(runs[0].y_max, 10);
    EXPECT_EQ(runs[0].x_max, 2);
    ASSERT_EQ(sink.rows.size(), 7u);
    EXPECT_TRUE(std::isinf(sink.rows[1].y));
    EXPECT_TRUE(std::isnan(sink.rows[2].y));
    EXPECT_EQ(sink.rows[5].x, 0.0);
    EXPECT_TRUE(std::isinf(sink.rows[5].y));
    EXPECT_EQ(sink.rows[6].x, 0.1);
}

TEST(PlotReader, FilesThatAreNoReport) {
    EXPECT_TRUE(Scan("").empty());
    EXPECT_TRUE(Scan("x\ty\n1\t2\n").empty());
    EXPECT_TRUE(Scan(std::string("\x89PNG\r\n\x1a\n\0\0", 10)).empty());
    std::vector<ReportRun> runs;
    EXPECT_EQ(Scan_Report("/nonexistent/kansu/report.txt", &runs, nullptr),
              ScanStatus::CANNOT_OPEN);
}

TEST(PlotReader, TableRowsNeedTheirColumnCount) {
    struct RowCase {
        const char* text;
        int columns;
        bool read;
    } cases[] = {
        {"1\t2", 2, true},   {"1\t2\t3", 2, false},
        {"1", 2, false},     {"1\t", 2, false},
        {"1 \t2", 2, false}, {"-inf\tnan", 2, true},
        {"a\t1", 2, false},  {"1\t2\t3\t4", 4, true},
        {"", 1, false},      {"1e+308\t-2.5e-05", 2, true},
    };
    for (const RowCase& c : cases) {
        double values[4];
        std::string text = c.text;
        EXPECT_EQ(Parse_TableRow(text.data(), text.data() + text.size(), c.columns, values), c.read)
            << c.text;
    }
}

}  // namespace

namespace {
// A line longer than the reader's block comes as its beginning; the lines
// after it are read whole, and a last line without line end says so.
TEST(PlotLineSource, ALineLongerThanTheBlockIsCutAndTheNextLinesRead) {
    char name[] = "/tmp/kansu-lines-XXXXXX";
    int handle = mkstemp(name);
    ASSERT_GE(handle, 0);
    close(handle);
    const std::string overlong(300000, 'x');
    std::ofstream(name, std::ios::binary) << "short\n" << overlong << "\nafter\r\nend";
    LineSource source(name);
    ASSERT_TRUE(source.IsOpen());
    std::string_view line;
    bool complete = false;
    ASSERT_TRUE(source.Next(&line, &complete));
    EXPECT_EQ(line, "short");
    ASSERT_TRUE(source.Next(&line, &complete));
    EXPECT_GE(line.size(), 4096u);
    EXPECT_LT(line.size(), overlong.size());
    EXPECT_EQ(line.find_first_not_of('x'), std::string_view::npos);
    ASSERT_TRUE(source.Next(&line, &complete));
    EXPECT_EQ(line, "after");
    EXPECT_TRUE(complete);
    ASSERT_TRUE(source.Next(&line, &complete));
    EXPECT_EQ(line, "end");
    EXPECT_FALSE(complete);
    EXPECT_FALSE(source.Next(&line, &complete));
    EXPECT_FALSE(source.Failed());
    unlink(name);
}
}  // namespace
