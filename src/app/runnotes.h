// After a calculation at a terminal, a word on standard error about what it
// left behind: the report file with the lines added, and the picture beside it.
#ifndef KANSU_RUNNOTES_H
#define KANSU_RUNNOTES_H

#include "report/sweepreport.h"

// Draws the picture beside the report when asked (--plot), and at a terminal
// names the report and the picture written.
void Note_RunOutcome(const RunResult& result, bool picture_beside);

#endif
