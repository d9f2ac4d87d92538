#include "app/runend.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <limits>
#include <string>

#include "commands/usrdefopr.h"
#include "console/freshread.h"
#include "progress/calcstop.h"
#include "console/typednumber.h"
#include "files/safefile.h"
#include "text/messages.h"
#include "userfunc/recovery.h"
#include "userfunc/usrfunc.h"

namespace {
// The answer to one round of the question: 1, another number, or none at all.
enum Answer { ANSWER_SAVE, ANSWER_OTHER, ANSWER_NONE };

Answer Read_Answer() {
    Prepare_FreshRead();
    std::cout << Msg().EXIT_SAVE_QUESTION << std::endl;
    int answer = 0;
    if (!Read_TypedNumber(std::cin, answer))
        return std::cin.eof() || std::cin.bad() ? ANSWER_NONE : ANSWER_OTHER;
    return answer == 1 ? ANSWER_SAVE : ANSWER_OTHER;
}

// A typo at the menu must not silently lose unsaved functions: the offending
// line is dropped and the question asked afresh.
void Drop_FailedLine() {
    if (!std::cin.fail() || std::cin.eof()) return;
    std::cin.clear();
    std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
}
}  // namespace

bool Keep_InRecoveryFile(UsrFuncArray& ufunc_list) {
    std::string path;
    SaveOutcome written = Write_RecoveryFile(ufunc_list, &path);
    if (written == SAVE_DONE) {
        std::cerr << Msg().RECOVERY_WRITTEN << path << std::endl;
        return true;
    }
    // The path tried and the system's reason, so that the user can make room.
    std::cerr << Msg().RECOVERY_FAILED;
    if (!path.empty()) std::cerr << " : " << path;
    int error_number = Last_FileError();
    if (written == SAVE_DENIED && error_number == 0) error_number = EACCES;
    std::cerr << " : " << std::strerror(error_number != 0 ? error_number : EIO) << std::endl;
    return false;
}

SaveQuestionEnd Ask_SaveChanges(UsrFuncArray& ufunc_list) {
    if (ufunc_list.GetChangeFlag() == 0) return QUESTION_NOT_NEEDED;
    Drop_FailedLine();
    // Once the save file the functions came from has refused them (for another
    // reason than a lock held elsewhere) a new path is asked for: they would
    // be lost otherwise.
    bool source_refused = false, refused = false;
    for (;;) {
        Answer answer = Read_Answer();
        if (answer == ANSWER_NONE || (answer == ANSWER_OTHER && refused))
            return Keep_InRecoveryFile(ufunc_list) ? QUESTION_RECOVERED : QUESTION_LOST;
        if (answer == ANSWER_OTHER) return QUESTION_ANSWERED;
        int check_value =
            source_refused ? SaveDate_ToNewPath(ufunc_list) : SaveDate_ToFile(ufunc_list);
        if (check_value >= SAVE_DONE || check_value == SAVE_NOTHING_CHANGED)
            return QUESTION_ANSWERED;
        Show_SvUsrfuncError(check_value);
        refused = true;
        if (ufunc_list.GetSourceFile() != nullptr && check_value != SAVE_LOCK_BUSY)
            source_refused = true;
    }
}

int End_BySignal(UsrFuncArray& ufunc_list) {
    // A save that succeeded while the signal came left nothing to recover.
    if (ufunc_list.GetChangeFlag() != 0) Keep_InRecoveryFile(ufunc_list);
    return RUN_BY_SIGNAL + Termination_Signal();
}
