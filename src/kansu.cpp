#include <iostream>

#include "interrupt.h"
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
    int status = Apply_Options(Parse_Options(argc, argv), std::cout, std::cerr);
    if (status >= 0) return status;
    Install_InterruptHandler();
    return Kansu_Main();
}
