// Turns the value pairs of one run into what is drawn: mapped to picture
// coordinates, cut at the frame and at values that are not finite, and
// thinned so that a curve of millions of points stays a small picture.
#ifndef KANSU_PLOT_CURVETRACE_H
#define KANSU_PLOT_CURVETRACE_H

#include <unordered_set>
#include <vector>

#include "plot/plotaxes.h"
#include "plot/polecut.h"

enum class TraceStyle {
    ALL,      // every point (the reference the thinning is held to)
    COLUMNS,  // an x-sorted curve: per pixel column its first, lowest, highest and last point
    PATH,     // an x-y curve: points that move less than min_move from the last kept one go
    DOTS,     // separate points: one per pixel, inside the frame
};

class CurveTracer {
public:
    // y_of_x: the curve is a function of x, whose sign jumps at poles break it.
    CurveTracer(const PlotFrame& frame, TraceStyle style, double min_move = 0.5,
                bool y_of_x = false);

    // The next value pair; one that is not finite, or a jump across a pole,
    // breaks the curve.
    void Add(double x, double y);
    // Ends the last piece; call before reading the pieces.
    void Finish();

    // Polylines inside the frame; a piece of one point is drawn as a dot.
    // Dots of the DOTS style come as pieces of one point each.
    const std::vector<std::vector<PixelPoint>>& Pieces() const { return pieces_; }

private:
    void Break();
    void Take(const PoleCutter::Released& released);
    void To_Point(PixelPoint point);
    void Start_Piece(PixelPoint point);
    void Keep(PixelPoint point);
    void End_Piece();
    void Flush_Column();
    bool Inside(PixelPoint point) const;
    void Add_Dot(PixelPoint point);

    PlotFrame frame_;
    TraceStyle style_;
    double min_move_;
    PoleCutter poles_;
    std::vector<std::vector<PixelPoint>> pieces_;
    bool piece_open_ = false;
    bool have_previous_ = false;
    PixelPoint previous_;
    // PATH: the last point given but not kept, to end a piece exactly.
    bool have_unkept_ = false;
    PixelPoint unkept_;
    // COLUMNS: the points of the current pixel column after its first.
    struct Sequenced {
        PixelPoint point;
        long long order = 0;
    };
    bool column_open_ = false;
    double column_ = 0.0;
    long long order_ = 0;
    long long first_order_ = 0;
    Sequenced lowest_, highest_, last_;
    std::unordered_set<long long> dot_cells_;
};

// Cuts the segment a-b to the rectangle; false when none of it lies inside.
bool Clip_Segment(PixelPoint* a, PixelPoint* b, double left, double top, double right,
                  double bottom);

#endif
