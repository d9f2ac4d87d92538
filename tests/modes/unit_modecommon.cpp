// Steps shared by the calculation modes: the number format, the range line,
// the sweep, the name list, the value dialogue and the report file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "modes/modecommon.h"
#include "session.h"

namespace {

// Swaps std::cout and std::cin to string streams for the life of the object.
class Console {
public:
    explicit Console(const std::string& typed = "")
        : input_(typed),
          saved_out_(std::cout.rdbuf(output_.rdbuf())),
          saved_in_(std::cin.rdbuf(input_.rdbuf())) {}
    ~Console() {
        std::cout.rdbuf(saved_out_);
        std::cin.rdbuf(saved_in_);
        std::cin.clear();
    }
    std::string Output() const { return output_.str(); }
    std::string Unread() {
        std::string rest;
        char letter;
        while (std::cin.get(letter)) rest += letter;
        return rest;
    }

private:
    std::ostringstream output_;
    std::istringstream input_;
    std::streambuf* saved_out_;
    std::streambuf* saved_in_;
};

std::string Format(double value) {
    std::ostringstream out;
    out << NumText(value);
    return out.str();
}

// ---- number format ----

TEST(NumberFormat, GeneralNotationWithSixSignificantDigits) {
    EXPECT_EQ(Format(0.25), "0.25");
    EXPECT_EQ(Format(100000.0), "100000");
    EXPECT_EQ(Format(1e6), "1e+06");
    EXPECT_EQ(Format(1.23456789e-5), "1.23457e-05");
    EXPECT_EQ(Format(0.0), "0");
    EXPECT_EQ(Format(1.0), "1");
    EXPECT_EQ(Format(-2.5), "-2.5");
    EXPECT_EQ(Format(0.9689124217), "0.968912");
    EXPECT_EQ(Format(2.5e7), "2.5e+07");
    EXPECT_EQ(Format(1.3268e-06), "1.3268e-06");
    EXPECT_EQ(Format(0.0001), "0.0001");
}

TEST(NumberFormat, InfinitiesAndNotANumber) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Format(inf), "inf");
    EXPECT_EQ(Format(-inf), "-inf");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Format(nan), "nan");
    EXPECT_EQ(Format(std::copysign(nan, -1.0)), "nan");
    EXPECT_EQ(Format(std::copysign(nan, 1.0)), "nan");
    volatile double zero = 0.0;
    EXPECT_EQ(Format(zero / zero), "nan");
}

// The writer's text equals the stream's default format for any double, also
// across the blocks it hands to the file.
TEST(NumberFormat, WriterMatchesTheStreamFormat) {
    std::mt19937_64 bits(10);
    std::ostringstream written;
    std::ostringstream expected;
    {
        ReportWriter out(written);
        for (int i = 0; i < 40000; ++i) {
            uint64_t pattern = bits();
            double value = 0.0;
            std::memcpy(&value, &pattern, sizeof value);
            if (i % 2 == 1) value = static_cast<double>(pattern % 2000001) / 64.0 - 15625.0;
            out << NumText(value) << "\t" << i << "\n";
            if (std::isnan(value))
                expected << "nan";
            else
                expected << value;
            expected << "\t" << i << "\n";
        }
    }
    EXPECT_EQ(written.str(), expected.str());
}

TEST(NumberFormat, WritesInsideALine) {
    std::ostringstream out;
    out << "a\t" << NumText(7.0) << "\t" << NumText(-std::numeric_limits<double>::quiet_NaN())
        << "\n";
    EXPECT_EQ(out.str(), "a\t7\tnan\n");
}

// Stop hands over what was written and drops everything after it, also what
// another writer sends to the same file.
TEST(NumberFormat, StoppedWriterWritesNothingMore) {
    std::ostringstream sink;
    {
        ReportWriter out(sink);
        out << "kept\t" << NumText(1.5) << "\n";
        out.Stop();
        EXPECT_EQ(sink.str(), "kept\t1.5\n");
        out << "cut\t" << NumText(2.5) << "\n" << std::string(70000, 'x').c_str();
        out.flush();
        ReportWriter other(sink);
        other << "other\n";
    }
    EXPECT_EQ(sink.str(), "kept\t1.5\n");
    EXPECT_TRUE(sink.bad());
}

// ---- range line ----

const char RANGE_ERROR[] = "変数、範囲の与え方が間違っています\n";

