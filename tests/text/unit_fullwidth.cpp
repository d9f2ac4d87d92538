// Full-width characters read as ASCII where numbers are typed, in both console
// encodings: number reads and range texts against their half-width twins.
#include <iterator>
#include <sstream>

#include "text/fullwidth.h"
#include "halfwidth_twin.h"
#include "text/messages.h"
#include "session.h"
#include "console/typednumber.h"
#include "formula/varinput.h"

namespace {

std::string Typed(const std::string& utf8, bool utf8_console) {
    return utf8_console ? utf8 : Cp932(utf8);
}

std::string Rest(std::istream& in) {
    in.clear();
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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
            EXPECT_EQ(Fold_FullWidth(Rest(full).c_str(), NUMBER_FORMS), Rest(half)) << text;
        }
        std::istringstream count(Typed("－１", utf8));
        unsigned short arg_count = 0;
        EXPECT_TRUE(Read_TypedNumber(count, arg_count) && arg_count == 65535);  // as -1 reads
    }
    Use_Utf8(false);
}

// Result, name, bounds and count of a range text, as one comparable text.
std::string Parsed(const std::string& text) {
    char name[256] = {};
    double min_value = 0, max_value = 0;
    int steps = -9;
    int code = Analysis_Variable(text.c_str(), name, 256, &min_value, &max_value, &steps);
    std::ostringstream out;
    out << code << " " << name << " " << min_value << " " << max_value << " " << steps;
    return out.str();
}

TEST(FullWidth, RangeTextsAreReadAsTheirHalfWidthTwins) {
    for (bool utf8 : {false, true}) {
        Use_Utf8(utf8);
        for (const char* text :
             {"x（０，１）［１０］", "　x　y（－１．５，＋２）", "t(−１，１ｅ１)", "ｘ（０，１）",
              "x(0,1)　［３］", "x（１，２）表［３］"})
            EXPECT_EQ(Parsed(Fold_RangeText(Typed(text, utf8).c_str())),
                      Parsed(Typed(HalfWidthTwin(text), utf8)))
                << text;
        // A digit in the name stays: x１ is no name of a formula.
        EXPECT_EQ(Fold_RangeText(Typed("x１（１）", utf8).c_str()), Typed("x１(1)", utf8));
    }
    Use_Utf8(false);
}

}  // namespace
