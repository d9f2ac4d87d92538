#include "app/main.h"

#include <csignal>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "app/runend.h"
#include "app/runnotes.h"
#include "commands/commandrunners.h"
#include "console/consoleio.h"
#include "console/consoleterminal.h"
#include "console/dialoguecancel.h"
#include "console/fullwidthhint.h"
#include "console/inputkind.h"
#include "console/interrupt.h"
#include "progress/calcstop.h"
#include "console/typednumber.h"
#include "files/safefile.h"
#include "modes/explicit.h"
#include "modes/inplexp.h"
#include "modes/paramexp.h"
#include "modes/polarcord.h"
#include "text/messages.h"
#include "userfunc/recovery.h"
#include "userfunc/usrfunc.h"

namespace {
const char RULE_LINE[] = "+++++++++++++++++++++++++++++++++++++++++++++++++\n";
const int COMMAND_SIZE = 80;
// The help screen's lines of the built-in functions, in the table's order.
const char* Messages::*const HELP_LINES[] = {
#define HELP(line) &Messages::line,
#define NO_HELP
#define KANSU_BUILTIN(name, code, number, arity, routine, help) help
#include "formula/builtins.def"
#undef KANSU_BUILTIN
#undef NO_HELP
#undef HELP
};

// At most this many recovery files are named one by one at the start.
const size_t RECOVERY_NAMED_MAX = 3;

// Every recovery file that earlier runs left and no start has named yet:
// one line each, or, when there are many, their count and folder. On standard
// error: what a piped session prints never depends on an earlier run.
void Announce_Recovery() {
    std::vector<std::string> recoveries = Take_UnannouncedRecoveries();
    if (recoveries.size() > RECOVERY_NAMED_MAX) {
        std::cerr << Msg().RECOVERY_MANY_BEFORE << recoveries.size() << Msg().RECOVERY_MANY_AFTER
                  << Recovery_Folder() << std::endl;
        return;
    }
    for (const std::string& recovery : recoveries)
        std::cerr << Msg().RECOVERY_NOTICE << recovery << std::endl;
}

bool Stop_LockWait() { return Termination_Signal() != 0; }

// The calculation mode of menu choices 1 to 4; null for any other choice.
ModeFunction Menu_Mode(int select) {
    static const ModeFunction MODES[] = {FnCalc_Explicit, FnCalc_Inplicit, FnCalc_PolarCord,
                                         FnCalc_Param};
    return select >= 1 && select <= 4 ? MODES[select - 1] : nullptr;
}

// Reads one command line and runs the command.
void Run_Command() {
    char command_array[COMMAND_SIZE] = {};
    std::cout << Msg().COMMAND_PROMPT;
    DialogueScope dialogue;
    {
        InputKindScope kind(InputKind::Command);
        if (Input_Formula(std::cin, command_array, COMMAND_SIZE) == nullptr)
            command_array[0] = '\0';
    }
    if (!Dialogue_Cancelled()) Select_Command(command_array, g_ufunc_list);
    std::cout << "\n\n";
}

RunResult Run_Mode(ModeFunction mode) {
    DialogueScope dialogue;
    return mode(g_ufunc_list);
}

// A dialogue cancelled from the keyboard: the streams work again and one line
// says so.
void End_CancelledDialogue() {
    if (Take_DialogueCancel()) std::cerr << Msg().DIALOGUE_CANCELLED << std::endl;
}

// An evaluation failed while a report was written: its message, the save
// question, and the program ends with status 1.
int End_AfterEvaluationError(const char* message) {
    std::cout << message << std::flush;
    Ask_SaveChanges(g_ufunc_list);
    return RUN_FAILED;
}
}  // namespace

namespace {
const int GO_ON = -1;

// Runs one menu choice: GO_ON, or the exit status when the run must end now.
// A choice that ends the loop sets select to 0.
int Run_Choice(int& select, const ShellSettings& settings) {
    if (ModeFunction mode = Menu_Mode(select)) {
        RunResult result = Run_Mode(mode);
        if (result.evaluation_error != nullptr)
            return End_AfterEvaluationError(result.evaluation_error);
        Note_RunOutcome(result, settings.pictures_beside_reports);
        End_CancelledDialogue();
        End_OutPut();
    } else if (select == 5) {
        Explain_Function();
    } else if (select == -1) {
        Run_Command();
        End_CancelledDialogue();
    } else {
        select = 0;
    }
    return GO_ON;
}

// The same, where memory running out ends only the choice: it is said, and
// the menu comes back with every function kept.
int Run_ChoiceGuarded(int& select, const ShellSettings& settings) {
    try {
        return Run_Choice(select, settings);
    } catch (const std::bad_alloc&) {
        std::cout << "\n" << Msg().OUT_OF_MEMORY << std::endl;
        return GO_ON;
    }
}
}  // namespace

