// `kansu eval EXPR [NAME=VALUE]...`: the value of a formula on one line of
// standard output, as the explicit report writes a formula whose variables
// all have values; `kansu eval -` reads one formula per line.
#ifndef KANSU_APP_EVALCOMMAND_H
#define KANSU_APP_EVALCOMMAND_H

#include <ostream>

#include "app/scriptargs.h"

// Messages go to std::cout, which the caller has turned to standard error;
// the values go to out. Returns the exit status.
int Run_Eval(const ScriptOptions& options, std::ostream& out);

#endif
