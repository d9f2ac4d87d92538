#include "plot/curvetrace.h"

#include <algorithm>
#include <cmath>

namespace {
// The frame's sides, and which one a cut of the segment lies on.
enum class Side { NONE, LEFT, RIGHT, TOP, BOTTOM };
struct Frame {
    double left, top, right, bottom;
};
struct Bound {
    double t;
    Side side;
};

// Parametric cut of one side (Liang-Barsky): narrows [t0, t1].
bool Cut(double direction, double distance, Side side, Bound* t0, Bound* t1) {
    if (direction == 0.0) return distance >= 0.0;
    double t = distance / direction;
    if (direction < 0.0) {
        if (t > t1->t) return false;
        if (t > t0->t) *t0 = Bound{t, side};
    } else {
        if (t < t0->t) return false;
        if (t < t1->t) *t1 = Bound{t, side};
    }
    return true;
}

PixelPoint Held(PixelPoint point, const Frame& frame) {
    return PixelPoint{std::fmin(std::fmax(point.x, frame.left), frame.right),
                      std::fmin(std::fmax(point.y, frame.top), frame.bottom)};
}

// The point at bound along a-b. A cut lies on its side exactly; its other
// coordinate is measured from the nearer end, so that an end far outside
// (1e300 pixels away) cannot round the point to the wrong side of the frame.
PixelPoint Point_At(PixelPoint a, PixelPoint b, Bound bound, const Frame& frame) {
    auto along = [&](double from_a, double from_b) {
        double delta = from_b - from_a;
        return bound.t <= 0.5 ? from_a + bound.t * delta : from_b - (1.0 - bound.t) * delta;
    };
    PixelPoint point{along(a.x, b.x), along(a.y, b.y)};
    switch (bound.side) {
    case Side::LEFT: point.x = frame.left; break;
    case Side::RIGHT: point.x = frame.right; break;
    case Side::TOP: point.y = frame.top; break;
    case Side::BOTTOM: point.y = frame.bottom; break;
    case Side::NONE: point = bound.t <= 0.5 ? a : b; break;
    }
    return Held(point, frame);
}
}  // namespace

bool Clip_Segment(PixelPoint* a, PixelPoint* b, double left, double top, double right,
                  double bottom) {
    // Both ends beyond the same side: nothing inside (and no rounding of the
    // cut below can make a point of it).
    if ((a->x < left && b->x < left) || (a->x > right && b->x > right) ||
        (a->y < top && b->y < top) || (a->y > bottom && b->y > bottom))
        return false;
    double dx = b->x - a->x;
    double dy = b->y - a->y;
    Bound t0{0.0, Side::NONE};
    Bound t1{1.0, Side::NONE};
    if (!Cut(-dx, a->x - left, Side::LEFT, &t0, &t1) ||
        !Cut(dx, right - a->x, Side::RIGHT, &t0, &t1) ||
        !Cut(-dy, a->y - top, Side::TOP, &t0, &t1) ||
        !Cut(dy, bottom - a->y, Side::BOTTOM, &t0, &t1))
        return false;
    if (t0.t > t1.t) return false;
    Frame frame{left, top, right, bottom};
    PixelPoint start = *a;
    *a = Point_At(start, *b, t0, frame);
    *b = Point_At(start, *b, t1, frame);
    return true;
}

CurveTracer::CurveTracer(const PlotFrame& frame, TraceStyle style, double min_move, bool y_of_x)
    : frame_(frame),
      style_(style),
      min_move_(min_move),
      poles_(frame.top, frame.top + frame.height, Frame_Y(frame, 0.0), y_of_x) {}

bool CurveTracer::Inside(PixelPoint point) const {
    return point.x >= frame_.left && point.x <= frame_.left + frame_.width &&
           point.y >= frame_.top && point.y <= frame_.top + frame_.height;
}

