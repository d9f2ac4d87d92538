// `kansu plot REPORT [-o FILE.svg | -o -] [--all | --run N] [--term]
// [--xrange a:b] [--yrange a:b] [--aspect equal|auto] [--marks]`, `kansu plot --help`, and the pictures that --plot puts beside the reports the
// dialogue writes.
#ifndef KANSU_PLOT_PLOTCOMMAND_H
#define KANSU_PLOT_PLOTCOMMAND_H

#include <ostream>
#include <string>

#include "plot/plotpicture.h"

struct PlotOptions {
    PlotRequest request;
    std::string output_path;  // empty: beside the report; "-": standard output
    bool terminal = false;
    bool utf8 = false;
    bool help = false;  // --help: the usage, and nothing drawn
    bool marks = false;  // --marks: the caller sets request.mark_finder
    std::string bad_argument;  // the first argument not understood
    bool report_missing = false;
};

// Where the word "plot" stands when the command line asks for the plot
// command (only --utf8 may come before it); 0 when it does not.
int Plot_WordIndex(int argc, const char* const* argv);
PlotOptions Parse_PlotOptions(int argc, const char* const* argv, int plot_word);
// Draws as the options say; messages go to error_out, the terminal picture
// (and the SVG for "-o -") to out. Returns the exit status.
enum PlotStatus { PLOT_DONE = 0, PLOT_FAILED = 1, PLOT_USAGE_ERROR = 2 };
PlotStatus Run_Plot(const PlotOptions& options, std::ostream& out, std::ostream& error_out);

// The picture's default path: the report's with .svg for its extension.
std::string Picture_PathBeside(const std::string& report_path);

// --plot: the picture of a report's last run beside it. Says nothing when the
// run has nothing to draw; a picture that cannot be written is told on stderr.
// Returns whether the picture was written.
bool Draw_PictureBeside(const std::string& report_path);

#endif
