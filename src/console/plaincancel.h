// Cancelling a dialogue on a terminal read without line editing (--no-edit,
// code page 932): Ctrl-D on an empty line, or Ctrl-C, ends the read as end of
// input; inside a dialogue that cancels it as the line editor does.
#ifndef KANSU_PLAINCANCEL_H
#define KANSU_PLAINCANCEL_H

// Watches standard input when it and standard output are terminals (POSIX
// only). Returns whether it does, that is whether keys may cancel dialogues.
bool Watch_PlainTerminalInput();

#endif
