// The search of a whole range: f at every point of the grid, every exact
// zero and sign change narrowed to a root, pole or jump, and (when asked)
// every local minimum and maximum of the grid narrowed. A pure function of f
// and the grid: it allocates only the list of findings.
#ifndef KANSU_ROOTS_ROOTSEARCH_H
#define KANSU_ROOTS_ROOTSEARCH_H

#include "roots/findings.h"

SearchResult Search_Range(SearchedFunction& f, const SearchGrid& grid, bool extrema);

#endif
