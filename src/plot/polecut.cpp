#include "plot/polecut.h"

#include <cmath>

bool Is_SignJump(double before, double a, double b, double after, double zero) {
    double from = a - zero;
    double to = b - zero;
    if (!((from < 0.0 && to > 0.0) || (from > 0.0 && to < 0.0))) return false;
    // At a pole |y| grows towards the jump on both sides; where a curve merely
    // crosses zero steeply, it shrinks.
    return std::fabs(from) > std::fabs(before - zero) && std::fabs(to) > std::fabs(after - zero);
}

PoleCutter::PoleCutter(double top, double bottom, double zero, bool sign_jumps)
    : top_(top), bottom_(bottom), zero_(zero), sign_jumps_(sign_jumps) {}

bool PoleCutter::Cut(const PixelPoint* before, PixelPoint a, PixelPoint b,
                     const PixelPoint* after) const {
    bool a_above = a.y<top_, a_below = a.y> bottom_;
    bool b_above = b.y<top_, b_below = b.y> bottom_;
    if ((a_above && b_below) || (a_below && b_above)) return true;
    if (!sign_jumps_ || before == nullptr || after == nullptr) return false;
    bool leaves = a_above || a_below || b_above || b_below;
    return leaves && Is_SignJump(before->y, a.y, b.y, after->y, zero_);
}

bool PoleCutter::Add(PixelPoint point, Released* released) {
    if (held_ == 0) {
        held_ = 1;
        previous_ = point;
        *released = Released{point, false};
        return true;
    }
    if (held_ == 1) {
        held_ = 2;
        pending_ = point;
        return false;
    }
    *released =
        Released{pending_, Cut(have_before_ ? &before_ : nullptr, previous_, pending_, &point)};
    have_before_ = true;
    before_ = previous_;
    previous_ = pending_;
    pending_ = point;
    return true;
}

bool PoleCutter::End(Released* released) {
    bool letting_go = held_ == 2;
    if (letting_go)
        *released = Released{pending_,
                             Cut(have_before_ ? &before_ : nullptr, previous_, pending_, nullptr)};
    held_ = 0;
    have_before_ = false;
    return letting_go;
}
