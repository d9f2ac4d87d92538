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

// The options parsed from the words, those not at their default, then the
// encoding chosen with KANSU_ENCODING at variable (null: unset), "complained"
// when the variable's value was named as unknown.
std::string Parsed(std::vector<const char*> words, const char* variable) {
    words.insert(words.begin(), "kansu");
    CommandOptions got = Parse_Options(static_cast<int>(words.size()), words.data());
    std::ostringstream text, complaint;
    auto word = [&text](bool on, const char* name) { text << (on ? name : ""); };
    word(got.utf8, "utf8 "), word(got.cp932, "cp932 "), word(got.no_edit, "no-edit ");
    word(got.show_help, "help "), word(got.show_version, "version "), word(got.plot, "plot ");
    word(got.digits_refused, "digits-refused "), word(got.threads_refused, "threads-refused ");
    if (got.digits != DEFAULT_DIGITS) text << "digits=" << got.digits << " ";
    if (got.threads != 0) text << "threads=" << got.threads << " ";
    if (!got.unknown.empty()) text << "unknown=" << got.unknown << " ";
    text << "-> " << (Utf8_Chosen(got, variable, complaint) ? "utf8" : "cp932");
    if (!complaint.str().empty()) text << " complained";
    return text.str();
}

// --digits and --threads take the next word, a count from 1 to 17 or 64. An
// option wins over KANSU_ENCODING (the last option given); without either,
// code page 932; an unknown value is named.
TEST(Options, ParsedWordsAndEncoding) {
    const struct {
        std::vector<const char*> words;
        const char* parsed;
        const char* variable = nullptr;
    } cases[] = {
        {{}, "-> cp932"},
        {{"--utf8"}, "utf8 -> utf8"},
        {{"--help"}, "help -> cp932"},
        {{"-h", "--utf8"}, "utf8 help -> utf8"},
        {{"--version"}, "version -> cp932"},
        {{"--utf-8", "--bad"}, "unknown=--utf-8 -> cp932"},
        {{"--utf8", "x.txt"}, "utf8 unknown=x.txt -> utf8"},
        {{"--plot", "--utf8"}, "utf8 plot -> utf8"},
        {{"--digits", "10"}, "digits=10 -> cp932"},
        {{"--digits", "1", "--utf8"}, "utf8 digits=1 -> utf8"},
        {{"--digits", "17"}, "digits=17 -> cp932"},
        {{"--digits", "0"}, "digits-refused -> cp932"},
        {{"--digits", "18"}, "digits-refused -> cp932"},
        {{"--digits", "-3"}, "digits-refused -> cp932"},
        {{"--digits", "7x"}, "digits-refused -> cp932"},
        {{"--digits", "017"}, "digits-refused -> cp932"},
        {{"--digits"}, "digits-refused -> cp932"},
        {{"--threads", "1"}, "threads=1 -> cp932"},
        {{"--threads", "64", "--digits", "8"}, "digits=8 threads=64 -> cp932"},
        {{"--threads", "65"}, "threads-refused -> cp932"},
        {{"--threads", "0"}, "threads-refused -> cp932"},
        {{"--threads", ""}, "threads-refused -> cp932"},
        {{"--threads"}, "threads-refused -> cp932"},
        {{}, "-> utf8", "utf-8"},
        {{}, "-> utf8", "UTF8"},
        {{}, "-> cp932", "cp932"},
        {{}, "-> cp932 complained", "latin1"},
        {{"--utf8"}, "utf8 -> utf8", "cp932"},
        {{"--cp932"}, "cp932 -> cp932", "utf-8"},
        {{"--utf8", "--cp932"}, "cp932 -> cp932"},
        {{"--cp932", "--utf8", "--no-edit"}, "utf8 no-edit -> utf8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words.empty() ? "(none)" : c.words[0]);
        EXPECT_EQ(Parsed(c.words, c.variable), c.parsed) << (c.variable ? c.variable : "");
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
