#include <csignal>
#include <iostream>

#include "console/dialoguecancel.h"
#include "console/interrupt.h"
#include "progress/calcstop.h"
#include "console/lineedit.h"
#include "console/plaincancel.h"
#include "app/main.h"
#include "app/markfinder.h"
#include "app/runend.h"
#include "text/messages.h"
#include "app/options.h"
#include "plot/plotcommand.h"
#include "report/reportfile.h"
#include "app/scriptargs.h"
#include "app/scriptcommand.h"
#include "userfunc/usrfunc.h"

namespace {
// The console window closes (Windows): unsaved functions go to a recovery file.
void Keep_OnConsoleClose() {
    if (g_ufunc_list.GetChangeFlag() != 0) Keep_InRecoveryFile(g_ufunc_list);
}
}  // namespace

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // A write beyond the file-size limit then fails like one on a full disk and is
    // reported (and a table's file put back as it was), instead of killing the
    // program with its unsaved functions or a part of a table written.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    int plot_word = Plot_WordIndex(argc, argv);
    if (plot_word > 0) {
        PlotOptions plot = Parse_PlotOptions(argc, argv, plot_word);
        plot.utf8 = Use_ScriptEncoding(plot.utf8, plot.cp932, std::cerr);
        if (plot.marks) plot.request.mark_finder = Find_CurveMarks;
        Install_ScriptSignals();
        int status = Run_Plot(plot, std::cout, std::cerr);
        return Termination_Signal() != 0 ? Tell_SignalEnd("") : status;
    }
    int script_word = Script_WordIndex(argc, argv);
    if (script_word > 0) return Run_ScriptCommand(argc, argv, script_word);
    CommandOptions options = Parse_Options(argc, argv);
    int status = Apply_Options(options, std::cout, std::cerr);
    if (status >= 0) return status;
    Install_InterruptHandler();
    Set_SignalEndHook(Stop_LineEditing_OnSignal);
    Set_ConsoleCloseHook(Keep_OnConsoleClose);
    bool editing = Start_LineEditing(!options.no_edit, Utf8_Active());
    Allow_DialogueCancel(editing || Watch_PlainTerminalInput());
    ShellSettings settings;
    settings.pictures_beside_reports = options.plot;
    return Kansu_Main(settings);
}
