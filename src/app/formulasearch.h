// The search of a range over a formula given on a command line: its compiled
// program run at every point the search asks for, on the report's own lane.
#ifndef KANSU_APP_FORMULASEARCH_H
#define KANSU_APP_FORMULASEARCH_H

#include "formula/formulaargument.h"
#include "report/sweepreport.h"
#include "roots/findings.h"

// formula is analysed and has its values; name is its varying variable. A
// failed evaluation or Ctrl-C ends the search (result.failed) and the report's
// lane, whose outcome tells which.
SearchResult Search_Formula(FormulaArgument& formula, const char* name, const SearchGrid& grid,
                            bool extrema, SweepReport& report);

#endif
