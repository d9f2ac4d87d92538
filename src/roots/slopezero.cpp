#include "roots/slopezero.h"

#include <cmath>

namespace {
// The slope's sign as the kind wants it: falling before a minimum, rising
// after it (for a maximum the other way round).
struct Turning {
    bool minimum;
    bool Before(long double slope) const { return minimum ? slope < 0 : slope > 0; }
    bool After(long double slope) const { return minimum ? slope > 0 : slope < 0; }
    // Whether f shows a more extreme than b.
    bool More_Extreme(double a, double b) const { return minimum ? a < b : a > b; }
};

struct SlopePoint {
    double x;
    long double slope;
};

// An infinite slope (at a pole) tells nothing of where f turns.
bool Slope_At(SearchedFunction& f, double x, long double* slope) {
    return f.Slope(x, slope) && std::isfinite(*slope);
}

double Middle(double a, double b) {
    double middle = a + (b - a) / 2;
    return std::isfinite(middle) ? middle : a / 2 + b / 2;
}

// Narrows [a, b] (slope before the turn at a, after it at b) to adjacent
// doubles, or to a point where the slope is 0 (then a and b are that point).
bool Bisect_Slope(SearchedFunction& f, const Turning& turning, SlopePoint* a, SlopePoint* b) {
    for (;;) {
        SlopePoint middle{Middle(a->x, b->x), 0.0L};
        if (!(middle.x > a->x && middle.x < b->x)) return true;
        if (!Slope_At(f, middle.x, &middle.slope)) return false;
        if (middle.slope == 0) {
            *a = *b = middle;
            return true;
        }
        if (turning.Before(middle.slope))
            *a = middle;
        else
            *b = middle;
    }
}

// The bracket around the turn: the grid's side of inner where the slope
// changes sign as the kind wants. At the outer points an infinite slope
// tells its side too (sqrt(x) at 0); the other side's bracket may do without.
bool Bracket_Turn(SearchedFunction& f, const Turning& turning, double left, double inner,
                  double right, SlopePoint* a, SlopePoint* b) {
    SlopePoint points[3] = {{left, 0.0L}, {inner, 0.0L}, {right, 0.0L}};
    bool known[3];
    for (int i = 0; i < 3; ++i) {
        known[i] = f.Slope(points[i].x, &points[i].slope) && !std::isnan(points[i].slope) &&
                   (i != 1 || std::isfinite(points[i].slope));
    }
    for (int i = 0; i < 2; ++i) {
        if (known[i] && known[i + 1] && turning.Before(points[i].slope) &&
            (turning.After(points[i + 1].slope) || points[i + 1].slope == 0)) {
            *a = points[i];
            *b = points[i + 1];
            return true;
        }
    }
    return false;
}

// Whether f' is 0 beside a point where it is 0: on a stretch where f is
// constant no one point is the turn, and f alone centres x on the stretch.
bool Flat_Beside(SearchedFunction& f, double x) {
    for (double side : {-INFINITY, INFINITY}) {
        long double slope = 0.0L;
        if (!Slope_At(f, std::nextafter(x, side), &slope) || slope == 0) return true;
    }
    return false;
}
}  // namespace

SlopeNarrowing Narrow_SlopeZero(SearchedFunction& f, FindingKind kind, double left, double inner,
                                double right, Finding* found) {
    Turning turning{kind == FindingKind::MINIMUM};
    SlopePoint a{0.0, 0.0L};
    SlopePoint b{0.0, 0.0L};
    if (!Bracket_Turn(f, turning, left, inner, right, &a, &b)) return SlopeNarrowing::UNKNOWN;
    if (b.slope == 0) a = b;
    if (!Bisect_Slope(f, turning, &a, &b) || (a.x == b.x && Flat_Beside(f, a.x)))
        return SlopeNarrowing::UNKNOWN;
    double fa = 0.0;
    double fb = 0.0;
    if (!f.Value(a.x, &fa) || !f.Value(b.x, &fb)) return SlopeNarrowing::FAILED;
    bool take_a = turning.More_Extreme(fa, fb) ||
                  (!turning.More_Extreme(fb, fa) && std::fabs(a.slope) <= std::fabs(b.slope));
    *found = take_a ? Finding{kind, a.x, fa} : Finding{kind, b.x, fb};
    return SlopeNarrowing::FOUND;
}
