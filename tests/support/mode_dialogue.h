// Texts shared by the scenario tests of the parametric, implicit and polar modes.
#ifndef KANSU_TEST_MODE_DIALOGUE_H
#define KANSU_TEST_MODE_DIALOGUE_H

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "session.h"

const std::string kValueHeader = "以下に表示される変数の値を入力してください。\n";
const std::string kFilePrompt =
    "---------------------------------\n出力先のファイル名を入力してください(max79) :";
const std::string kReportHead = "\n****************************計算結果を記録します\n";
const std::string kResultRule = "----------関数計算の結果-------------\n";
const std::string kRangeError = "変数、範囲の与え方が間違っています\n";
// The report of x^2+y^2-1 over x(-1,1)[4] and y(-1,1)[2], after its head.
const std::string kUnitCircleReport =
    "計算式 x^2+y^2-1= 0 \n"
    "独立変数 x  :従属変数 y\n"
    "独立変数x :範囲 [-1] - [1] :分割4\n"
    "従属変数y :範囲 [-1] - [1] :分割2\n"
    "\n" +
    kResultRule +
    "独立変数x\t従属変数y\t  関数計算値\n"
    "0\t-1\t0\n"
    "-1\t0\t0\n"
    "1\t0\t0\n"
    "0\t1\t0\n";

// The lines of a text, without their line feeds.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

// The report of x/3 over x(0,1)[1], head and all.
const std::string kThirdsReport = kReportHead +
                                  "計算した式はx/3\n値可変変数 x :範囲 [0] - [1] :分割1\n" +
                                  "変数(値固定)と、その値は以下の通りです\n" + kResultRule +
                                  "変数x\t関数計算値\n0\t0\n1\t0.333333\n";

// UTF-8 text as the program writes it in the encoding given.
inline std::string Encoded(const std::string& utf8_text, bool utf8) {
    return PlatformText(utf8 ? utf8_text : Cp932Always(utf8_text));
}

// Each command line beside its plainly written twin: it succeeds silently,
// and shown() makes the same of both outputs.
template <typename Shown>
void Check_Twins(const std::vector<std::pair<std::string, std::string>>& twins, Shown shown) {
    for (const auto& twin : twins) {
        SCOPED_TRACE(twin.first);
        Session session;
        SessionResult result = session.RunWithArguments(twin.first, "");
        SessionResult plain = session.RunWithArguments(twin.second, "");
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_EQ(result.error_output, "");
        EXPECT_NE(plain.output, "");
        EXPECT_EQ(shown(result.output), shown(plain.output));
    }
}

// A run that ends normally: the whole input, the whole console and, when the
// run writes out.txt, the report after its head (empty: no file is made).
struct ModeRun {
    const char* what;
    std::string typed;
    std::string console;
    std::string report;
};

// Each run in a session of its own: status 0, the console and the report.
inline void Check_Runs(const std::vector<ModeRun>& runs) {
    for (const ModeRun& run : runs) {
        SCOPED_TRACE(run.what);
        Session session;
        SessionResult result = session.Run(run.typed);
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_TRUE(SameText(run.console, result.output));
        if (run.report.empty()) {
            EXPECT_TRUE(session.Files().empty());
            continue;
        }
        EXPECT_EQ(session.Files(), std::vector<std::string>{"out.txt"});
        EXPECT_TRUE(SameText(kReportHead + run.report, session.ReadFile("out.txt")));
    }
}

// A run over a range given without a count: the report head (after the common
// one) as given, then 101 rows, those listed by their index as given.
inline void Check_HundredDivisions(const std::string& typed, const std::string& head_utf8,
                                   const std::vector<std::pair<int, std::string>>& rows) {
    Session session;
    EXPECT_EQ(session.Run(typed).exit_status, 0);
    std::string report = session.ReadFile("out.txt");
    size_t head_size = PlatformText(Cp932(kReportHead + head_utf8)).size();
    ASSERT_TRUE(SameText(kReportHead + head_utf8, report.substr(0, head_size)));
    std::vector<std::string> data = Lines(UnixText(report.substr(head_size)));
    ASSERT_EQ(data.size(), 101u);
    for (const std::pair<int, std::string>& row : rows) EXPECT_EQ(data[row.first], row.second);
}

#endif
