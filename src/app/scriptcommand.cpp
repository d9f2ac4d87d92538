#include "app/scriptcommand.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>

#include "app/evalcommand.h"
#include "app/messagestream.h"
#include "app/options.h"
#include "app/scriptargs.h"
#include "app/tablecommand.h"
#include "report/parallelsweep.h"
#include "report/reportwriter.h"
#include "text/messages.h"
#include "userfunc/savefileindex.h"
#include "userfunc/usrfunc.h"

namespace {
// The encoding as the dialogue chooses it: an option, then KANSU_ENCODING.
void Choose_Encoding(const ScriptOptions& options) {
    CommandOptions encoding;
    encoding.utf8 = options.utf8;
    encoding.cp932 = options.cp932;
    Use_Utf8(Utf8_Chosen(encoding, std::getenv("KANSU_ENCODING"), std::cerr));
    Apply_EvaluatorEnvironment();
}

const char* Usage_Of(const ScriptOptions& options) {
    return options.command == ScriptCommand::EVAL ? Msg().EVAL_USAGE : Msg().TABLE_USAGE;
}

// The functions of the save file, defined when a formula calls them. The
// file is read only: the registry is never saved by these commands.
bool Load_Functions(const std::string& path) {
    if (path.empty()) return true;
    if (Index_UFunctionFile(g_ufunc_list, path.c_str()) == 1) return true;
    std::cout << Msg().SCRIPT_FUNCTIONS_UNREADABLE << path << "\n";
    return false;
}

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

int Run_ScriptCommand(int argc, const char* const* argv, int word) {
    ScriptOptions options = Parse_ScriptOptions(argc, argv, word);
    Choose_Encoding(options);
    try {
        return Run_Checked(options);
    } catch (const std::bad_alloc&) {
        // Said, not an abort: the run ends as any other failure does.
        std::cerr << Msg().OUT_OF_MEMORY_END << std::endl;
        return SCRIPT_FAILED;
    }
}
