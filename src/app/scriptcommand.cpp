#include "app/scriptcommand.h"

#include <iostream>
#include <new>

#include "app/definetext.h"
#include "app/evalcommand.h"
#include "app/messagestream.h"
#include "app/options.h"
#include "app/rootscommand.h"
#include "app/savefiletext.h"
#include "app/scriptargs.h"
#include "app/tablecommand.h"
#include "console/interrupt.h"
#include "progress/calcstop.h"
#include "files/safefile.h"
#include "report/parallelsweep.h"
#include "report/reportfile.h"
#include "report/reportwriter.h"
#include "text/messages.h"

namespace {
// The encoding: an option, then KANSU_ENCODING, then the locale.
void Choose_Encoding(const ScriptOptions& options) {
    Use_ScriptEncoding(options.utf8, options.cp932, std::cerr);
    Apply_EvaluatorEnvironment();
}

const char* Usage_Of(const ScriptOptions& options) {
    switch (options.command) {
    case ScriptCommand::EVAL: return Msg().EVAL_USAGE;
    case ScriptCommand::ROOTS: return Msg().ROOTS_USAGE;
    case ScriptCommand::FUNCTIONS: return Msg().FUNCTIONS_USAGE;
    case ScriptCommand::TABLE:
    case ScriptCommand::NONE: break;
    }
    return Msg().TABLE_USAGE;
}

// roots writes x so that it reads back as the same double unless --digits says.
int Digits_Of(const ScriptOptions& options) {
    bool roots = options.command == ScriptCommand::ROOTS;
    return roots && !options.digits_given ? MAX_DIGITS : options.digits;
}

// The answer to a command line that cannot run: its message and status 2,
// or -1 when it can.
int Refused_CommandLine(const ScriptOptions& options) {
    if (!options.bad_argument.empty()) {
        std::cerr << Msg().SCRIPT_BAD_ARGUMENT << options.bad_argument << "\n"
                  << Usage_Of(options) << std::flush;
    } else if (options.digits_refused || options.threads_refused) {
        std::cerr << (options.digits_refused ? Msg().OPTION_DIGITS_RANGE
                                             : Msg().OPTION_THREADS_RANGE);
    } else if (options.texts_missing) {
        std::cerr << Usage_Of(options) << std::flush;
    } else {
        return -1;
    }
    return SCRIPT_USAGE;
}

// The user functions of --functions, then those of every --define. Files
// are only read: the registry is never saved by these commands.
bool Load_Functions(const ScriptOptions& options) {
    bool loaded = options.functions_path.empty() || Load_FunctionsFile(options.functions_path);
    return Define_All(options.definitions) && loaded;
}

bool Stop_LockWait() { return Termination_Signal() != 0; }

int Run_Checked(const ScriptOptions& options) {
    if (options.show_help) {
        std::cout << Usage_Of(options) << std::flush;
        return SCRIPT_DONE;
    }
    int refused = Refused_CommandLine(options);
    if (refused >= 0) return refused;
    Set_ReportDigits(Digits_Of(options));
    Set_SweepThreads(options.threads);
    MessagesToErrorStream messages;
    if (options.command == ScriptCommand::FUNCTIONS)
        return Write_FunctionsText(options.texts[0], messages.Output());
    if (!Load_Functions(options)) return SCRIPT_FAILED;
    if (options.command == ScriptCommand::EVAL) return Run_Eval(options, messages.Output());
    if (options.command == ScriptCommand::ROOTS) return Run_Roots(options, messages.Output());
    return Run_Table(options, messages.Output());
}
}  // namespace

void Install_ScriptSignals() {
    Install_ScriptSignalHandler();
    g_stop_waiting = Stop_LockWait;
}

int Run_ScriptCommand(int argc, const char* const* argv, int word) {
    Install_ScriptSignals();
    ScriptOptions options = Parse_ScriptOptions(argc, argv, word);
    Choose_Encoding(options);
    int status = SCRIPT_FAILED;
    try {
        status = Run_Checked(options);
    } catch (const std::bad_alloc&) {
        // Said, not an abort: the run ends as any other failure does.
        std::cerr << Msg().OUT_OF_MEMORY_END << std::endl;
        return SCRIPT_FAILED;
    }
    // A signal that stopped a run without an output file (or came once the
    // file was complete) is said here.
    if (Termination_Signal() != 0 && status != 128 + Termination_Signal())
        return Tell_SignalEnd("");
    return status;
}
