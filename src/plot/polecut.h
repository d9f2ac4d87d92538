// Where a sampled curve crosses a pole: the segment between two points is not
// drawn when it jumps from beyond one edge of the visible y range to beyond
// the other, or, for a curve y(x), when y changes sign at a jump that grows
// towards it from both sides and leaves the visible range (tan(x) or 1/x near
// their poles). Works in picture coordinates, one point late: a segment is
// judged once the point after it is known.
#ifndef KANSU_PLOT_POLECUT_H
#define KANSU_PLOT_POLECUT_H

#include "plot/plotaxes.h"

// The sign jump alone, for any y axis: b follows a, before precedes a and
// after follows b; zero is the y of the value 0.
bool Is_SignJump(double before, double a, double b, double after, double zero);

class PoleCutter {
public:
    // top < bottom: the visible y range in picture units; zero: the y of the
    // value 0; sign_jumps: whether the curve is y(x).
    PoleCutter(double top, double bottom, double zero, bool sign_jumps);

    // A point that the cutter lets go; cut: the segment before it is not drawn.
    struct Released {
        PixelPoint point;
        bool cut = false;
    };
    // The next point; true when a point is let go into released.
    bool Add(PixelPoint point, Released* released);
    // The curve ends here (or breaks); true when a last point is let go.
    bool End(Released* released);

private:
    bool Cut(const PixelPoint* before, PixelPoint a, PixelPoint b, const PixelPoint* after) const;

    double top_, bottom_, zero_;
    bool sign_jumps_;
    int held_ = 0;  // 0 to 2 points known: previous_ (let go) and pending_
    bool have_before_ = false;
    PixelPoint before_, previous_, pending_;
};

#endif
