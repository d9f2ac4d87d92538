// Range texts such as x(1,10)[50]: accepted forms, every refusal
// code, the buffer limits and the division count checks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <sstream>
#include <string>

#include "formula/rangetext.h"
#include "formula/varinput.h"
#include "halfwidth_twin.h"
#include "session.h"
#include "text/fullwidth.h"
#include "text/messages.h"

namespace {

const int UNTOUCHED_STEPS = 77;
const double UNTOUCHED_VALUE = -99.0;

struct Parsed {
    int result;
    std::string name;
    double min_value;
    double max_value;
    int steps;
};

Parsed Parse(const std::string& text, int var_size = 256) {
    char name[600];
    std::memset(name, 0, sizeof name);
    Parsed parsed = {0, "", UNTOUCHED_VALUE, UNTOUCHED_VALUE, UNTOUCHED_STEPS};
    parsed.result = Analysis_Variable(text.c_str(), name, var_size, &parsed.min_value,
                                      &parsed.max_value, &parsed.steps);
    parsed.name = name;
    return parsed;
}

int Code(const std::string& text, int var_size = 256) { return Parse(text, var_size).result; }

// Every text gives the code.
void Expect_Code(int code, std::initializer_list<std::string> texts) {
    for (const std::string& text : texts) EXPECT_EQ(Code(text), code) << text;
}
// Every text gives the division count.
void Expect_Steps(int steps, std::initializer_list<std::string> texts) {
    for (const std::string& text : texts) EXPECT_EQ(Parse(text).steps, steps) << text;
}

TEST(RangeAccepted, BoundsWithoutACountLeaveTheCountAlone) {
    Parsed p = Parse("x(1,10)");
    EXPECT_EQ(p.result, 1);
    EXPECT_EQ(p.name, "x");
    EXPECT_EQ(p.min_value, 1.0);
    EXPECT_EQ(p.max_value, 10.0);
    EXPECT_EQ(p.steps, UNTOUCHED_STEPS);
}

TEST(RangeAccepted, CountInBracketsIsTruncatedTowardZero) {
    EXPECT_EQ(Parse("x(1,10)[50]").steps, 50);
    EXPECT_EQ(Parse("x(1,10)[12.9]").steps, 12);
    Parsed negative = Parse("x(1,10)[-3]");
    EXPECT_EQ(negative.result, 1);
    EXPECT_EQ(negative.steps, -3);
    EXPECT_EQ(Parse("x(1,10)[-3.7]").steps, -3);
    Parsed zero = Parse("x(1,10)[0]");
    EXPECT_EQ(zero.result, 1);
    EXPECT_EQ(zero.steps, 0);
    Parsed empty = Parse("x(1,10)[]");
    EXPECT_EQ(empty.result, 1);
    EXPECT_EQ(empty.steps, 0);
    EXPECT_EQ(Parse("x(1,10)[2e1]").steps, 20);
}

TEST(RangeAccepted, WhiteSpaceIsDroppedEverywhere) {
    Parsed p = Parse("  x (0 , 2.5e1 )");
    EXPECT_EQ(p.result, 1);
    EXPECT_EQ(p.name, "x");
    EXPECT_EQ(p.min_value, 0.0);
    EXPECT_EQ(p.max_value, 25.0);
    Parsed joined = Parse("x y(1,2)");
    EXPECT_EQ(joined.result, 1);
    EXPECT_EQ(joined.name, "xy");
    Parsed spread = Parse("\tab1 ( - 1 . 5 ,\n3 ) [ 1 0 ]");
    EXPECT_EQ(spread.result, 1);
    EXPECT_EQ(spread.name, "ab1");
    EXPECT_EQ(spread.min_value, -1.5);
    EXPECT_EQ(spread.max_value, 3.0);
    EXPECT_EQ(spread.steps, 10);
}

TEST(RangeAccepted, TextAfterTheRangeIsIgnored) {
    Parsed trailing = Parse("x(1,10)abc");
    EXPECT_EQ(trailing.result, 1);
    EXPECT_EQ(trailing.steps, UNTOUCHED_STEPS);
    Parsed between = Parse("x(1,10) abc [20]");
    EXPECT_EQ(between.result, 1);
    EXPECT_EQ(between.steps, 20);
    Parsed after = Parse("x(1,10)[5]]junk[7](");
    EXPECT_EQ(after.result, 1);
    EXPECT_EQ(after.steps, 5);
}

TEST(RangeAccepted, BoundsAreNotCheckedAgainstEachOther) {
    Parsed reversed = Parse("x(10,1)");
    EXPECT_EQ(reversed.result, 1);
    EXPECT_EQ(reversed.min_value, 10.0);
    EXPECT_EQ(reversed.max_value, 1.0);
    Parsed empty = Parse("x(,)");
    EXPECT_EQ(empty.result, 1);
    EXPECT_EQ(empty.min_value, 0.0);
    EXPECT_EQ(empty.max_value, 0.0);
}

TEST(RangeAccepted, NamesMixLettersAndDigitsInEitherCase) {
    Parsed p = Parse("Theta2b(0,1)");
    EXPECT_EQ(p.result, 1);
    EXPECT_EQ(p.name, "Theta2b");
}

TEST(RangeRefused, TextEndingEarlyGivesZero) {
    Expect_Code(0, {"x(1,10", "x(1,10)[20", "x", "x(", "x(1", "x(1,", "x(1,2)["});
}

TEST(RangeRefused, EmptyTextGivesMinusOne) { EXPECT_EQ(Code(""), -1); }

TEST(RangeRefused, BadNamesGiveMinusTwo) {
    Expect_Code(-2, {"   ", "1x(1,2)", "x-1(1,2)", "(1,2)", "_x(1,2)", "x_y(1,2)"});
}

TEST(RangeRefused, ABadCharacterAtTheVeryEndGivesZero) { Expect_Code(0, {"x-", "ab."}); }

TEST(RangeRefused, BadNumbersGiveTheirPieceCode) {
    Expect_Code(-3, {"x(a,2)", "x(1.2.3,2)"});
    Expect_Code(-4, {"x(1,b)", "x(1,2e)"});
    Expect_Code(-5, {"x(1,2)[c]", "x(1,2)[3x]"});
}

TEST(RangeRefused, LowerBoundIsCheckedBeforeTheUpperAndTheCount) {
    Expect_Code(-3, {"x(a,b)[c]"});
    Expect_Code(-4, {"x(1,b)[c]"});
}

TEST(RangeRefused, RefusalLeavesTheCountAlone) {
    Expect_Steps(UNTOUCHED_STEPS, {"x(a,2)[5]", "x(1,2)[c]"});
}

TEST(RangeRefused, NonDecimalNumbersAreRefused) {
    Expect_Code(-3, {"x(inf,1)", "x(0x10,1)"});
    Expect_Code(-4, {"x(0,nan)"});
    Expect_Code(-5, {"x(0,1)[nan]", "x(0,1)[inf]", "x(0,1)[-inf]", "x(0,1)[NaN]", "x(0,1)[0x10]",
                     "x(0,1)[infinity]"});
}

TEST(RangeLimits, CountMustFitAnInt) {
    Expect_Code(-5, {"x(0,1)[1e10]", "x(0,1)[-1e10]", "x(0,1)[1e400]", "x(0,1)[-1e400]",
                     "x(0,1)[2147483648]", "x(0,1)[-2147483649]"});
    Expect_Steps(2147483647, {"x(0,1)[2147483647]", "x(0,1)[2147483647.9]"});
    Expect_Steps(-2147483647 - 1, {"x(0,1)[-2147483648]", "x(0,1)[-2147483648.5]"});
}

TEST(RangeLimits, HugeBoundsAreNumbers) {
    Parsed p = Parse("x(-1e400,1e400)");
    EXPECT_EQ(p.result, 1);
    EXPECT_EQ(p.min_value, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(p.max_value, std::numeric_limits<double>::infinity());
}

TEST(RangeLimits, NameMustFitTheBuffer) {
    Parsed longest = Parse(std::string(255, 'a') + "(1,2)");
    EXPECT_EQ(longest.result, 1);
    EXPECT_EQ(longest.name, std::string(255, 'a'));
    EXPECT_EQ(Code(std::string(256, 'a') + "(1,2)"), -2);
    // The refusal comes with the character after the full buffer, so it
    // shows only when more text follows.
    Expect_Code(0, {std::string(256, 'a') + "("});
    Expect_Code(-2, {std::string(300, 'a') + "(1,2)"});
    // Blanks inside the name do not count.
    EXPECT_EQ(Parse(std::string(255, 'a') + "   (1,2)").result, 1);
}

TEST(RangeLimits, SmallNameBuffers) {
    Parsed fits = Parse("x(1,2)", 2);
    EXPECT_EQ(fits.result, 1);
    EXPECT_EQ(fits.name, "x");
    EXPECT_EQ(Code("xy(1,2)", 2), -2);
    EXPECT_EQ(Code("xy(1,2)", 3), 1);
}

TEST(RangeLimits, NumbersHoldSeventyNineCharacters) {
    // 78 zeros and a one: 79 characters, the value 1.
    const std::string one79 = std::string(78, '0') + "1";
    const std::string one80 = std::string(79, '0') + "1";
    Parsed lower = Parse("x(" + one79 + ",2)");
    EXPECT_EQ(lower.result, 1);
    EXPECT_EQ(lower.min_value, 1.0);
    EXPECT_EQ(Code("x(" + one80 + ",2)"), -3);
    Parsed upper = Parse("x(0," + one79 + ")");
    EXPECT_EQ(upper.result, 1);
    EXPECT_EQ(upper.max_value, 1.0);
    EXPECT_EQ(Code("x(0," + one80 + ")[5]"), -4);
    Parsed count = Parse("x(0,2)[" + one79 + "]");
    EXPECT_EQ(count.result, 1);
    EXPECT_EQ(count.steps, 1);
    EXPECT_EQ(Code("x(0,2)[" + one80 + "]x"), -5);
}

TEST(RangeLimits, OverlongNumberAtTheEndOfTheTextGivesZero) {
    const std::string one80 = std::string(79, '0') + "1";
    // The refusal comes with the terminator after the full buffer; when that
    // terminator is the last character the text simply ends early.
    Expect_Code(0, {"x(" + one80 + ",", "x(0," + one80 + ")", "x(0,2)[" + one80 + "]"});
}

TEST(RangeLimits, BlanksDoNotCountTowardTheNumberLimit) {
    std::string spaced;
    for (int i = 0; i < 78; ++i) spaced += "0 ";
    spaced += "1";
    Parsed p = Parse("x(" + spaced + ",2)");
    EXPECT_EQ(p.result, 1);
    EXPECT_EQ(p.min_value, 1.0);
}

TEST(RangeBytes, HighBytesAreNeverLettersOrBlanks) {
    Expect_Code(-2,
                {"\x82\xa0x(1,2)", "x\x82\xa0(1,2)", "x\xa0(1,2)", "x\x85(1,2)", "\xe9t\xe9(1,2)"});
    Expect_Code(-3, {"x(1\x82\xa0,2)"});
    Expect_Code(-4, {"x(1,\xa0"
                     "2)"});
    Expect_Code(-5, {"x(1,2)[\x85"
                     "3]"});
    Parsed between = Parse("x(1,2)\x82\xa0[4]\xff");
    EXPECT_EQ(between.result, 1);
    EXPECT_EQ(between.steps, 4);
}

TEST(RangeSteps, NameStep) {
    char name[4];
    int position = 0;
    EXPECT_EQ(Get_VariName('a', name, &position, 4), 1);
    EXPECT_EQ(Get_VariName(' ', name, &position, 4), 1);
    EXPECT_EQ(Get_VariName('7', name, &position, 4), 1);
    EXPECT_EQ(position, 2);
    EXPECT_EQ(Get_VariName('(', name, &position, 4), 2);
    EXPECT_STREQ(name, "a7");
    position = 0;
    EXPECT_EQ(Get_VariName('-', name, &position, 4), -2);
    EXPECT_EQ(Get_VariName(0x82, name, &position, 4), -2);
    position = 4;
    EXPECT_EQ(Get_VariName('(', name, &position, 4), -2);
    EXPECT_EQ(Get_VariName(' ', name, &position, 4), -2);
}

TEST(RangeSteps, NumberSteps) {
    char text[80];
    int position = 0;
    EXPECT_EQ(Get_MinValue('1', text, &position, 80), 2);
    EXPECT_EQ(Get_MinValue(' ', text, &position, 80), 2);
    EXPECT_EQ(Get_MinValue('x', text, &position, 80), 2);
    EXPECT_EQ(position, 2);
    EXPECT_EQ(Get_MinValue(',', text, &position, 80), 3);
    EXPECT_STREQ(text, "1x");
    position = 0;
    EXPECT_EQ(Get_MaxValue(',', text, &position, 80), 3);
    EXPECT_EQ(Get_MaxValue(')', text, &position, 80), 4);
    EXPECT_STREQ(text, ",");
    position = 0;
    EXPECT_EQ(Get_StepValue('9', text, &position, 80), 5);
    EXPECT_EQ(Get_StepValue(']', text, &position, 80), 6);
    EXPECT_STREQ(text, "9");
    position = 80;
    EXPECT_EQ(Get_MinValue(',', text, &position, 80), -3);
    EXPECT_EQ(Get_MaxValue(')', text, &position, 80), -4);
    EXPECT_EQ(Get_StepValue(']', text, &position, 80), -5);
    EXPECT_EQ(Get_StepValue(' ', text, &position, 80), -5);
}

// The command line's ranges: bounds with parentheses and commas of their own,
// and nothing after the range.
TEST(RangeOnTheCommandLine, SplitsAtTheOuterPunctuation) {
    const struct {
        const char* text;
        int code;
        const char* parts;  // name|lower|upper|count when split
    } cases[] = {
        {"t(0,2*pi)[360]", RANGE_SPLIT, "t|0|2*pi|360"},
        {" x ( -sqrt(2) , sqrt(2) ) [ 100 ] ", RANGE_SPLIT, "x|-sqrt(2)|sqrt(2)|100"},
        {"x(log(2,8),sigma[n(1,3),n])", RANGE_SPLIT, "x|log(2,8)|sigma[n(1,3),n]|"},
        {"x(0,1)junk", RANGE_TEXT_AFTER, ""},
        {"x(0,1)[4]junk", RANGE_TEXT_AFTER, ""},
        {"x(0,1)[4", RANGE_UNFINISHED, ""},
        {"x(0,sqrt(2)", RANGE_UNFINISHED, ""},
        {"x", RANGE_UNFINISHED, ""},
        {"", RANGE_EMPTY, ""},
        {"  ", RANGE_BAD_NAME, ""},
        {"2x(0,1)", RANGE_BAD_NAME, ""},
        {"x-(0,1)", RANGE_BAD_NAME, ""},
        {"x(,1)", RANGE_BAD_LOWER, ""},
        {"x(0,)", RANGE_BAD_UPPER, ""},
        {"x(0,1)[]", RANGE_BAD_COUNT, ""},
    };
    for (const auto& entry : cases) {
        RangeParts parts;
        EXPECT_EQ(Split_RangeText(entry.text, 255, &parts), entry.code) << entry.text;
        if (entry.code != RANGE_SPLIT) continue;
        EXPECT_EQ(parts.name + "|" + parts.lower + "|" + parts.upper + "|" + parts.count,
                  entry.parts);
        EXPECT_EQ(parts.has_count, !parts.count.empty());
    }
    RangeParts parts;
    EXPECT_EQ(Split_RangeText(std::string(255, 'a') + "(0,1)", 255, &parts), RANGE_SPLIT);
    EXPECT_EQ(Split_RangeText(std::string(256, 'a') + "(0,1)", 255, &parts), RANGE_BAD_NAME);
}

std::string Typed(const std::string& utf8, bool utf8_console) {
    return utf8_console ? utf8 : Cp932(utf8);
}

// Result, name, bounds and count of a range text, as one comparable text.
std::string Parsed_Text(const std::string& text) {
    Parsed parsed = Parse(text);
    std::ostringstream out;
    out << parsed.result << " " << parsed.name << " " << parsed.min_value << " " << parsed.max_value
        << " " << parsed.steps;
    return out.str();
}

// Full-width characters in a range text read as their half-width twins, in
// both console encodings.
TEST(FullWidth, RangeTextsAreReadAsTheirHalfWidthTwins) {
    for (bool utf8 : {false, true}) {
        Use_Utf8(utf8);
        for (const char* text :
             {"x（０，１）［１０］", "　x　y（－１．５，＋２）", "t(−１，１ｅ１)", "ｘ（０，１）",
              "x(0,1)　［３］", "x（１，２）表［３］"})
            EXPECT_EQ(Parsed_Text(Fold_RangeText(Typed(text, utf8).c_str())),
                      Parsed_Text(Typed(HalfWidthTwin(text), utf8)))
                << text;
        // A digit in the name stays: x１ is no name of a formula.
        EXPECT_EQ(Fold_RangeText(Typed("x１（１）", utf8).c_str()), Typed("x１(1)", utf8));
    }
    Use_Utf8(false);
}

}  // namespace
