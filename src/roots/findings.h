// What a search of a function over a range finds, and the function searched:
// a callback from x to f(x), so that the search knows nothing of formulas.
#ifndef KANSU_ROOTS_FINDINGS_H
#define KANSU_ROOTS_FINDINGS_H

#include <vector>

enum class FindingKind { ROOT, POLE, JUMP, MINIMUM, MAXIMUM };

struct Finding {
    FindingKind kind;
    double x;
    double value;  // f(x)
};

// The function searched. Value gives f(x); false when it cannot be
// evaluated, which ends the search.
class SearchedFunction {
public:
    virtual ~SearchedFunction() = default;
    virtual bool Value(double x, double* value) = 0;
    // f'(x), from rules for the derivative of each operation carried along
    // with the value in more precision than a double, so that its sign is
    // right wherever it is not lost in rounding: where f is flat in doubles
    // around a minimum or maximum, it still tells on which side x lies.
    // false where no derivative is known (the extremum is then narrowed by f
    // alone).
    virtual bool Slope(double, long double*) { return false; }
};

// The grid: step_number divisions of [min_value, max_value], the points of a
// report's range.
struct SearchGrid {
    double min_value;
    double max_value;
    int step_number;
};

struct SearchResult {
    std::vector<Finding> findings;  // in x order
    bool zero_everywhere = false;   // f is 0 at every grid point: nothing listed
    bool failed = false;            // an evaluation failed: the findings are partial
    // Crossings in neighbouring grid intervals: the roots crowd at the grid's
    // resolution, and some between its points may not have been seen.
    bool crowded = false;
};

#endif
