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
// Whether the user's locale is UTF-8, wherever standard output goes: on POSIX
// the character set of LC_ALL, else LC_CTYPE, else LANG (read from the name
// when the C library lacks that locale); on Windows a console output or ANSI
// code page 65001.
bool Locale_IsUtf8();

#endif
