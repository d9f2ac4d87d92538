// --marks: the roots, poles, jumps and extrema of an explicit run's curve.
// The plot reads reports only; the caller supplies the finder that re-reads
// the run's formula and searches it.
#ifndef KANSU_PLOT_CURVEMARKS_H
#define KANSU_PLOT_CURVEMARKS_H

#include <functional>
#include <string>
#include <vector>

#include "plot/plotaxes.h"

// An explicit run as its report states it: the formula, "name = value" of
// each fixed variable, and the range of its rows.
struct MarkedRun {
    std::string formula;
    std::vector<std::string> fixed_values;
    double x_min = 0.0;
    double x_max = 0.0;
    long long divisions = 0;
};

enum class MarkKind { ROOT, POLE, JUMP, MINIMUM, MAXIMUM };
struct CurveMark {
    MarkKind kind;
    double x;
    double value;  // f(x)
};

// The marks of a run; false when its formula cannot be re-read.
typedef std::function<bool(const MarkedRun&, std::vector<CurveMark>*)> MarkFinder;

// A finding where the picture shows it: a root on the zero line, an extremum
// on the curve, a pole or jump as the x where the curve breaks.
struct PixelMark {
    MarkKind kind;
    PixelPoint point;
};

// The findings inside the frame, placed.
std::vector<PixelMark> Place_Marks(const std::vector<CurveMark>& findings, const PlotFrame& frame);

#endif
