#include "report/sweeppoint.h"

double Step_Width(double min_value, double max_value, int step_number) {
    return (max_value - min_value) / step_number;
}

double Sweep_Point(int index, double step_value, double min_value) {
    return index * step_value + min_value;
}
