// A local minimum or maximum that the grid shows (an inner point below, or
// above, both its neighbours) narrowed as the zero of f' where f gives its
// slope (roots/slopezero.h); else by golden section search until no
// double between the bracket's points is left, then centred on the doubles
// where f equals the extreme value (where f is flat to within rounding, the
// middle of that stretch is the best x the values can tell).
#ifndef KANSU_ROOTS_EXTREMUM_H
#define KANSU_ROOTS_EXTREMUM_H

#include "roots/findings.h"

// kind: MINIMUM or MAXIMUM. f(inner) = f_inner lies strictly below (for a
// maximum above) f(left) and f(right); inner lies between them. false when f
// failed.
bool Narrow_Extremum(SearchedFunction& f, FindingKind kind, double left, double inner,
                     double f_inner, double right, Finding* found);

#endif
