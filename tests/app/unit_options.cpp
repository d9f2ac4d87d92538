// The command-line options of the dialogue and the switches it takes from
// the environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/options.h"
#include "eval/evalprog.h"
#include "formula/crtbtree.h"
#include "formula/symbol.h"
#include "userfunc/usrfunc.h"

namespace {

struct OptionCase {
    std::vector<const char*> words;
    bool utf8, help, version;
    std::string unknown;
    bool plot = false;
};

TEST(Options, ParsedWords) {
    const OptionCase cases[] = {
        {{}, false, false, false, ""},
        {{"--utf8"}, true, false, false, ""},
        {{"--help"}, false, true, false, ""},
        {{"-h", "--utf8"}, true, true, false, ""},
        {{"--version"}, false, false, true, ""},
        {{"--utf-8", "--bad"}, false, false, false, "--utf-8"},
        {{"--utf8", "x.txt"}, true, false, false, "x.txt"},
        {{"--plot", "--utf8"}, true, false, false, "", true},
    };
    for (const OptionCase& c : cases) {
        std::vector<const char*> argv{"kansu"};
        argv.insert(argv.end(), c.words.begin(), c.words.end());
        CommandOptions parsed = Parse_Options(static_cast<int>(argv.size()), argv.data());
        std::string shown = c.words.empty() ? "(none)" : c.words[0];
        EXPECT_EQ(parsed.utf8, c.utf8) << shown;
        EXPECT_EQ(parsed.show_help, c.help) << shown;
        EXPECT_EQ(parsed.show_version, c.version) << shown;
        EXPECT_EQ(parsed.unknown, c.unknown) << shown;
        EXPECT_EQ(parsed.plot, c.plot) << shown;
    }
}

// --digits and --threads take the next word, a count from 1 to 17 or 64.
TEST(Options, CountsAfterAnOption) {
    struct CountCase {
        std::vector<const char*> words;
        int digits;
        bool digits_refused;
        int threads = 0;
        bool threads_refused = false;
    };
    const CountCase cases[] = {
        {{}, 6, false},
        {{"--digits", "10"}, 10, false},
        {{"--digits", "1", "--utf8"}, 1, false},
        {{"--digits", "17"}, 17, false},
        {{"--digits", "0"}, 6, true},
        {{"--digits", "18"}, 6, true},
        {{"--digits", "-3"}, 6, true},
        {{"--digits", "7x"}, 6, true},
        {{"--digits", "017"}, 6, true},
        {{"--digits"}, 6, true},
        {{"--threads", "1"}, 6, false, 1},
        {{"--threads", "64", "--digits", "8"}, 8, false, 64},
        {{"--threads", "65"}, 6, false, 0, true},
        {{"--threads", "0"}, 6, false, 0, true},
        {{"--threads", ""}, 6, false, 0, true},
        {{"--threads"}, 6, false, 0, true},
    };
    for (const CountCase& c : cases) {
        std::vector<const char*> argv{"kansu"};
        argv.insert(argv.end(), c.words.begin(), c.words.end());
        CommandOptions parsed = Parse_Options(static_cast<int>(argv.size()), argv.data());
        std::string shown = c.words.empty() ? "(none)" : c.words[0];
        if (c.words.size() > 1) shown += std::string(" ") + c.words[1];
        EXPECT_EQ(c.digits, parsed.digits) << shown;
        EXPECT_EQ(c.digits_refused, parsed.digits_refused) << shown;
        EXPECT_EQ(c.threads, parsed.threads) << shown;
        EXPECT_EQ(c.threads_refused, parsed.threads_refused) << shown;
        EXPECT_EQ("", parsed.unknown) << shown;
    }
}

// An option wins over KANSU_ENCODING (the last option given); without either,
// code page 932; an unknown value is named.
TEST(Options, EncodingChoice) {
    struct Case {
        std::vector<const char*> words;
        const char* variable;
        bool utf8, complaint;
    } cases[] = {
        {{}, nullptr, false, false},
        {{}, "utf-8", true, false},
        {{}, "UTF8", true, false},
        {{}, "cp932", false, false},
        {{}, "latin1", false, true},
        {{"--utf8"}, "cp932", true, false},
        {{"--cp932"}, "utf-8", false, false},
        {{"--utf8", "--cp932"}, nullptr, false, false},
        {{"--cp932", "--utf8", "--no-edit"}, nullptr, true, false},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"kansu"};
        argv.insert(argv.end(), c.words.begin(), c.words.end());
        CommandOptions options = Parse_Options(static_cast<int>(argv.size()), argv.data());
        std::ostringstream complaint;
        EXPECT_EQ(Utf8_Chosen(options, c.variable, complaint), c.utf8) << c.words.size();
        EXPECT_EQ(complaint.str().empty(), !c.complaint) << complaint.str();
        EXPECT_EQ(options.no_edit, c.words.size() == 3);
        EXPECT_TRUE(options.unknown.empty());
    }
}

// KANSU_MACHINE_CODE=0 leaves every formula to the run loop; any other value,
// or none, lets machine code be made where it can.
TEST(Options, MachineCodeTurnedOffFromTheEnvironment) {
    CompForm* items = nullptr;
    int item_count = Formula_Analysis(&items, "3*x^2+2*x+1", g_ufunc_list);
    ASSERT_GT(item_count, 0);
    std::unique_ptr<CompForm[]> owned(items);
    AscArray<double> table;
    Create_SymbolTable(items, item_count, table);
    EvalProgram program(Build_Tree(items, item_count), g_ufunc_list);
    std::ostringstream out;
    CommandOptions none = Parse_Options(0, nullptr);
    for (const char* value : {"0", "1", ""}) {
        SCOPED_TRACE(value);
        ASSERT_EQ(0, setenv("KANSU_MACHINE_CODE", value, 1));
        ASSERT_EQ(-1, Apply_Options(none, out, out));
        bool native = EvalMachine(program).Runs_Native();
#if defined(__x86_64__) && defined(__linux__)
        EXPECT_EQ(std::strcmp(value, "0") != 0, native);
#else
        EXPECT_FALSE(native);
#endif
    }
    unsetenv("KANSU_MACHINE_CODE");
    ASSERT_EQ(-1, Apply_Options(none, out, out));
}

}  // namespace
