// The command line of `kansu plot REPORT|- [-o FILE.svg | -o -] [--all |
// --run N] [--term] [--xrange a:b] [--yrange a:b] [--aspect equal|auto]
// [--title T] [--xlabel T] [--ylabel T] [--marks]`, each option's value also as
// --opt=value.
#ifndef KANSU_PLOT_PLOTARGS_H
#define KANSU_PLOT_PLOTARGS_H

#include <string>

#include "plot/plotpicture.h"

struct PlotOptions {
    PlotRequest request;
    std::string output_path;  // empty: beside the report; "-": standard output
    bool terminal = false;
    bool utf8 = false;         // --utf8 given after any --cp932; then the encoding chosen
    bool cp932 = false;        // --cp932 given after any --utf8
    bool help = false;         // --help: the usage, and nothing drawn
    bool marks = false;        // --marks: the caller sets request.mark_finder
    std::string bad_argument;  // the first argument not understood
    bool report_missing = false;
};

// Where the word "plot" stands when the command line asks for the plot
// command (only --utf8 or --cp932 may come before it); 0 when it does not.
int Plot_WordIndex(int argc, const char* const* argv);
PlotOptions Parse_PlotOptions(int argc, const char* const* argv, int plot_word);

#endif
