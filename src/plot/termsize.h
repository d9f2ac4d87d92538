// The width and colours of the terminal standard output writes to.
#ifndef KANSU_PLOT_TERMSIZE_H
#define KANSU_PLOT_TERMSIZE_H

// Columns of the terminal, or 80 when standard output is not one.
int Terminal_Columns();
// Whether standard output is a terminal that shows colours (a TERM other than
// "dumb", and no NO_COLOR).
bool Terminal_HasColour();

#endif
