// `kansu roots [--extrema] [--csv] EXPR RANGE [NAME=VALUE]...`: the roots,
// poles and jumps (and with --extrema the local minima and maxima) of an
// explicit function over a range, one line per finding in x order.
#ifndef KANSU_APP_ROOTSCOMMAND_H
#define KANSU_APP_ROOTSCOMMAND_H

#include <ostream>

#include "app/scriptargs.h"

// Divisions of the grid when the range gives none.
const int ROOTS_DEFAULT_DIVISIONS = 1000;

// Messages go to std::cout, which the caller has turned to standard error;
// the findings go to out. Returns the exit status.
int Run_Roots(const ScriptOptions& options, std::ostream& out);

#endif