namespace {
int Run_Dialogue(const ShellSettings& settings) {
    g_stop_waiting = Stop_LockWait;
    Announce_Recovery();
    Explain_Function();
    int select = 0;
    do {
        Note_UnsavedWork(g_ufunc_list.GetChangeFlag() != 0);
        select = Select_Menu();
        int status = Run_ChoiceGuarded(select, settings);
        if (status != GO_ON) return status;
        Clear_CalculationInterrupt();
        if (Program_EndRequested()) select = 0;
    } while (select != 0);

    if (Termination_Signal() != 0) return End_BySignal(g_ufunc_list);
    // Ctrl-C with unsaved functions left the loop: the question is still asked.
    bool interrupted = Program_EndRequested();
    if (interrupted) {
        Resume_InputAfterInterrupt();
        std::cout << "\n";
    }

    SaveQuestionEnd question = Ask_SaveChanges(g_ufunc_list);
    // At a terminal the status says that Ctrl-C ended the run, at the menu or
    // at the question, as it does when nothing was unsaved; a piped session
    // keeps its status 0. Functions lost with their recovery file end the run
    // with status 1.
    interrupted = interrupted || Program_EndRequested();
    if (Termination_Signal() == 0 && question == QUESTION_LOST) return RUN_FAILED;
    if (Termination_Signal() == 0)
        return interrupted && Output_IsTerminal() ? RUN_BY_SIGNAL + SIGINT : RUN_ENDED;
    // A signal during the question cut its read short, which kept the
    // functions in a recovery file already.
    bool kept_or_lost = question == QUESTION_RECOVERED || question == QUESTION_LOST;
    return kept_or_lost ? RUN_BY_SIGNAL + Termination_Signal() : End_BySignal(g_ufunc_list);
}
}  // namespace

int Kansu_Main(const ShellSettings& settings) {
    try {
        return Run_Dialogue(settings);
    } catch (const std::bad_alloc&) {
        // Nothing can go on (the save question itself ran out): unsaved
        // functions go to a recovery file, as when a signal ends the run.
        std::cerr << Msg().OUT_OF_MEMORY_END << std::endl;
        if (g_ufunc_list.GetChangeFlag() != 0) Keep_InRecoveryFile(g_ufunc_list);
        return RUN_FAILED;
    }
}

void Explain_Function() {
    std::cout << std::endl;
    std::cout << RULE_LINE;
    std::cout << Msg().HELP_HEADING;
    for (const char* Messages::*help_line : HELP_LINES) std::cout << Msg().*help_line;
    std::cout << Msg().HELP_OPERATORS;
    std::cout << RULE_LINE;
    std::cout << Msg().HELP_OTHERS;
    std::cout << Msg().HELP_SIGMA;
}

int Select_Menu() {
    int select = 0;
    std::cout << Msg().MENU_HEADING;
    std::cout << Msg().MENU_EXPLICIT << 1 << "\n";
    std::cout << Msg().MENU_IMPLICIT << 2 << "\n";
    std::cout << Msg().MENU_POLAR << 3 << "\n";
    std::cout << Msg().MENU_PARAM << 4 << "\n";
    std::cout << Msg().MENU_HELP << 5 << "\n";
    std::cout << Msg().MENU_END << 0 << "\n";
    Read_TypedNumber(std::cin, select);
    Skip_TypedCharacter(std::cin);
    return select;
}

int Select_Command(char* cmmd_array, UsrFuncArray& ufunc_list) {
    struct Command {
        const char* word;
        void (*runner)(UsrFuncArray&);
    };
    static const Command COMMANDS[] = {
#define KANSU_COMMAND(word, runner) {#word, runner},
#include "console/commands.def"
#undef KANSU_COMMAND
    };
    for (const Command& command : COMMANDS) {
        if (std::strcmp(cmmd_array, command.word) == 0) {
            command.runner(ufunc_list);
            return 1;
        }
    }
    std::cout << Msg().COMMAND_UNKNOWN << std::endl;
    Hint_HalfWidth(cmmd_array, true);
    return 1;
}

void End_OutPut() { std::cout << "\n" << RULE_LINE; }
