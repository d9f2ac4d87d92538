// The picture as text for a terminal: Unicode braille (2 x 4 dots per
// character cell) or, on a code page 932 console, ASCII marks, with the
// axis ranges, rounded, written at the frame's corners.
#ifndef KANSU_PLOT_TERMWRITER_H
#define KANSU_PLOT_TERMWRITER_H

#include <string>

#include "plot/plotpicture.h"

const int TERM_DOTS_ACROSS = 2;  // dots per character cell
const int TERM_DOTS_DOWN = 4;
const int TERM_ROWS = 20;  // character rows of the drawing

// Character cells left for the drawing on a terminal line of line_width
// characters, beside the labels of the y range and the frame.
int Terminal_DrawingWidth(int line_width);

// The whole text, line ends included. picture must have been traced into an
// area of (drawing width x TERM_DOTS_ACROSS) x (TERM_ROWS x TERM_DOTS_DOWN)
// dots at 0,0. utf8 chooses braille and UTF-8 texts; else ASCII and code
// page 932 texts. colour: a picture of several curves shows each in its own
// colour (terminal escapes) and lists them.
std::string Terminal_Picture(const PlotPicture& picture, int drawing_width, bool utf8,
                             bool colour = false);

#endif
