// The ranges a picture takes when the command line leaves them open: the
// bounds of the points inside the range it does give, and, for curves y(x)
// that cross a pole, a y range that leaves the spikes beyond its edges.
#ifndef KANSU_PLOT_SHOWNRANGE_H
#define KANSU_PLOT_SHOWNRANGE_H

#include <memory>
#include <vector>

#include "plot/plotaxes.h"
#include "plot/reportreader.h"

class ShownRangeSink : public RowSink {
public:
    // x_limit, y_limit: the ranges given (null when open); only points inside
    // both count.
    ShownRangeSink(const std::vector<ReportRun>& runs, const std::vector<size_t>& selected,
                   const AxisRange* x_limit, const AxisRange* y_limit);
    ~ShownRangeSink() override;
    bool Wants(size_t run_index) const override;
    void Row(size_t run_index, double x, double y) override;

    // The bounds of the points shown; false when there is none.
    bool Bounds(double* x_min, double* x_max, double* y_min, double* y_max) const;
    // The y range with the spikes of curves y(x) at their poles left out
    // (the bulk of their points); false when no drawn curve has a pole.
    bool Pole_YRange(double* low, double* high) const;

private:
    struct RunState;
    const AxisRange* x_limit_;
    const AxisRange* y_limit_;
    std::vector<std::unique_ptr<RunState>> states_;
};

#endif
