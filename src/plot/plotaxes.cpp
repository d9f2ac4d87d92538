#include "plot/plotaxes.h"

#include <charconv>
#include <cmath>

namespace {

const int MAX_TICKS = 50;
const int MAX_EXPONENT = 300;
// Rounding of a span or a quotient must not lose a tick that lies on the range's end.
const double TOLERANCE = 1e-9;

// 10^n for 0 <= n, by multiplication, so that every platform gets the same bits.
double Power_Of_Ten(int exponent) {
    double power = 1.0;
    for (int i = 0; i < exponent; ++i) power *= 10.0;
    return power;
}

// m x 10^exponent, exact for the powers a double holds exactly.
double Scaled(double mantissa, int exponent) {
    return exponent >= 0 ? mantissa * Power_Of_Ten(exponent) : mantissa / Power_Of_Ten(-exponent);
}

// n with 10^n <= value < 10^(n+1), for a positive finite value.
int Decimal_Exponent(double value) {
    int exponent = 0;
    while (value >= 10.0 && exponent < MAX_EXPONENT) {
        value /= 10.0;
        ++exponent;
    }
    while (value < 1.0 && exponent > -MAX_EXPONENT) {
        value *= 10.0;
        --exponent;
    }
    return exponent;
}

std::string Tick_Label(double value, int step_exponent, int range_exponent) {
    char text[128];
    std::to_chars_result written;
    value += 0.0;  // no "-0"
    if (range_exponent >= -4 && range_exponent <= 6) {
        int decimals = step_exponent < 0 ? -step_exponent : 0;
        written =
            std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    } else {
        int digits = range_exponent - step_exponent + 1;
        digits = digits < 1 ? 1 : digits > 17 ? 17 : digits;
        written =
            std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    }
    if (written.ec != std::errc())
        written = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17);
    return std::string(text, written.ptr);
}

}  // namespace

AxisRange Padded_Range(double min_value, double max_value, double margin) {
    double span = max_value - min_value;
    if (!(span > 0.0) || !std::isfinite(span)) {
        double half = std::fabs(min_value) > 0.0 ? std::fabs(min_value) / 10.0 : 1.0;
        if (!std::isfinite(half)) half = 1.0;
        return {min_value - half, max_value + half};
    }
    AxisRange padded{min_value - span * margin, max_value + span * margin};
    if (!std::isfinite(padded.low) || !std::isfinite(padded.high)) return {min_value, max_value};
    return padded;
}

void Equalize_Scales(AxisRange* x_range, AxisRange* y_range, double width, double height,
                     bool x_fixed, bool y_fixed) {
    double x_unit = (x_range->high - x_range->low) / width;  // value per picture unit
    double y_unit = (y_range->high - y_range->low) / height;
    if (!std::isfinite(x_unit) || !std::isfinite(y_unit) || x_unit <= 0.0 || y_unit <= 0.0) return;
    bool widen_x = x_unit < y_unit;
    if ((widen_x && x_fixed) || (!widen_x && y_fixed)) return;
    AxisRange* range = widen_x ? x_range : y_range;
    double half = (widen_x ? y_unit * width : x_unit * height) / 2.0;
    double centre = range->low / 2.0 + range->high / 2.0;
    range->low = centre - half;
    range->high = centre + half;
}

double Frame_X(const PlotFrame& frame, double x) {
    double from_left = frame.x_reversed ? frame.x_range.high - x : x - frame.x_range.low;
    return frame.left + from_left / (frame.x_range.high - frame.x_range.low) * frame.width;
}

double Frame_Y(const PlotFrame& frame, double y) {
    double from_top = frame.y_reversed ? y - frame.y_range.low : frame.y_range.high - y;
    return frame.top + from_top / (frame.y_range.high - frame.y_range.low) * frame.height;
}

namespace {

// The smallest step of 1, 2 or 5 x 10^exponent that leaves at most max_count ticks.
bool Tick_Step(AxisRange range, int max_count, double* mantissa, int* exponent) {
    double span = range.high - range.low;
    if (max_count < 1 || !std::isfinite(span) || !(span > 0.0)) return false;
    *exponent = Decimal_Exponent(span / max_count);
    const double mantissas[] = {1.0, 2.0, 5.0};
    for (;; ++*exponent) {
        for (double candidate : mantissas) {
            double step = Scaled(candidate, *exponent);
            if (step > 0.0 && span / step <= max_count * (1.0 + TOLERANCE)) {
                *mantissa = candidate;
                return true;
            }
        }
        if (*exponent > MAX_EXPONENT) return false;
    }
}

int Range_Exponent(AxisRange range) {
    return Decimal_Exponent(std::fmax(std::fabs(range.low), std::fabs(range.high)));
}

}  // namespace

AxisTicks Choose_Ticks(AxisRange range, int max_count) {
    AxisTicks ticks;
    double mantissa = 1.0;
    int exponent = 0;
    if (!Tick_Step(range, max_count, &mantissa, &exponent)) return ticks;
    double step = Scaled(mantissa, exponent);
    double first = std::ceil(range.low / step - TOLERANCE);
    double last = std::floor(range.high / step + TOLERANCE);
    if (!std::isfinite(first) || !std::isfinite(last) || last - first >= MAX_TICKS) return ticks;
    int range_exponent = Range_Exponent(range);
    for (double k = first; k <= last; k += 1.0) {
        double value = Scaled(k * mantissa, exponent);
        ticks.values.push_back(value);
        ticks.labels.push_back(Tick_Label(value, exponent, range_exponent));
    }
    return ticks;
}

std::string Rounded_Label(double value, AxisRange range, int max_count) {
    double mantissa = 1.0;
    int exponent = 0;
    if (!Tick_Step(range, max_count, &mantissa, &exponent)) return Tick_Label(value, 0, 0);
    // The digits of the ticks, or one more when the value lies between them.
    for (int digits_exponent : {exponent, exponent - 1}) {
        double unit = Scaled(1.0, digits_exponent);
        double rounded = std::round(value / unit) * unit;
        if (std::isfinite(rounded) &&
            (std::fabs(rounded - value) < unit / 20.0 || digits_exponent < exponent))
            return Tick_Label(rounded, digits_exponent, Range_Exponent(range));
    }
    return Tick_Label(value, exponent, Range_Exponent(range));
}
