// The command lines of kansu eval, table and roots: which word starts them,
// the options, texts and values taken, and the first argument refused.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/csvrows.h"
#include "app/scriptargs.h"
#include "text/messages.h"

namespace {

std::vector<const char*> Words(const std::vector<std::string>& words) {
    std::vector<const char*> argv{"kansu"};
    for (const std::string& word : words) argv.push_back(word.c_str());
    return argv;
}

TEST(ScriptArgs, WordIndex) {
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{"eval", "1"}, 1},
        {{"--utf8", "table", "x", "x(0,1)"}, 2},
        {{"--cp932", "--utf8", "eval", "1"}, 3},
        {{"--digits", "3", "eval", "1"}, 0},  // other options only after the word
        {{"functions", "s.dat"}, 1},
        {{"plot", "eval"}, 0},
        {{"--utf8", "roots", "x", "x(0,1)"}, 2},
        {{}, 0},
    };
    for (const auto& entry : cases) {
        std::vector<const char*> argv = Words(entry.first);
        EXPECT_EQ(Script_WordIndex(static_cast<int>(argv.size()), argv.data()), entry.second);
    }
}

struct ParseCase {
    std::vector<std::string> words;  // the word eval or table first
    std::string bad_argument;
    size_t texts;
    size_t assignments;
    std::string refused = "";  // "digits", "threads" or "missing" (texts)
};

TEST(ScriptArgs, Parse) {
    const std::vector<ParseCase> cases = {
        {{"eval", "-x+1", "x=0.1"}, "", 1, 1},
        {{"eval", "-", "a=1", "b=2"}, "", 1, 2},
        {{"eval", "--digits", "12", "1/3"}, "", 1, 0},
        {{"eval", "--digits", "18", "1/3"}, "", 1, 0, "digits"},
        {{"eval", "--threads", "0", "1/3"}, "", 1, 0, "threads"},
        {{"eval", "1", "2"}, "2", 2, 0},
        {{"eval"}, "", 0, 0, "missing"},
        {{"eval", "a=1"}, "", 0, 1, "missing"},
        {{"functions", "s.dat"}, "", 1, 0},
        {{"functions"}, "", 0, 0, "missing"},
        {{"functions", "s.dat", "--csv"}, "--csv", 1, 0},
        {{"eval", "--csv", "1"}, "--csv", 1, 0},
        {{"table", "x", "x(0,1)", "-o", "r.txt", "--csv"}, "", 2, 0},
        {{"table", "--param", "cos(t)", "sin(t)", "t(0,1)"}, "", 3, 0},
        {{"table", "--implicit", "x-y", "x(0,1)", ""}, "", 3, 0},
        {{"table", "--polar", "tht"}, "", 1, 0, "missing"},
        {{"table", "x", "x(0,1)", "-o"}, "-o", 2, 0},
        {{"table", "--", "--x", "x(0,1)"}, "", 2, 0},
        {{"table", "--help"}, "", 0, 0},
        {{"roots", "--extrema", "--csv", "x^2-a", "x(0,1)", "a=2"}, "", 2, 1},
        {{"roots", "x", "x(0,1)", "-o", "r.txt"}, "-o", 3, 0},
        {{"roots", "--plot", "x", "x(0,1)"}, "--plot", 2, 0},
        {{"roots", "x"}, "", 1, 0, "missing"},
        {{"table", "--extrema", "x", "x(0,1)"}, "--extrema", 2, 0},
    };
    for (const ParseCase& entry : cases) {
        std::vector<const char*> argv = Words(entry.words);
        ScriptOptions options = Parse_ScriptOptions(static_cast<int>(argv.size()), argv.data(), 1);
        SCOPED_TRACE(entry.words.back());
        EXPECT_EQ(options.bad_argument, entry.bad_argument);
        EXPECT_EQ(options.texts.size(), entry.texts);
        EXPECT_EQ(options.assignments.size(), entry.assignments);
        EXPECT_EQ(options.digits_refused, entry.refused == "digits");
        EXPECT_EQ(options.threads_refused, entry.refused == "threads");
        EXPECT_EQ(options.texts_missing, entry.refused == "missing");
    }
    const std::vector<std::string> words = {
        "table", "--polar",  "--threads", "4",        "--digits", "9",
        "r",     "t(0,1)",   "-o",        "f",        "--plot",   "--functions",
        "s.dat", "--define", "f(a0)=a0",  "--define", "g()=1"};
    std::vector<const char*> argv = Words(words);
    ScriptOptions options = Parse_ScriptOptions(static_cast<int>(argv.size()), argv.data(), 1);
    EXPECT_EQ(options.mode, TableMode::POLAR);
    EXPECT_EQ(options.threads, 4);
    EXPECT_EQ(options.digits, 9);
    EXPECT_EQ(options.output_path, "f");
    EXPECT_EQ(options.functions_path, "s.dat");
    EXPECT_EQ(options.definitions, (std::vector<std::string>{"f(a0)=a0", "g()=1"}));
    EXPECT_TRUE(options.assignments.empty());
    EXPECT_TRUE(options.plot);
}

// The rows after the rule and the column titles, columns reordered, whatever
// the pieces the report arrives in.
TEST(CsvRows, TakesTheRowsAfterTheTitles) {
    std::string report = std::string("\nhead\ta\n") + Msg().REPORT_RESULT_RULE +
                         "r\tangle\tx\ty\n0.1\t1\t0.0540302\t0.0841471\n-2\t0.5\tnan\t-inf\n";
    const std::string expected = "1,0.1,0.0540302,0.0841471\n0.5,-2,nan,-inf\n";
    for (size_t piece : {1u, 3u, 7u, 1000u}) {
        std::ostringstream sink;
        CsvRows rows(sink, {1, 0, 2, 3});
        std::ostream out(&rows);
        for (size_t at = 0; at < report.size(); at += piece) out << report.substr(at, piece);
        out.flush();
        EXPECT_EQ(sink.str(), expected) << piece;
    }
}

}  // namespace
