// The end of a run: the save question, and the recovery file that keeps
// unsaved functions when nobody answers it (a signal, end of input, a refused
// save left unanswered).
#ifndef KANSU_RUNEND_H
#define KANSU_RUNEND_H

class UsrFuncArray;

// The dialogue's exit statuses.
const int RUN_ENDED = 0;        // menu 0 or a number it does not list, end of input
const int RUN_FAILED = 1;       // an evaluation error in a report, memory out, functions lost
const int RUN_BY_SIGNAL = 128;  // + the signal's number

// How the save question ended.
enum SaveQuestionEnd {
    QUESTION_NOT_NEEDED,  // nothing was unsaved
    QUESTION_ANSWERED,    // saved, or declined without a refused save before
    QUESTION_RECOVERED,   // unsaved functions went to a recovery file
    QUESTION_LOST,        // the recovery file could not be written: they are lost
};

// The end-of-run save question, asked only when functions have unsaved changes:
// 1 saves; a failed save shows its message and asks again (a new path once the
// save file itself refused them); any other number ends without saving. When
// the question gets no answer (end of input), or is declined after a refused
// save, the unsaved functions go to a recovery file named on standard error.
// On a terminal an end of input earlier in the run does not answer it.
SaveQuestionEnd Ask_SaveChanges(UsrFuncArray& ufunc_list);

// Writes every function to a recovery file and names it in one line on
// standard error; false when it cannot be written (the path tried and the
// system's reason are said then).
bool Keep_InRecoveryFile(UsrFuncArray& ufunc_list);

// A signal ended the run: unsaved functions, if any are left, go to a
// recovery file. Returns the exit status, 128 + the signal number.
int End_BySignal(UsrFuncArray& ufunc_list);

#endif
