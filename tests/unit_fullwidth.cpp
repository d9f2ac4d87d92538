// Full-width characters read as ASCII where numbers are typed, in both console
// encodings: number reads against formatted extraction of the half-width twin,
// range texts against the half-width text, and the hint test of formula errors.
#include <cstring>
#include <iterator>
#include <sstream>
#include <string>

#include "fullwidth.h"
#include "messages.h"
#include "modecommon.h"
#include "session.h"
#include "typednumber.h"
#include "varinput.h"

namespace {

// Text typed in the encoding under test.
std::string Typed(const std::string& utf8, bool utf8_console) {
    return utf8_console ? utf8 : Cp932(utf8);
}

std::string Rest(std::istream& in) {
    in.clear();
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Twins {
    std::string full, half;
    bool argument_count = false;  // read as the unsigned short of EnrUsrfunc
};

template <class Number>
void Expect_SameRead(const Twins& c, bool utf8) {
    std::istringstream full(Typed(c.full, utf8)), half(Typed(c.half, utf8));
    Number full_value = 7, half_value = 7;
    Read_TypedNumber(full, full_value);
    half >> half_value;
    EXPECT_EQ(full_value, half_value) << c.half << " utf8=" << utf8;
    EXPECT_EQ(full.rdstate(), half.rdstate()) << c.half << " utf8=" << utf8;
    Skip_TypedCharacter(full);
    half.get();
    EXPECT_EQ(full.rdstate(), half.rdstate()) << c.half << " utf8=" << utf8;
    EXPECT_EQ(Fold_FullWidth(Rest(full).c_str(), NUMBER_FORMS), Rest(half)) << c.half;
}

TEST(FullWidth, NumbersAreReadAsTheirHalfWidthTwins) {
    const Twins cases[] = {
        {"１２\n", "12\n"}, {"－１\n", "-1\n"}, {"−３ｘ", "-3ｘ"}, {"＋５　\n", "+5 \n"},
        {"　\t\n　７", " \t\n 7"}, {"１．５", "1.5"}, {"９９９９９９９９９９９", "99999999999"},
        {"－", "-"}, {"", ""}, {"ａ１", "ａ1"}, {"表", "表"}, {"１表", "1表"}, {"０ｘ", "0ｘ"},
        {"－１\n", "-1\n", true}, {"７００００\n", "70000\n", true}, {"２\n", "2\n", true},
    };
    for (bool utf8 : {false, true}) {
        Use_Utf8(utf8);
        for (const Twins& c : cases) {
            if (c.argument_count) Expect_SameRead<unsigned short>(c, utf8);
            else Expect_SameRead<int>(c, utf8);
        }
    }
    Use_Utf8(false);
}

struct Range {
    int code;
    std::string name;
    double min_value = 0, max_value = 0;
    int steps = -9;
};

Range Parse(const std::string& text) {
    Range range;
    char name[NAME_SIZE] = {};
    range.code = Analysis_Variable(text.c_str(), name, NAME_SIZE, &range.min_value,
                                   &range.max_value, &range.steps);
    range.name = name;
    return range;
}

TEST(FullWidth, RangeTextsAreReadAsTheirHalfWidthTwins) {
    const Twins cases[] = {
        {"x（０，１）［１０］", "x(0,1)[10]"}, {"　x　y（－１．５，＋２）", " x y(-1.5,+2)"},
        {"t(−１，１ｅ１)", "t(-1,1ｅ1)"}, {"x１（０，１）", "x１(0,1)"}, {"ｘ（０，１）", "ｘ(0,1)"},
        {"x(0,1)　［３］", "x(0,1) [3]"}, {"x（１，２）表［３］", "x(1,2)表[3]"},
    };
    for (bool utf8 : {false, true}) {
        Use_Utf8(utf8);
        for (const Twins& c : cases) {
            Range full = Parse(Fold_RangeText(Typed(c.full, utf8).c_str()));
            Range half = Parse(Typed(c.half, utf8));
            EXPECT_EQ(full.code, half.code) << c.half << " utf8=" << utf8;
            EXPECT_EQ(full.name, half.name) << c.half;
            EXPECT_EQ(full.min_value, half.min_value) << c.half;
            EXPECT_EQ(full.max_value, half.max_value) << c.half;
            EXPECT_EQ(full.steps, half.steps) << c.half;
        }
        char name[NAME_SIZE] = {};
        double min_value = 0, max_value = 0;
        int steps = 100;
        EXPECT_EQ(Parse_RangeLine(Typed("x（－１，１）［１０］", utf8).c_str(), name, &min_value,
                                  &max_value, &steps), 1);
        EXPECT_EQ(min_value + max_value + steps, 10.0);
    }
    Use_Utf8(false);
}

TEST(FullWidth, HintOnlyAtTheStartOfAFullWidthForm) {
    // The text is before + at; the position is offset bytes into at.
    const struct { const char *before, *at; int offset; bool hint; } cases[] = {
        {"1+", "ｘ", 0, true}, {"1+", "ｘ", 1, false}, {"1+", "x", 0, false}, {"", "表", 0, false},
        {"a", "　", 0, true},  {"！", "～", 0, true},  {"", "ａ", 5, false},  {"", "１", -1, false},
    };
    for (bool utf8 : {false, true}) {
        Use_Utf8(utf8);
        EXPECT_EQ(std::strlen(Msg().FULLWIDTH_ASCII_FORMS), 94 * std::strlen(Msg().IDEOGRAPHIC_SPACE));
        for (const auto& c : cases) {
            std::string before = Typed(c.before, utf8);
            int position = static_cast<int>(before.size()) + c.offset;
            EXPECT_EQ(Is_FullWidthAt((before + Typed(c.at, utf8)).c_str(), position), c.hint)
                << c.before << c.at << " utf8=" << utf8;
        }
    }
    Use_Utf8(false);
}

}  // namespace
