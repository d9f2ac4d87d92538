#include "roots/extremum.h"

#include <cmath>
#include <utility>

#include "roots/slopezero.h"

namespace {
// The share of the larger side where golden section search tries next.
const double GOLDEN_SHARE = 0.3819660112501051;

// f, or -f for a maximum: the search always looks for a minimum.
class Lowest : public SearchedFunction {
public:
    Lowest(SearchedFunction& f, bool negate) : f_(f), sign_(negate ? -1.0 : 1.0) {}
    bool Value(double x, double* value) override {
        if (!f_.Value(x, value)) return false;
        *value *= sign_;
        return true;
    }
    double sign() const { return sign_; }

private:
    SearchedFunction& f_;
    double sign_;
};

double Middle(double a, double b) {
    double middle = a + (b - a) / 2;
    return std::isfinite(middle) ? middle : a / 2 + b / 2;
}

bool Strictly_Inside(double x, double a, double b, double c) { return x > a && x < c && x != b; }

// The next point to try in (a, c) besides b: golden section in the larger
// side, else the middle of either side; false when no double is left.
bool Next_Point(double a, double b, double c, double* x) {
    bool right_larger = c - b > b - a;
    double candidates[3] = {right_larger ? b + GOLDEN_SHARE * (c - b) : b - GOLDEN_SHARE * (b - a),
                            right_larger ? Middle(b, c) : Middle(a, b),
                            right_larger ? Middle(a, b) : Middle(b, c)};
    for (double candidate : candidates) {
        if (Strictly_Inside(candidate, a, b, c)) {
            *x = candidate;
            return true;
        }
    }
    return false;
}

struct Triple {
    double a, b, fb, c;  // a < b < c, f(b) the least found
};

bool Golden_Search(SearchedFunction& f, Triple* t) {
    double x = 0.0;
    while (Next_Point(t->a, t->b, t->c, &x)) {
        double fx = 0.0;
        if (!f.Value(x, &fx)) return false;
        if (fx < t->fb) {
            (x > t->b ? t->a : t->c) = t->b;
            t->b = x;
            t->fb = fx;
        } else {
            (x > t->b ? t->c : t->a) = x;
        }
    }
    return true;
}

// The last double from outside towards inside where f is no more than level
// (f(outside) is above it, f(inside) not).
bool Level_Edge(SearchedFunction& f, double outside, double inside, double level, double* edge) {
    for (;;) {
        double middle = Middle(outside, inside);
        if (middle == outside || middle == inside) break;
        double value = 0.0;
        if (!f.Value(middle, &value)) return false;
        (value <= level ? inside : outside) = middle;
    }
    *edge = inside;
    return true;
}

// Moves t->b to the middle of the stretch around it where f equals f(b).
bool Centre_OnFlat(SearchedFunction& f, double left, double right, Triple* t) {
    double low_edge = 0.0;
    double high_edge = 0.0;
    if (!Level_Edge(f, left, t->b, t->fb, &low_edge) ||
        !Level_Edge(f, right, t->b, t->fb, &high_edge))
        return false;
    double centre = Middle(low_edge, high_edge);
    double value = 0.0;
    if (!f.Value(centre, &value)) return false;
    if (value <= t->fb) {
        t->b = centre;
        t->fb = value;
    }
    return true;
}
}  // namespace

bool Narrow_Extremum(SearchedFunction& f, FindingKind kind, double left, double inner,
                     double f_inner, double right, Finding* found) {
    if (left > right) std::swap(left, right);
    SlopeNarrowing by_slope = Narrow_SlopeZero(f, kind, left, inner, right, found);
    if (by_slope != SlopeNarrowing::UNKNOWN) return by_slope == SlopeNarrowing::FOUND;
    Lowest lowest(f, kind == FindingKind::MAXIMUM);
    Triple t{left, inner, f_inner * lowest.sign(), right};
    if (!Golden_Search(lowest, &t) || !Centre_OnFlat(lowest, left, right, &t)) return false;
    *found = Finding{kind, t.b, t.fb * lowest.sign()};
    return true;
}
