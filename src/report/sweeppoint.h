// The points of a range: n divisions give n + 1 points, point i being
// i * ((max - min) / n) + min, computed from i every time so that no error adds up.
#ifndef KANSU_SWEEPPOINT_H
#define KANSU_SWEEPPOINT_H

double Step_Width(double min_value, double max_value, int step_number);
double Sweep_Point(int index, double step_value, double min_value);

// The points of one range. When max - min overflows although both ends are
// finite, point i is min - i * (min / n) + i * (max / n) instead, which stays
// finite and between the ends; every other range gives the points of Sweep_Point, bit for bit.
class SweepSpacing {
public:
    SweepSpacing(double min_value, double max_value, int step_number);
    double At(long long index) const;

private:
    double min_value_;
    double max_value_;
    double step_value_;
    double min_share_ = 0.0;  // min / n and max / n, where the width overflows
    double max_share_ = 0.0;
    bool split_ = false;
};

#endif
