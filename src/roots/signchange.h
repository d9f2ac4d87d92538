// A sign change of f between two points, narrowed by bisection until its ends
// are adjacent doubles (or f is exactly 0), and told apart: a root where |f|
// shrinks towards the crossing, a pole where it grows, a jump where it stays.
#ifndef KANSU_ROOTS_SIGNCHANGE_H
#define KANSU_ROOTS_SIGNCHANGE_H

#include "roots/findings.h"

// f(a) = fa and f(b) = fb are nonzero and of opposite signs (a and b in
// either order). A root is the end with the smaller |f| (or the point where
// f is 0); a pole or jump the end with the larger, or the point where f is
// not a number (a jump). false when f failed.
bool Narrow_SignChange(SearchedFunction& f, double a, double fa, double b, double fb,
                       Finding* found);

// Doubles between a and b (b above a): 1 for adjacent ones.
unsigned long long Doubles_Between(double a, double b);

#endif
