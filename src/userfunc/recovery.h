// Recovery save files: where the unsaved functions go when a signal ends the
// run with nobody to ask, and the notice at the next start.
#ifndef KANSU_RECOVERY_H
#define KANSU_RECOVERY_H

#include <string>
#include <vector>

#include "userfunc/saveoutcome.h"

class UsrFuncArray;

// The user's state folder for kansu, with its separator at the end:
// $XDG_STATE_HOME/kansu/ (default ~/.local/state/kansu/), on Windows
// %LOCALAPPDATA%\kansu\. Empty when there is none.
std::string Recovery_Folder();
// Writes every defined function into a new save file named with the date and
// time in the recovery folder (made when missing). SAVE_DONE with its path;
// SAVE_NOT_CREATED, SAVE_DENIED or another file outcome when it failed.
SaveOutcome Write_RecoveryFile(UsrFuncArray& registry, std::string* path);
// The recovery files not announced before, oldest first (by the time in
// their names, then their number); from now on they count as announced.
std::vector<std::string> Take_UnannouncedRecoveries();

#endif
