#include "plot/shownrange.h"

#include <algorithm>
#include <cmath>

#include "plot/polecut.h"

namespace {

const size_t MAX_SAMPLES = 1 << 16;  // y values kept per run for the pole range
const double TAIL = 0.05;            // the share of points left out at each end
const double TAIL_ROOM = 0.25;       // of the bulk's span, given back on each side
const int WINDOW = 5;                // values watched for a pole

bool Inside(const AxisRange* limit, double value) {
    return limit == nullptr || (value >= limit->low && value <= limit->high);
}

double Quantile(std::vector<double>& values, double share) {
    size_t index = static_cast<size_t>(share * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<long>(index), values.end());
    return values[index];
}

}  // namespace

struct ShownRangeSink::RunState {
    bool y_of_x = false;
    bool any = false;
    double x_min = 0, x_max = 0, y_min = 0, y_max = 0;
    // Curves y(x): the last values in a row (finite, or infinite where a grid
    // point lands on a pole), a thinned sample of the finite ones, and whether
    // y jumps across a pole somewhere.
    double window[WINDOW] = {};
    int in_window = 0;
    bool pole = false;
    std::vector<double> sample;
    long long stride = 1, seen = 0;

    void Add(double x, double y) {
        x_min = any ? std::fmin(x_min, x) : x;
        x_max = any ? std::fmax(x_max, x) : x;
        y_min = any ? std::fmin(y_min, y) : y;
        y_max = any ? std::fmax(y_max, y) : y;
        any = true;
        if (!y_of_x) return;
        Watch_Poles(y);
        if (seen++ % stride != 0) return;
        sample.push_back(y);
        if (sample.size() < MAX_SAMPLES) return;
        for (size_t i = 0; i < sample.size() / 2; ++i) sample[i] = sample[2 * i];
        sample.resize(sample.size() / 2);
        stride *= 2;
    }

    void Watch_Poles(double y) {
        if (in_window == WINDOW) {
            std::copy(window + 1, window + WINDOW, window);
            in_window = WINDOW - 1;
        }
        window[in_window++] = y;
        if (in_window >= 4 && Is_PoleAtEnd(window + in_window - 4)) pole = true;
        if (in_window == WINDOW && Is_PoleOnGrid(window)) pole = true;
    }

    // The last four values jump in sign between the middle two, growing
    // towards the jump.
    static bool Is_PoleAtEnd(const double* last) {
        for (int i = 0; i < 4; ++i)
            if (std::isinf(last[i])) return false;
        return Is_SignJump(last[0], last[1], last[2], last[3], 0.0);
    }

    // The middle one of five values is infinite, and the finite ones on
    // either side grow towards it: 1/x where x is 0 exactly.
    static bool Is_PoleOnGrid(const double* five) {
        for (int i : {0, 1, 3, 4})
            if (std::isinf(five[i])) return false;
        return std::isinf(five[2]) && std::fabs(five[1]) > std::fabs(five[0]) &&
               std::fabs(five[3]) > std::fabs(five[4]);
    }
};

ShownRangeSink::ShownRangeSink(const std::vector<ReportRun>& runs,
                               const std::vector<size_t>& selected, const AxisRange* x_limit,
                               const AxisRange* y_limit)
    : x_limit_(x_limit), y_limit_(y_limit), states_(runs.size()) {
    for (size_t index : selected) {
        states_[index].reset(new RunState);
        states_[index]->y_of_x = runs[index].layout == RunLayout::EXPLICIT;
    }
}

ShownRangeSink::~ShownRangeSink() = default;

bool ShownRangeSink::Wants(size_t run_index) const {
    return run_index < states_.size() && states_[run_index] != nullptr;
}

void ShownRangeSink::Row(size_t run_index, double x, double y) {
    RunState& state = *states_[run_index];
    if (!std::isfinite(x) || std::isnan(y)) {
        state.in_window = 0;
        return;
    }
    // An infinite value is no point of the range, but may mark a pole.
    if (std::isinf(y)) {
        if (state.y_of_x && Inside(x_limit_, x)) state.Watch_Poles(y);
        return;
    }
    if (Inside(x_limit_, x) && Inside(y_limit_, y)) state.Add(x, y);
}

bool ShownRangeSink::Bounds(double* x_min, double* x_max, double* y_min, double* y_max) const {
    bool any = false;
    for (const std::unique_ptr<RunState>& state : states_) {
        if (state == nullptr || !state->any) continue;
        *x_min = any ? std::fmin(*x_min, state->x_min) : state->x_min;
        *x_max = any ? std::fmax(*x_max, state->x_max) : state->x_max;
        *y_min = any ? std::fmin(*y_min, state->y_min) : state->y_min;
        *y_max = any ? std::fmax(*y_max, state->y_max) : state->y_max;
        any = true;
    }
    return any;
}

bool ShownRangeSink::Pole_YRange(double* low, double* high) const {
    bool any = false, pole = false;
    for (const std::unique_ptr<RunState>& state : states_) {
        if (state == nullptr || !state->any) continue;
        double run_low = state->y_min, run_high = state->y_max;
        if (state->pole) {
            std::vector<double> values = state->sample;
            double bulk_low = Quantile(values, TAIL);
            double bulk_high = Quantile(values, 1.0 - TAIL);
            double room = (bulk_high - bulk_low) * TAIL_ROOM;
            run_low = std::fmax(run_low, bulk_low - room);
            run_high = std::fmin(run_high, bulk_high + room);
            pole = true;
        }
        *low = any ? std::fmin(*low, run_low) : run_low;
        *high = any ? std::fmax(*high, run_high) : run_high;
        any = true;
    }
    return pole;
}
