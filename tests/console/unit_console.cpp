// The console readers and the formula-input helpers: Input_Formula,
// Input_Line, Read_Word, My_Strncpy, Create_TempCompForm, Copy_CompFormArray.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "formula/fmulaopfc.h"
#include "console/consoleio.h"
#include "console/formulainput.h"
#include "console/typednumber.h"
#include "formula/formulatext.h"
#include "userfunc/usrfunc.h"
#include "allocation_hooks.h"  // reading must not grow with the input
#include "halfwidth_twin.h"
#include "session.h"
#include "text/fullwidth.h"
#include "text/messages.h"
#include "tree_walker.h"

namespace {

// Reads one Input_Formula line; "<null>" stands for the null result.
std::string FormulaLine(std::istream& in, int size = 256) {
    char buffer[512];
    std::memset(buffer, '#', sizeof buffer);
    char* result = Input_Formula(in, buffer, size);
    if (result == nullptr) return "<null>";
    EXPECT_EQ(result, buffer);
    EXPECT_EQ(buffer[size], '#') << "written past the given size";
    return buffer;
}

std::string Rest(std::istream& in) {
    std::string rest;
    char letter;
    while (in.get(letter)) rest += letter;
    return rest;
}

// ---- Input_Formula ----

// Successive line reads of one input with one buffer size, then what is left.
struct LineReads {
    const char* what;
    std::string input;
    int size;
    std::vector<std::string> lines;  // "<null>": the null result
    std::string rest;
};

TEST(InputFormula, SuccessiveReads) {
    std::string letters;
    for (int i = 0; i < 300; ++i) letters += static_cast<char>('a' + i % 26);
    const LineReads rows[] = {
        {"blanks are dropped and the line feed consumed",
         "2 * (x + 1)\nnext\n",
         256,
         {"2*(x+1)"},
         "next\n"},
        {"every ASCII blank is dropped", " \t\v\f\ra \t b\r\n", 256, {"ab"}, ""},
        {"empty lines are empty texts, not failures",
         "\n   \t\nz\n",
         256,
         {"", "", "z", "<null>"},
         ""},
        {"end of input after text gives the text", "abc", 256, {"abc", "<null>"}, ""},
        {"end of input at once is a failure", "", 256, {"<null>"}, ""},
        {"end of input with only blanks is a failure", "  \t ", 256, {"<null>"}, ""},
        // A full buffer loses the last character ("e") and leaves the rest.
        {"a full buffer", "abcdefg\nxy\n", 5, {"abcd", "fg", "xy"}, ""},
        {"a line of exactly size characters leaves an empty line",
         "abcde\nxy\n",
         5,
         {"abcd", "", "xy"},
         ""},
        {"a line that fits consumes its line feed", "abcd\nxy\n", 5, {"abcd", "xy"}, ""},
        {"blanks do not count toward the limit", "a b c d\n", 5, {"abcd", "<null>"}, ""},
        {"a long command line keeps 79 characters",
         letters + "\n",
         80,
         {letters.substr(0, 79), letters.substr(80, 79), letters.substr(160, 79),
          letters.substr(240)},
         ""},
        {"bytes above ASCII are kept",
         "\x82\xa0x\xa0\x85 \xff\n",
         256,
         {"\x82\xa0x\xa0\x85\xff"},
         ""},
        {"a buffer of one holds only the terminator", "ab\n", 1, {"", "", ""}, ""},
    };
    for (const LineReads& row : rows) {
        std::istringstream in(row.input);
        for (const std::string& line : row.lines)
            EXPECT_EQ(FormulaLine(in, row.size), line) << row.what;
        EXPECT_EQ(Rest(in), row.rest) << row.what;
    }
}

// ---- Input_Line ----

struct LineRead {
    int count;
    std::string text;
};

LineRead ReadLine(std::istream& in, int size = 256) {
    char buffer[512];
    std::memset(buffer, '#', sizeof buffer);
    int count = Input_Line(in, buffer, size);
    EXPECT_EQ(buffer[size], '#') << "written past the given size";
    EXPECT_EQ(static_cast<size_t>(count), std::strlen(buffer));
    return LineRead{count, buffer};
}

// Input_Line: the counts are the texts' lengths (ReadLine checks them).
TEST(InputLine, SuccessiveReads) {
    const std::string range_line(500, 'r');
    const LineReads rows[] = {
        {"blanks are kept", "  a b \t\r\n   \nnext\n", 256, {"  a b \t\r", "   ", "next"}, ""},
        {"an empty line is empty", "\nx\n", 256, {"", "x"}, ""},
        {"a long line leaves its rest for the next read",
         "abcdefg\nxy\n",
         5,
         {"abcd", "efg", "xy"},
         ""},
        {"an exact fit consumes its line feed", "abcd\nxy\n", 5, {"abcd", "xy"}, ""},
        {"one character over leaves one character", "abcde\nxy\n", 5, {"abcd", "e", "xy"}, ""},
        {"end of input after text", "ab", 256, {"ab", ""}, ""},
        {"end of input after an exact fit", "abcd", 5, {"abcd", ""}, ""},
        {"end of input at once", "", 256, {""}, ""},
        {"a long range line keeps 418 characters",
         range_line + "\n",
         419,
         {range_line.substr(0, 418), range_line.substr(418), ""},
         ""},
        {"bytes above ASCII are kept", "\x82\xa0 \xff\n", 256, {"\x82\xa0 \xff"}, ""},
    };
    for (const LineReads& row : rows) {
        std::istringstream in(row.input);
        for (const std::string& line : row.lines)
            EXPECT_EQ(ReadLine(in, row.size).text, line) << row.what;
        EXPECT_EQ(Rest(in), row.rest) << row.what;
    }
}

// ---- Read_Word ----

std::string Word(std::istream& in, int size) {
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    Read_Word(in, buffer, size);
    EXPECT_EQ(buffer[size], '#') << "written past the given size";
    return buffer;
}

TEST(ReadWord, ReadsOneBlankDelimitedWord) {
    std::istringstream in("  first second\nthird");
    EXPECT_EQ(Word(in, 32), "first");
    EXPECT_EQ(Word(in, 32), "second");
    EXPECT_EQ(Word(in, 32), "third");
}

TEST(ReadWord, LongWordIsCutAndItsRestDiscarded) {
    std::istringstream in("abcdefgh next\n");
    EXPECT_EQ(Word(in, 4), "abc");
    EXPECT_EQ(Word(in, 4), "nex");
    std::istringstream fits("abc def");
    EXPECT_EQ(Word(fits, 4), "abc");
    EXPECT_EQ(Word(fits, 4), "def");
}

TEST(ReadWord, AHugeWordIsSkippedWithoutBeingStored) {
    std::istringstream in(std::string(1 << 20, 'x') + " next");
    g_largest_allocation = 0;
    EXPECT_EQ(Word(in, 8), "xxxxxxx");
    EXPECT_LT(g_largest_allocation, 4096u);
    EXPECT_EQ(Word(in, 8), "next");
    EXPECT_TRUE(in.eof());
    EXPECT_FALSE(in.fail());  // a word was read, as formatted extraction reports it
}

TEST(ReadWord, NothingToReadGivesAnEmptyText) {
    std::istringstream empty("");
    EXPECT_EQ(Word(empty, 8), "");
    std::istringstream blanks("   \n\t ");
    EXPECT_EQ(Word(blanks, 8), "");
    EXPECT_TRUE(blanks.fail());
}

TEST(ReadWord, TheLineFeedAfterTheWordStaysInTheStream) {
    std::istringstream in("name\nrest\n");
    EXPECT_EQ(Word(in, 16), "name");
    EXPECT_EQ(Rest(in), "\nrest\n");
}

// ---- My_Strncpy ----

// Copies of count characters into a destination of dest_size: the text, and
// nothing written past its terminator; a count below one copies nothing.
TEST(MyStrncpy, CopiesTheGivenCountCutToTheDestination) {
    const std::string formula(255, 'q');  // a whole formula line fits the error line
    const struct {
        std::string source;
        int count, dest_size, done;
        std::string copied;
    } rows[] = {{"x+*2", 3, 256, 1, "x+*"},   // the given count, terminated
                {"(x+1", 5, 256, 1, "(x+1"},  // a count through the terminator: the whole text
                {"abcdefghij", 10, 4, 1, "abc"},
                {"abcdefghij", 4, 4, 1, "abc"},
                {"abcdefghij", 3, 4, 1, "abc"},
                {formula, 256, 256, 1, formula},
                {"abc", 0, 8, 0, ""},
                {"abc", -5, 8, 0, ""}};
    for (const auto& row : rows) {
        char dest[257];
        std::memset(dest, '#', sizeof dest);
        EXPECT_EQ(My_Strncpy(dest, row.source.c_str(), row.count, row.dest_size), row.done)
            << row.source;
        if (row.done == 0) {
            EXPECT_EQ(dest[0], '#') << row.count;
            continue;
        }
        EXPECT_EQ(dest, row.copied) << row.source;
        EXPECT_EQ(dest[row.copied.size() + 1], '#') << row.source;
    }
}

TEST(MyStrncpy, StopsAtTheSourceTerminatorAndRefusesAnEmptyDestination) {
    // A source shorter than the count: nothing past its terminator is read
    // (the sanitizer build catches an overread of this exact-size heap copy).
    char* source = new char[3]{'a', 'b', '\0'};
    char dest[16];
    std::memset(dest, '#', sizeof dest);
    EXPECT_EQ(My_Strncpy(dest, source, 10, 16), 1);
    EXPECT_STREQ(dest, "ab");
    delete[] source;
    char untouched = '#';
    EXPECT_EQ(My_Strncpy(&untouched, "abc", 2, 0), 0);
    EXPECT_EQ(untouched, '#');
}

// ---- Create_TempCompForm and Copy_CompFormArray ----

int Capacity(const char* text) {
    int capacity = -1;
    CompForm* items = Create_TempCompForm(text, &capacity);
    EXPECT_NE(items, nullptr);
    for (int i = 0; i < capacity; ++i) {
        EXPECT_EQ(items[i].list_fnarg.element_num, 0);
        EXPECT_EQ(items[i].list_fnarg.CompList, nullptr);
    }
    delete[] items;
    return capacity;
}

TEST(TempCompForm, CapacityCountsTheInsertedZeros) {
    const std::pair<const char*, int> rows[] = {
        {"-x", 3},    {"+x", 3},      {"2*(-x)", 7}, {"((+x))", 7},  {"", 0},
        {"x", 1},     {"2*(x+1)", 7}, {"-(-x)", 7},  {"(-(+x))", 9}, {"x*(-", 5},
        {"x-(y)", 5}, {"x(-", 4},     {"-", 2}};
    for (const auto& row : rows) EXPECT_EQ(Capacity(row.first), row.second) << row.first;
}

TEST(CopyCompForm, CopiesEveryItemAndDuplicatesSlotArrays) {
    CompForm target_a, target_b;
    CompForm source[2];
    std::strcpy(source[0].CompArray, "log");
    source[0].kind = KIND_FUNCTION;
    source[0].argm_num = 2;
    source[0].operator_kind = OPR_LOG_BASE;
    source[0].list_fnarg = CFList(2);
    source[0].list_fnarg[0] = &target_a;
    source[0].list_fnarg[1] = &target_b;
    std::strcpy(source[1].CompArray, "x");
    source[1].kind = KIND_VARIABLE;
    source[1].argm_num = -1;
    CompForm copy[3];
    std::strcpy(copy[2].CompArray, "untouched");
    EXPECT_EQ(Copy_CompFormArray(source, copy, 2), 1);
    EXPECT_STREQ(copy[0].CompArray, "log");
    EXPECT_EQ(copy[0].kind, KIND_FUNCTION);
    EXPECT_EQ(copy[0].argm_num, 2);
    EXPECT_EQ(copy[0].operator_kind, OPR_LOG_BASE);
    ASSERT_EQ(copy[0].list_fnarg.element_num, 2);
    EXPECT_NE(copy[0].list_fnarg.CompList, source[0].list_fnarg.CompList);
    EXPECT_EQ(copy[0].list_fnarg[1], &target_b);
    EXPECT_STREQ(copy[1].CompArray, "x");
    EXPECT_EQ(copy[1].argm_num, -1);
    EXPECT_STREQ(copy[2].CompArray, "untouched");
    source[0].list_fnarg.DelElement();
    EXPECT_EQ(copy[0].list_fnarg[0], &target_a);
    EXPECT_EQ(Copy_CompFormArray(source, copy, 0), 1);
}

// ---- Analysis_InputFormula: the hand-over of an accepted formula ----

// Runs the formula input on typed text; the console is captured meanwhile.
struct FormulaInput {
    int result;
    std::string shown;
    std::string text;
    std::vector<std::string> names;  // the variables listed
    bool made;                       // a tree or a name list was made
    double value;                    // of the tree, at x = 1/3
};

FormulaInput Input(const std::string& typed) {
    std::istringstream in(typed);
    std::ostringstream out;
    std::streambuf* saved_in = std::cin.rdbuf(in.rdbuf());
    std::streambuf* saved_out = std::cout.rdbuf(out.rdbuf());
    FormulaArgument formula;
    FormulaInput input;
    input.result = Analysis_InputFormula(formula, g_ufunc_list);
    std::cin.rdbuf(saved_in);
    std::cout.rdbuf(saved_out);
    input.shown = out.str();
    input.text = formula.line_array;
    for (int i = 0; i < formula.count_current; ++i) input.names.push_back(formula.copy_label[i]);
    input.made = formula.the_root != nullptr || formula.copy_label != nullptr;
    input.value = 0.0;
    if (formula.the_root != nullptr) {
        if (formula.Has("x")) formula.array["x"] = 1.0 / 3.0;
        int error_num = 1;
        input.value = Reference_Value(formula.the_root, &error_num, g_ufunc_list);
    }
    return input;
}

const char FORMULA_PROMPT[] = "計算したい式を入力してくださいな\n";

// The caller receives the formula, blanks dropped, its variables listed in
// name order and its tree, with the inserted zero before a leading sign.
TEST(FormulaHandOver, AcceptedFormulaIsHandedOverWithItsNamesAndTree) {
    const double third = 1.0 / 3.0;
    FormulaInput spaced = Input("2 * (x + b1 + 1) - a\n");
    EXPECT_EQ(spaced.result, 1);
    EXPECT_EQ(spaced.shown, Cp932(FORMULA_PROMPT));
    EXPECT_EQ(spaced.text, "2*(x+b1+1)-a");
    EXPECT_EQ(spaced.names, (std::vector<std::string>{"a", "b1", "x"}));
    EXPECT_EQ(spaced.value, 2.0 * (third + 0.0 + 1.0) - 0.0);

    FormulaInput sign = Input("-x\n");
    EXPECT_EQ(sign.result, 1);
    EXPECT_EQ(sign.value, 0.0 - third);

    FormulaInput inner_sign = Input("2^(-x)\n");
    EXPECT_EQ(inner_sign.result, 1);
    EXPECT_EQ(inner_sign.value, std::pow(2.0, 0.0 - third));
}

// A refused formula, an empty line and end of input make nothing and show
// their own message.
TEST(FormulaHandOver, FailuresLeaveThePointerAndShowTheirMessage) {
    FormulaInput refused = Input("x+*2\n");
    EXPECT_EQ(refused.result, 0);
    EXPECT_FALSE(refused.made);
    EXPECT_EQ(refused.shown,
              Cp932(std::string(FORMULA_PROMPT) +
                    "これは式になってないぞ！プンプン\nおかしいところはx+*…なんです。"));

    FormulaInput empty = Input("\n");
    EXPECT_EQ(empty.result, 0);
    EXPECT_FALSE(empty.made);
    EXPECT_EQ(empty.shown, Cp932(std::string(FORMULA_PROMPT) + "式が入力されていません\n"));

    FormulaInput ended = Input("");
    EXPECT_EQ(ended.result, 0);
    EXPECT_FALSE(ended.made);
    EXPECT_EQ(ended.shown, Cp932(std::string(FORMULA_PROMPT) + "入力失敗しました\n"));
}

// ---- Full-width numbers ----

std::string Typed(const std::string& utf8, bool utf8_console) {
    return utf8_console ? utf8 : Cp932(utf8);
}

// Numbers typed at the numeric prompts read as their half-width twins, in both
// console encodings, and leave the same rest.
TEST(FullWidth, NumbersAreReadAsTheirHalfWidthTwins) {
    for (bool utf8 : {false, true}) {
        Use_Utf8(utf8);
        for (const char* text :
             {"１２\n", "－１\n", "−３ｘ", "＋５　\n", "　\t\n　７", "１．５", "－",
              "９９９９９９９９９９９", "", "ａ１", "表", "１表", "０ｘ"}) {
            std::istringstream full(Typed(text, utf8)), half(Typed(HalfWidthTwin(text), utf8));
            int full_value = 7, half_value = 7;
            Read_TypedNumber(full, full_value);
            half >> half_value;
            EXPECT_EQ(full_value, half_value) << text;
            EXPECT_EQ(full.rdstate(), half.rdstate()) << text;
            Skip_TypedCharacter(full);
            half.get();
            full.clear();
            half.clear();
            EXPECT_EQ(Fold_FullWidth(Rest(full).c_str(), NUMBER_FORMS), Rest(half)) << text;
        }
        std::istringstream count(Typed("－１", utf8));
        unsigned short arg_count = 0;
        EXPECT_TRUE(Read_TypedNumber(count, arg_count) && arg_count == 65535);  // as -1 reads
    }
    Use_Utf8(false);
}

}  // namespace
