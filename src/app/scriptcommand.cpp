#include "app/scriptcommand.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "app/evalcommand.h"
#include "app/messagestream.h"
#include "app/options.h"
#include "app/scriptargs.h"
#include "app/tablecommand.h"
#include "console/interrupt.h"
#include "eval/evalnative.h"
#include "files/safefile.h"
#include "report/parallelsweep.h"
#include "report/reportfile.h"
#include "report/reportwriter.h"
#include "text/messages.h"
#include "userfunc/savefile.h"
#include "userfunc/usrfunc.h"

namespace {
// The encoding as the dialogue chooses it: an option, then KANSU_ENCODING.
void Choose_Encoding(const ScriptOptions& options) {
    CommandOptions encoding;
    encoding.utf8 = options.utf8;
    encoding.cp932 = options.cp932;
    Use_Utf8(Utf8_Chosen(encoding, std::getenv("KANSU_ENCODING"), std::cerr));
    const char* machine_code = std::getenv("KANSU_MACHINE_CODE");
    Allow_NativeCode(machine_code == nullptr || std::strcmp(machine_code, "0") != 0);
}

const char* Usage_Of(const ScriptOptions& options) {
    return options.command == ScriptCommand::EVAL ? Msg().EVAL_USAGE : Msg().TABLE_USAGE;
}

// The functions of the save file, with their definitions, in the registry.
// The file is read only: the registry is never saved by these commands.
bool Load_Functions(const std::string& path) {
    if (path.empty()) return true;
    if (Create_UFunctionTable(g_ufunc_list, path.c_str(), 1) == 1) return true;
    std::cout << Msg().SCRIPT_FUNCTIONS_UNREADABLE << path << "\n";
    return false;
}

bool Stop_LockWait() { return Termination_Signal() != 0; }

int Run_Checked(const ScriptOptions& options) {
    if (options.show_help) {
        std::cout << Usage_Of(options) << std::flush;
        return SCRIPT_DONE;
    }
    if (!options.bad_argument.empty()) {
        std::cerr << Msg().SCRIPT_BAD_ARGUMENT << options.bad_argument << "\n"
                  << Usage_Of(options) << std::flush;
        return SCRIPT_USAGE;
    }
    Set_ReportDigits(options.digits);
    Set_SweepThreads(options.threads);
    MessagesToErrorStream messages;
    if (!Load_Functions(options.functions_path)) return SCRIPT_FAILED;
    if (options.command == ScriptCommand::EVAL) return Run_Eval(options, messages.Output());
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
    int status = Run_Checked(options);
    // A signal that stopped a run without an output file (or came once the
    // file was complete) is said here.
    if (Termination_Signal() != 0 && status != 128 + Termination_Signal())
        return Tell_SignalEnd("");
    return status;
}
