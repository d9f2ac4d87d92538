// From a report file to what a picture shows: the runs to draw, the axis
// ranges, and each run's curve traced into a drawing area.
#ifndef KANSU_PLOT_PLOTPICTURE_H
#define KANSU_PLOT_PLOTPICTURE_H

#include <optional>
#include <string>
#include <vector>

#include "plot/curvemarks.h"
#include "plot/curvetrace.h"
#include "plot/plotaxes.h"

// Scales of the two axes: equal (one unit as long across as down), free, or
// as the kind of curve suggests.
enum class PlotAspect { DEFAULT, EQUAL, AUTO };

struct PlotRequest {
    std::string report_path;
    const std::string* report_bytes = nullptr;  // the report itself ("-"): path unused
    int run_number = 0;                         // 0: the last run of the file
    bool all_runs = false;
    // Ranges given: either side may be open (infinite here), drawn at the
    // data's limit; low is below high, and reversed draws the axis mirrored.
    bool x_range_given = false;
    bool y_range_given = false;
    AxisRange x_range, y_range;
    bool x_reversed = false, y_reversed = false;
    PlotAspect aspect = PlotAspect::DEFAULT;
    MarkFinder mark_finder;  // --marks: finds the marks of explicit runs; empty: none
    // --title, --xlabel, --ylabel (UTF-8), in place of the report's texts.
    std::optional<std::string> title, x_title, y_title;
};

struct PlotCurve {
    std::string legend;  // the formula, with the fixed values
    bool dots = false;
    std::vector<std::vector<PixelPoint>> pieces;
};

struct PlotPicture {
    std::string title, x_title, y_title, note;  // UTF-8
    PlotFrame frame;
    bool equal_scales = false;
    std::vector<PlotCurve> curves;
    std::vector<PixelMark> marks;      // --marks
    bool marks_skipped = false;        // a drawn run had no formula to search
    long long skipped_rows = 0;        // damaged table lines of the drawn runs
    long long first_skipped_line = 0;  // the first of them, from 1
    int runs_in_report = 0;            // all runs of the file, drawn or not
};

enum class PlotFailure {
    NONE,
    CANNOT_OPEN,
    READ_FAILED,
    NOT_A_REPORT,
    NO_SUCH_RUN,
    NO_TABLE,
    NO_POINTS
};

// Reads the report twice (once for the runs and ranges, once to trace the
// drawn runs) and fills picture for a drawing area of the given place and
// size. min_move is the thinning distance of x-y curves in area units.
PlotFailure Build_Picture(const PlotRequest& request, double left, double top, double width,
                          double height, double min_move, PlotPicture* picture);

#endif
