// `kansu plot REPORT [-o FILE.svg] [--all | --run N] [--term] [--xrange a:b]
// [--yrange a:b]`, and the pictures that --plot puts beside the reports the
// dialogue writes.
#ifndef KANSU_PLOT_PLOTCOMMAND_H
#define KANSU_PLOT_PLOTCOMMAND_H

#include <ostream>
#include <string>

#include "plot/plotpicture.h"

struct PlotOptions {
    PlotRequest request;
    std::string output_path;  // empty: beside the report
    bool terminal = false;
    bool utf8 = false;
    std::string bad_argument;  // the first argument not understood
    bool report_missing = false;
};

// Where the word "plot" stands when the command line asks for the plot
// command (only --utf8 may come before it); 0 when it does not.
int Plot_WordIndex(int argc, const char* const* argv);
PlotOptions Parse_PlotOptions(int argc, const char* const* argv, int plot_word);
// Draws as the options say; messages go to error_out, the terminal picture to
// out. Returns the exit status: 0 drawn, 1 nothing to draw or a file
// failure, 2 a command line not understood.
int Run_Plot(const PlotOptions& options, std::ostream& out, std::ostream& error_out);

// The picture's default path: the report's with .svg for its extension.
std::string Picture_PathBeside(const std::string& report_path);

// --plot: the picture of a report's last run beside it. Says nothing when the
// run has nothing to draw; a picture that cannot be written is told on stderr.
void Draw_PictureBeside(const std::string& report_path);

#endif
