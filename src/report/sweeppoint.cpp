#include "report/sweeppoint.h"

#include <cmath>

double Step_Width(double min_value, double max_value, int step_number) {
    return (max_value - min_value) / step_number;
}

double Sweep_Point(int index, double step_value, double min_value) {
    return index * step_value + min_value;
}

SweepSpacing::SweepSpacing(double min_value, double max_value, int step_number)
    : min_value_(min_value),
      max_value_(max_value),
      step_value_(Step_Width(min_value, max_value, step_number)) {
    bool ends_finite = std::isfinite(min_value) && std::isfinite(max_value);
    if (!ends_finite || std::isfinite(max_value - min_value) || step_number <= 0) return;
    split_ = true;
    min_share_ = min_value / step_number;
    max_share_ = max_value / step_number;
}

double SweepSpacing::At(long long index) const {
    if (!split_) return Sweep_Point(static_cast<int>(index), step_value_, min_value_);
    double at = static_cast<double>(index);
    double point = (min_value_ - at * min_share_) + at * max_share_;
    // Rounding can carry the last points past an end (to infinity beside the
    // largest double): every point stays between the two ends.
    double low = std::fmin(min_value_, max_value_), high = std::fmax(min_value_, max_value_);
    return std::fmin(std::fmax(point, low), high);
}
