#include "roots/signchange.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {
// Bracket width, in doubles, below which |f| is taken as its value "near"
// the crossing: a jump's |f| has settled by then, a pole's still grows.
const unsigned long long NEAR_WIDTH = 1ULL << 20;
// A root has shrunk |f| to below this share of the grid bracket's (or, for a
// bracket of few doubles, to about its share of them, with this leeway)...
const double ROOT_SHRINK = 1.0 / 32;
const double ROOT_LEEWAY = 4.0;
// A bracket of at most this many doubles is too narrow to judge: a root.
const unsigned long long TOO_NARROW = 2;
// ...and still shrinks from near the crossing to its end (unless near the
// crossing f was already lost in rounding, below this share).
const double NEAR_SHRINK = 0.5;
const double ROUNDING_SHARE = 1.0 / (1 << 20);
// A pole's |f| grows by more than this from near the crossing to its end.
const double POLE_GROWTH = 1.25;

// The doubles in order as integers: adjacent doubles differ by 1.
std::int64_t Ordered(double x) {
    std::int64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits < 0 ? std::numeric_limits<std::int64_t>::min() - bits : bits;
}

double Middle(double a, double b) {
    double middle = a + (b - a) / 2;
    return std::isfinite(middle) ? middle : a / 2 + b / 2;
}

struct Bracket {
    double a, fa, b, fb;  // a below b
    double Larger() const { return std::max(std::fabs(fa), std::fabs(fb)); }
};

// grid_doubles: the width of the grid bracket in doubles.
FindingKind Kind_Of(unsigned long long grid_doubles, double grid_size, double near_size,
                    double end_size) {
    if (std::isinf(end_size)) return FindingKind::POLE;
    if (grid_doubles <= TOO_NARROW) return FindingKind::ROOT;
    double share = std::max(ROOT_SHRINK, ROOT_LEEWAY / static_cast<double>(grid_doubles));
    bool shrunk = end_size <= grid_size * share;
    bool still_shrinking =
        end_size <= near_size * NEAR_SHRINK || near_size <= grid_size * ROUNDING_SHARE;
    if (shrunk && still_shrinking) return FindingKind::ROOT;
    return end_size > near_size * POLE_GROWTH ? FindingKind::POLE : FindingKind::JUMP;
}
}  // namespace

unsigned long long Doubles_Between(double a, double b) {
    return static_cast<unsigned long long>(Ordered(b)) -
           static_cast<unsigned long long>(Ordered(a));
}

bool Narrow_SignChange(SearchedFunction& f, double a, double fa, double b, double fb,
                       Finding* found) {
    Bracket bracket = a < b ? Bracket{a, fa, b, fb} : Bracket{b, fb, a, fa};
    double grid_size = bracket.Larger();
    double near_size = grid_size;
    unsigned long long grid_doubles = Doubles_Between(bracket.a, bracket.b);
    bool near = grid_doubles <= NEAR_WIDTH;
    for (;;) {
        double middle = Middle(bracket.a, bracket.b);
        if (!(middle > bracket.a && middle < bracket.b)) break;  // adjacent doubles
        double value = 0.0;
        if (!f.Value(middle, &value)) return false;
        if (value == 0.0) {
            *found = Finding{FindingKind::ROOT, middle, value};
            return true;
        }
        // f has no value inside the crossing: no root can be claimed there.
        if (std::isnan(value)) {
            *found = Finding{FindingKind::JUMP, middle, value};
            return true;
        }
        if ((value < 0) == (bracket.fa < 0))
            bracket.a = middle, bracket.fa = value;
        else
            bracket.b = middle, bracket.fb = value;
        if (!near && Doubles_Between(bracket.a, bracket.b) <= NEAR_WIDTH) {
            near = true;
            near_size = bracket.Larger();
        }
    }
    FindingKind kind = Kind_Of(grid_doubles, grid_size, near_size, bracket.Larger());
    bool a_smaller = std::fabs(bracket.fa) <= std::fabs(bracket.fb);
    bool take_a = kind == FindingKind::ROOT ? a_smaller : !a_smaller;
    *found = take_a ? Finding{kind, bracket.a, bracket.fa} : Finding{kind, bracket.b, bracket.fb};
    return true;
}