struct RangeLine {
    int result;
    std::string name;
    double min_value;
    double max_value;
    int steps;
    std::string output;

    bool operator==(const RangeLine& other) const {
        return result == other.result && name == other.name && min_value == other.min_value &&
               max_value == other.max_value && steps == other.steps && output == other.output;
    }
};
void PrintTo(const RangeLine& line, std::ostream* out) {
    *out << line.result << " " << line.name << "(" << line.min_value << "," << line.max_value
         << ")[" << line.steps << "] \"" << line.output << "\"";
}

RangeLine ParseLine(const char* line) {
    RangeLine parsed = {0, "", -99.0, -99.0, 100, ""};
    char name[256] = {};
    Console console;
    parsed.result =
        Parse_RangeLine(line, name, &parsed.min_value, &parsed.max_value, &parsed.steps);
    parsed.name = name;
    parsed.output = console.Output();
    return parsed;
}

TEST(RangeLine, AcceptedLinesPrintNothing) {
    EXPECT_EQ(ParseLine("x(0,1)"), (RangeLine{1, "x", 0.0, 1.0, 100, ""}));
    EXPECT_EQ(ParseLine("x(0,1)[4]"), (RangeLine{1, "x", 0.0, 1.0, 4, ""}));
    EXPECT_EQ(ParseLine("t(0,1)[-3]"), (RangeLine{1, "t", 0.0, 1.0, -3, ""}));
}

// A count of 0 (also one cut to 0) and malformed lines: the message, the count
// left alone.
TEST(RangeLine, RefusedLinesShowTheMessage) {
    for (const char* line : {"x(0,1)[0]", "x(0,1)[]", "x(0,1)[0.5]", "x(0,1)[-0.9]", "x(0,1",
                             "1x(0,1)", "x(a,1)", "x(0,b)", "x(0,1)[c]", "   ", "x(0,1)[1e10]"}) {
        RangeLine refused = ParseLine(line);
        EXPECT_EQ(refused.result, 0) << line;
        EXPECT_EQ(refused.steps, 100) << line;
        EXPECT_EQ(refused.output, Cp932(RANGE_ERROR)) << line;
    }
}

TEST(RangeLine, TheMessageFlushesTheConsole) {
    std::ostringstream captured;
    std::streambuf* saved = std::cout.rdbuf(captured.rdbuf());
    Show_RangeError();
    std::cout.rdbuf(saved);
    EXPECT_EQ(captured.str(), Cp932(RANGE_ERROR));
}

// ---- sweep ----

TEST(Sweep, QuarterStepsFromZeroToOne) {
    double step = Step_Width(0.0, 1.0, 4);
    EXPECT_EQ(step, 0.25);
    const double expected[] = {0.0, 0.25, 0.5, 0.75, 1.0};
    for (int i = 0; i <= 4; ++i) EXPECT_EQ(Sweep_Point(i, step, 0.0), expected[i]) << i;
}

TEST(Sweep, DescendingRange) {
    double step = Step_Width(1.0, 0.0, 2);
    EXPECT_EQ(step, -0.5);
    EXPECT_EQ(Sweep_Point(0, step, 1.0), 1.0);
    EXPECT_EQ(Sweep_Point(1, step, 1.0), 0.5);
    EXPECT_EQ(Sweep_Point(2, step, 1.0), 0.0);
}

TEST(Sweep, SingleDivisionGivesTheEnds) {
    double step = Step_Width(-2.0, 3.0, 1);
    EXPECT_EQ(Sweep_Point(0, step, -2.0), -2.0);
    EXPECT_EQ(Sweep_Point(1, step, -2.0), 3.0);
}

TEST(Sweep, PointsComeFromTheIndexNotFromRepeatedSteps) {
    // Ten additions of 0.1 give 0.9999999999999999; ten times 0.1 rounds to 1.
    double step = Step_Width(0.0, 1.0, 10);
    EXPECT_EQ(step, 0.1);
    EXPECT_EQ(Sweep_Point(10, step, 0.0), 1.0);
    EXPECT_EQ(Sweep_Point(5, step, 0.0), 0.5);
    EXPECT_EQ(Sweep_Point(3, 0.5, 10.0), 11.5);
}

// ---- name list, value dialogue, fixed-value lines ----