void CurveTracer::Add(double x, double y) {
    PixelPoint point{Frame_X(frame_, x), Frame_Y(frame_, y)};
    if (!std::isfinite(point.x) || !std::isfinite(point.y)) {
        Break();
        return;
    }
    if (style_ == TraceStyle::DOTS) {
        Add_Dot(point);
        return;
    }
    PoleCutter::Released released;
    if (poles_.Add(point, &released)) Take(released);
}

void CurveTracer::Take(const PoleCutter::Released& released) {
    if (released.cut) {
        End_Piece();
        have_previous_ = false;
    }
    To_Point(released.point);
}

void CurveTracer::Add_Dot(PixelPoint point) {
    if (!Inside(point)) return;
    // One dot per pixel: a cell number from the pixel's column and row.
    long long column = static_cast<long long>(point.x - frame_.left);
    long long row = static_cast<long long>(point.y - frame_.top);
    long long cell = row * (static_cast<long long>(frame_.width) + 2) + column;
    if (!dot_cells_.insert(cell).second) return;
    pieces_.push_back({point});
}

// The segment from the previous point, cut at the frame: pieces start where
// the curve enters the frame and end where it leaves it.
void CurveTracer::To_Point(PixelPoint point) {
    if (!have_previous_) {
        have_previous_ = true;
        previous_ = point;
        if (Inside(point)) Start_Piece(point);
        return;
    }
    PixelPoint from = previous_;
    PixelPoint to = point;
    bool from_inside = Inside(previous_);
    previous_ = point;
    double right = frame_.left + frame_.width;
    double bottom = frame_.top + frame_.height;
    if (!Clip_Segment(&from, &to, frame_.left, frame_.top, right, bottom)) {
        End_Piece();
        return;
    }
    if (!from_inside || !piece_open_) {
        End_Piece();
        Start_Piece(from);
    }
    Keep(to);
    if (!Inside(point)) End_Piece();
}

void CurveTracer::Break() {
    PoleCutter::Released released;
    if (poles_.End(&released)) Take(released);
    End_Piece();
    have_previous_ = false;
}

void CurveTracer::Start_Piece(PixelPoint point) {
    pieces_.emplace_back();
    piece_open_ = true;
    column_open_ = false;
    have_unkept_ = false;
    Keep(point);
}

void CurveTracer::Keep(PixelPoint point) {
    std::vector<PixelPoint>& piece = pieces_.back();
    if (style_ == TraceStyle::PATH && !piece.empty()) {
        const PixelPoint& kept = piece.back();
        if (std::hypot(point.x - kept.x, point.y - kept.y) < min_move_) {
            have_unkept_ = true;
            unkept_ = point;
            return;
        }
        have_unkept_ = false;
    }
    if (style_ != TraceStyle::COLUMNS) {
        piece.push_back(point);
        return;
    }
    double column = std::floor(point.x);
    Sequenced current{point, ++order_};
    if (column_open_ && column == column_) {
        if (point.y < lowest_.point.y) lowest_ = current;
        if (point.y > highest_.point.y) highest_ = current;
        last_ = current;
        return;
    }
    Flush_Column();
    column_open_ = true;
    column_ = column;
    first_order_ = current.order;
    lowest_ = highest_ = last_ = current;
    piece.push_back(point);
}

// Writes the lowest, highest and last point of the column in their order,
// each once, after the column's first point.
void CurveTracer::Flush_Column() {
    if (!column_open_) return;
    column_open_ = false;
    Sequenced kept[3] = {lowest_, highest_, last_};
    std::sort(kept, kept + 3,
              [](const Sequenced& a, const Sequenced& b) { return a.order < b.order; });
    long long written = first_order_;
    for (const Sequenced& point : kept) {
        if (point.order == written) continue;
        pieces_.back().push_back(point.point);
        written = point.order;
    }
}

void CurveTracer::End_Piece() {
    if (!piece_open_) return;
    piece_open_ = false;
    Flush_Column();
    if (have_unkept_) pieces_.back().push_back(unkept_);
    have_unkept_ = false;
}

void CurveTracer::Finish() { Break(); }
