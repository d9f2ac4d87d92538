// A range given on the command line, such as t(0,2*pi)[360]: split into its
// name and the texts of its bounds and division count. Unlike the dialogue's
// range line, a bound may hold parentheses and commas of its own (a constant
// formula), and nothing may follow the range.
#ifndef KANSU_RANGETEXT_H
#define KANSU_RANGETEXT_H

#include <string>

// Outcomes of Split_RangeText; the bad-piece codes are the range parser's.
enum RangeSplit {
    RANGE_SPLIT = 1,
    RANGE_UNFINISHED = 0,  // the text ended before ")" or "]"
    RANGE_EMPTY = -1,
    RANGE_BAD_NAME = -2,
    RANGE_BAD_LOWER = -3,   // an empty lower bound
    RANGE_BAD_UPPER = -4,   // an empty upper bound
    RANGE_BAD_COUNT = -5,   // an empty division count
    RANGE_TEXT_AFTER = -6,  // something after ")" or "]"
};

struct RangeParts {
    std::string name;
    std::string lower;
    std::string upper;
    std::string count;  // empty when no "[...]" was given
    bool has_count = false;
};

// Blanks are dropped first, as from a typed line. The name is a letter and
// then letters and digits, at most name_limit characters.
int Split_RangeText(const std::string& text, int name_limit, RangeParts* parts);

#endif
