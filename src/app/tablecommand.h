// `kansu table`: the report of one of the four modes for formulas, ranges
// and values given on the command line, written by the same writers as the
// dialogue's, to standard output or appended to a file (-o), or its rows as
// comma-separated values (--csv).
#ifndef KANSU_APP_TABLECOMMAND_H
#define KANSU_APP_TABLECOMMAND_H

#include <ostream>

#include "app/scriptargs.h"

// Messages go to std::cout, which the caller has turned to standard error;
// the report goes to out unless -o names a file. Returns the exit status.
int Run_Table(const ScriptOptions& options, std::ostream& out);

#endif
