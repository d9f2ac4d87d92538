// kansu plot --marks: an explicit run's formula read again from its report,
// given the fixed values the report states, and searched over the range of
// its rows for roots, poles, jumps and extrema.
#ifndef KANSU_APP_MARKFINDER_H
#define KANSU_APP_MARKFINDER_H

#include <vector>

#include "plot/curvemarks.h"

// false when the formula cannot be read or evaluated again (a user function
// the registry lacks, a variable without a value): the run gets no marks.
bool Find_CurveMarks(const MarkedRun& run, std::vector<CurveMark>* marks);

#endif
