// What the console's standard output is: a terminal or not, and whether that
// terminal shows UTF-8.
#ifndef KANSU_CONSOLETERMINAL_H
#define KANSU_CONSOLETERMINAL_H

// Whether standard output is a terminal (a console window on Windows).
bool Output_IsTerminal();
// Whether standard output is a terminal that shows UTF-8: the character set of
// the user's locale (LC_ALL, LC_CTYPE, LANG) on POSIX, the console's output
// code page 65001 on Windows.
bool Output_TerminalIsUtf8();

#endif
