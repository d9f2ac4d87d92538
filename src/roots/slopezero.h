// A minimum or maximum narrowed as the zero of f': bisection on the sign of
// the slope until the bracket's ends are adjacent doubles, so that x is
// within one double of the extremum even where f itself is flat in doubles
// (around x^3-3x's turns for some 10^8 doubles), where narrowing by f alone
// stops about the square root of a double's precision short of it.
#ifndef KANSU_ROOTS_SLOPEZERO_H
#define KANSU_ROOTS_SLOPEZERO_H

#include "roots/findings.h"

enum class SlopeNarrowing {
    FOUND,
    UNKNOWN,  // no slope, or none that changes sign in the bracket as the kind wants
    FAILED    // f failed
};

// kind: MINIMUM or MAXIMUM, which the grid shows at inner between left and
// right. Of the two adjacent doubles around the slope's change of sign, the
// one f shows more extreme, or where f cannot tell them apart the one where
// the slope is nearer 0.
SlopeNarrowing Narrow_SlopeZero(SearchedFunction& f, FindingKind kind, double left, double inner,
                                double right, Finding* found);

#endif
