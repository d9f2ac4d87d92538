// `kansu plot` (its command line in plotargs.h) and the pictures that --plot
// puts beside the reports the dialogue writes.
#ifndef KANSU_PLOT_PLOTCOMMAND_H
#define KANSU_PLOT_PLOTCOMMAND_H

#include <ostream>
#include <string>

#include "plot/plotargs.h"
#include "plot/plotpicture.h"

// Draws as the options say; messages go to error_out, the terminal picture
// (and the SVG for "-o -") to out. A report "-" is read from standard input
// and drawn to out unless -o or --term says otherwise. Returns the exit status.
enum PlotStatus { PLOT_DONE = 0, PLOT_FAILED = 1, PLOT_USAGE_ERROR = 2 };
PlotStatus Run_Plot(const PlotOptions& options, std::ostream& out, std::ostream& error_out);

// The picture's default path: the report's with .svg for its extension.
std::string Picture_PathBeside(const std::string& report_path);

// --plot: the picture of a report's last run beside it. Says nothing when the
// run has nothing to draw; a picture that cannot be written is told on stderr.
// Returns whether the picture was written.
bool Draw_PictureBeside(const std::string& report_path);

#endif
