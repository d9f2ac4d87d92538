#include "roots/rootsearch.h"

#include <algorithm>
#include <cmath>

#include "report/sweeppoint.h"
#include "roots/extremum.h"
#include "roots/signchange.h"

namespace {
// Doubles between a turn and a break beside it for the turn to be the break's.
const unsigned long long BREAK_NEIGHBOURHOOD = 2;
// Growth from the grid's value to the narrowed one that makes a turn a pole.
const double EVEN_POLE_GROWTH = 1 << 20;

struct GridPoint {
    double x;
    double value;
};

bool Opposite_Signs(double a, double b) { return (a < 0 && b > 0) || (a > 0 && b < 0); }

// A minimum or maximum as narrowed, with the value the grid showed there.
struct Turn {
    Finding found;
    double grid_value;
};

// Walks the grid point by point, keeping what the next point is judged with.
class GridWalk {
public:
    GridWalk(SearchedFunction& f, bool extrema, SearchResult* result)
        : f_(f), extrema_(extrema), result_(result) {}

    // false once an evaluation has failed.
    bool Take(GridPoint point) {
        if (point.value != 0.0) all_zero_ = false;
        bool ok = Take_Crossing(point) && (!extrema_ || Take_Turn(point));
        previous_ = point;
        have_previous_ = true;
        ++index_;
        return ok;
    }
    bool All_Zero() const { return all_zero_; }
    bool Crowded() const { return crowded_; }
    const std::vector<Turn>& Turns() const { return turns_; }

private:
    bool Take_Crossing(GridPoint point) {
        if (point.value == 0.0) {
            result_->findings.push_back(Finding{FindingKind::ROOT, point.x, point.value});
            return true;
        }
        if (!have_previous_ || !Opposite_Signs(previous_.value, point.value)) return true;
        if (last_crossing_ + 1 == index_) crowded_ = true;
        last_crossing_ = index_;
        Finding found;
        if (!Narrow_SignChange(f_, previous_.x, previous_.value, point.x, point.value, &found))
            return false;
        result_->findings.push_back(found);
        return true;
    }

    // A run of equal values ends at the point before this one; it is a
    // minimum (maximum) when the points on both sides of it are higher (lower).
    bool Take_Turn(GridPoint point) {
        if (have_previous_ && point.value == run_.value) return true;
        bool ok = true;
        if (have_before_ && have_previous_) {
            bool low = before_.value > run_.value && point.value > run_.value;
            bool high = before_.value < run_.value && point.value < run_.value;
            if (low || high)
                ok = Add_Turn(low ? FindingKind::MINIMUM : FindingKind::MAXIMUM, point);
        }
        before_ = previous_;
        have_before_ = have_previous_;
        run_ = point;
        return ok;
    }

    bool Add_Turn(FindingKind kind, GridPoint after) {
        Finding found;
        if (!Narrow_Extremum(f_, kind, before_.x, run_.x, run_.value, after.x, &found))
            return false;
        turns_.push_back(Turn{found, run_.value});
        return true;
    }

    SearchedFunction& f_;
    bool extrema_;
    SearchResult* result_;
    bool all_zero_ = true;
    long long index_ = 0;           // of the point taken
    long long last_crossing_ = -2;  // the point ending the last sign change
    bool crowded_ = false;
    bool have_previous_ = false;
    GridPoint previous_{0.0, 0.0};
    bool have_before_ = false;
    GridPoint before_{0.0, 0.0};  // the point before the current run of equal values
    GridPoint run_{0.0, 0.0};     // the first point of that run
    std::vector<Turn> turns_;
};

bool Is_Break(const Finding& found) {
    return found.kind == FindingKind::POLE || found.kind == FindingKind::JUMP;
}

// Whether x lies within a few doubles of one of the sorted break points.
bool Near_Break(const std::vector<double>& breaks, double x) {
    auto near = [x](double other) {
        return Doubles_Between(std::min(x, other), std::max(x, other)) <= BREAK_NEIGHBOURHOOD;
    };
    auto after = std::lower_bound(breaks.begin(), breaks.end(), x);
    return (after != breaks.end() && near(*after)) || (after != breaks.begin() && near(after[-1]));
}

// The turns beside the crossings. A turn the grid shows beside a pole or jump
// (the last point before tan's pole is the highest around) narrows onto the
// break itself: no extremum. One that grows far beyond the grid's value is a
// pole of even order (1/x^2), which makes no crossing; so is one where f is
// infinite (1/x^2 with 0 on the grid, which the growth cannot tell).
void Add_Turns(const std::vector<Turn>& turns, std::vector<Finding>* findings) {
    std::vector<double> breaks;
    for (const Finding& found : *findings)
        if (Is_Break(found)) breaks.push_back(found.x);
    std::sort(breaks.begin(), breaks.end());
    for (const Turn& turn : turns) {
        if (Near_Break(breaks, turn.found.x)) continue;
        Finding found = turn.found;
        if (std::isinf(found.value) ||
            std::fabs(found.value) > std::fabs(turn.grid_value) * EVEN_POLE_GROWTH)
            found.kind = FindingKind::POLE;
        findings->push_back(found);
    }
}

// In x order; a finding met twice (from two brackets that share an end) once.
void Order_Findings(std::vector<Finding>* findings) {
    std::stable_sort(findings->begin(), findings->end(),
                     [](const Finding& a, const Finding& b) { return a.x < b.x; });
    auto same = [](const Finding& a, const Finding& b) { return a.kind == b.kind && a.x == b.x; };
    findings->erase(std::unique(findings->begin(), findings->end(), same), findings->end());
}
}  // namespace

SearchResult Search_Range(SearchedFunction& f, const SearchGrid& grid, bool extrema) {
    SearchResult result;
    GridWalk walk(f, extrema, &result);
    SweepSpacing spacing(grid.min_value, grid.max_value, grid.step_number);
    for (long long index = 0; index <= grid.step_number; ++index) {
        GridPoint point{spacing.At(index), 0.0};
        if (!f.Value(point.x, &point.value) || !walk.Take(point)) {
            result.failed = true;
            break;
        }
    }
    if (!result.failed && walk.All_Zero() && grid.step_number >= 0) {
        result.findings.clear();
        result.zero_everywhere = true;
    }
    result.crowded = walk.Crowded();
    Add_Turns(walk.Turns(), &result.findings);
    Order_Findings(&result.findings);
    return result;
}
