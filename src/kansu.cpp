#include <iostream>

#include "interrupt.h"
#include "lineedit.h"
#include "main.h"
#include "messages.h"
#include "options.h"
#include "plotcommand.h"

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
    Start_LineEditing(!options.no_edit, Utf8_Active());
    return Kansu_Main();
}
