#include "plot/curvemarks.h"

#include <cmath>

namespace {
bool Between(double value, AxisRange range) { return value >= range.low && value <= range.high; }

// The y a finding is drawn at: 0 for roots, poles and jumps.
double Mark_Y(const CurveMark& found) {
    bool on_curve = found.kind == MarkKind::MINIMUM || found.kind == MarkKind::MAXIMUM;
    return on_curve ? found.value : 0.0;
}
}  // namespace

std::vector<PixelMark> Place_Marks(const std::vector<CurveMark>& findings, const PlotFrame& frame) {
    std::vector<PixelMark> marks;
    for (const CurveMark& found : findings) {
        double y = Mark_Y(found);
        if (!Between(found.x, frame.x_range) || !std::isfinite(y)) continue;
        // A pole's or jump's line spans the frame whether 0 is shown or not.
        bool line = found.kind == MarkKind::POLE || found.kind == MarkKind::JUMP;
        if (!line && !Between(y, frame.y_range)) continue;
        marks.push_back(
            PixelMark{found.kind, PixelPoint{Frame_X(frame, found.x), Frame_Y(frame, y)}});
    }
    return marks;
}
