#include <iostream>

#include "console/dialoguecancel.h"
#include "console/interrupt.h"
#include "console/lineedit.h"
#include "console/plaincancel.h"
#include "app/main.h"
#include "text/messages.h"
#include "app/options.h"
#include "plot/plotcommand.h"

int main(int argc, char** argv) {
    int plot_word = Plot_WordIndex(argc, argv);
    if (plot_word > 0) {
        PlotOptions plot = Parse_PlotOptions(argc, argv, plot_word);
        Use_Utf8(plot.utf8);
        return Run_Plot(plot, std::cout, std::cerr);
    }
    CommandOptions options = Parse_Options(argc, argv);
    int status = Apply_Options(options, std::cout, std::cerr);
    if (status >= 0) return status;
    Install_InterruptHandler();
    Set_SignalEndHook(Stop_LineEditing_OnSignal);
    bool editing = Start_LineEditing(!options.no_edit, Utf8_Active());
    Allow_DialogueCancel(editing || Watch_PlainTerminalInput());
    ShellSettings settings;
    settings.pictures_beside_reports = options.plot;
    return Kansu_Main(settings);
}