class ValueTable : public ::testing::Test {
protected:
    void Fill(std::initializer_list<const char*> names) {
        for (const char* name : names) table[name] = 0.0;
        int listed = 0;
        table.CountElem(&listed);
        labels = new NameBuffer[listed];
        count = 0;
        table.CopyLabelAll(labels, &count);
    }
    void TearDown() override { delete[] labels; }

    AscArray<double> table;
    NameBuffer* labels = nullptr;
    int count = -1;
};

TEST_F(ValueTable, NameListIsAscending) {
    Fill({"x", "b", "a"});
    ASSERT_EQ(count, 3);
    EXPECT_STREQ(labels[0], "a");
    EXPECT_STREQ(labels[1], "b");
    EXPECT_STREQ(labels[2], "x");
}

TEST_F(ValueTable, NameListOfAnEmptyTable) {
    Fill({});
    EXPECT_EQ(count, 0);
    EXPECT_NE(labels, nullptr);
}

TEST_F(ValueTable, EndOfInputGivesZero) {
    Fill({"a", "b"});
    table["a"] = 5.0;
    Console console("8");
    Ask_FixedValues(table, labels, count, nullptr, nullptr);
    EXPECT_EQ(table["a"], 8.0);
    EXPECT_EQ(table["b"], 0.0);
}

// One line per fixed value in the report's number format, the excluded names left out.
TEST_F(ValueTable, FixedValueLines) {
    Fill({"x", "b", "a", "q", "r"});
    table["a"] = 2.0;
    table["b"] = 1e6;
    table["q"] = -std::numeric_limits<double>::quiet_NaN();
    table["r"] = 1.0 / 3.0;
    table["x"] = 3.0;
    const struct {
        const char *excluded1, *excluded2, *lines;
    } cases[] = {{nullptr, nullptr, "a\t2\nb\t1e+06\nq\tnan\nr\t0.333333\nx\t3\n"},
                 {"x", "", "a\t2\nb\t1e+06\nq\tnan\nr\t0.333333\n"},
                 {"a", "x", "b\t1e+06\nq\tnan\nr\t0.333333\n"}};
    for (const auto& c : cases) {
        std::ostringstream lines;
        {
            ReportWriter out(lines);
            Write_FixedValues(out, table, labels, count, c.excluded1, c.excluded2);
        }
        EXPECT_EQ(lines.str(), c.lines);
    }
}

// ---- report file ----

// Report files in a scratch directory.
class ReportFileDialogue : public ::testing::Test {
protected:
    Session scratch;
};

const char FILE_PROMPT[] =
    "---------------------------------\n出力先のファイル名を入力してください(max79) :";
const char REPORT_HEAD[] = "\n****************************計算結果を記録します\n";

TEST_F(ReportFileDialogue, OpensForAppendingAndWritesTheHead) {
    std::string path = scratch.Path("r.txt");
    {
        std::ofstream existing(path);
        existing << "old\n";
    }
    {
        Console console(path + "\nafter\n");
        ::ReportFile report;
        EXPECT_EQ(Open_ReportFile(report), 1);
        EXPECT_TRUE(report.is_open());
        EXPECT_EQ(report.path, path);  // the shell draws the picture of this file
        ReportWriter out(report);
        Write_ResultRule(out);
        EXPECT_EQ(console.Output(), Cp932(FILE_PROMPT));
        EXPECT_EQ(console.Unread(), "after\n");
    }
    EXPECT_EQ(scratch.ReadFile("r.txt"),
              "old\n" + Cp932(REPORT_HEAD) + Cp932("----------関数計算の結果-------------\n"));
}

TEST_F(ReportFileDialogue, FailureToOpenPrintsTheMessage) {
    Console console(scratch.Path("missing/r.txt") + "\n");
    ::ReportFile report;
    EXPECT_EQ(Open_ReportFile(report), 0);
    EXPECT_FALSE(report.is_open());
    EXPECT_EQ(console.Output(),
              Cp932(std::string(FILE_PROMPT) + "ファイル書き込みに失敗しました。\n"));
}

TEST_F(ReportFileDialogue, EmptyNameCannotBeOpened) {
    Console console("\n");
    ::ReportFile report;
    EXPECT_EQ(Open_ReportFile(report), 0);
    EXPECT_EQ(console.Output(),
              Cp932(std::string(FILE_PROMPT) + "ファイル書き込みに失敗しました。\n"));
}

}  // namespace
