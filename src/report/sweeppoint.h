// The points of a range: n divisions give n + 1 points, point i being
// i * ((max - min) / n) + min, computed from i every time so that no error adds up.
#ifndef KANSU_SWEEPPOINT_H
#define KANSU_SWEEPPOINT_H

double Step_Width(double min_value, double max_value, int step_number);
double Sweep_Point(int index, double step_value, double min_value);

#endif
