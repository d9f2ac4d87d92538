// Axis ranges, the mapping of values to picture coordinates, and the choice
// of "nice" ticks (1, 2 or 5 times a power of ten) with their labels.
#ifndef KANSU_PLOT_PLOTAXES_H
#define KANSU_PLOT_PLOTAXES_H

#include <string>
#include <vector>

struct AxisRange {
    double low = 0.0;
    double high = 1.0;
};

// The range of the values min..max widened by margin (a fraction of its
// span) on both sides; a single value gets a range around it.
AxisRange Padded_Range(double min_value, double max_value, double margin);

// Widens the range of one axis about its centre so that one unit is as long
// on both axes of a width x height area. A range marked fixed is never changed.
void Equalize_Scales(AxisRange* x_range, AxisRange* y_range, double width, double height,
                     bool x_fixed, bool y_fixed);

// A place in the picture; y grows downwards.
struct PixelPoint {
    double x = 0.0;
    double y = 0.0;
};

// The drawing area and its value ranges; picture y grows downwards. A
// reversed axis runs from its high end (left, or bottom) to its low end.
struct PlotFrame {
    double left = 0.0, top = 0.0, width = 1.0, height = 1.0;
    AxisRange x_range, y_range;
    bool x_reversed = false, y_reversed = false;
};
double Frame_X(const PlotFrame& frame, double x);
double Frame_Y(const PlotFrame& frame, double y);

struct AxisTicks {
    std::vector<double> values;
    std::vector<std::string> labels;
};
// At most max_count ticks inside the range, at the smallest step of
// 1, 2 or 5 x 10^n that allows it; labels show just the digits the step needs.
AxisTicks Choose_Ticks(AxisRange range, int max_count);
// A value of the range (one of its ends) written as the ticks of max_count
// ticks are: with their digits when it lies on them, else rounded to one more.
std::string Rounded_Label(double value, AxisRange range, int max_count);

#endif
