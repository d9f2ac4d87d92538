// Line editing of console input on a terminal (libedit): std::cin then reads
// whole edited lines, with a history per kind of input and Tab completion;
// prompts are shown by the editor. Without libedit in the build, or when it
// cannot be used, input is read plainly as always.
#ifndef KANSU_LINEEDIT_H
#define KANSU_LINEEDIT_H

#include <string>

#include "console/inputkind.h"

// Whether lines may be edited: asked for, standard input and output both
// terminals, and a terminal that can move the cursor (TERM set, not "dumb").
bool Terminal_CanEdit(bool wanted, bool input_terminal, bool output_terminal, const char* term);

// Whether this build has line editing (libedit).
bool LineEditing_Built();

// Starts editing when Terminal_CanEdit holds for this process and the console
// encoding can be edited safely (UTF-8, with a UTF-8 character locale); code
// page 932 is read plainly. Loads the history. Returns whether editing is on.
bool Start_LineEditing(bool wanted, bool utf8);
// Where a line was read: its prompt and the line shown above it.
struct ReadPlace {
    std::string above;
    std::string prompt;
};
// The place of the last line read (empty when lines are not edited).
ReadPlace Last_ReadPlace();
// The refused line just read, offered as the start of the next line of its
// kind read at the same place, with the cursor at the byte position fault
// (the end when outside the text). Lines holding control characters are not
// offered.
void Offer_ForMending(InputKind kind, const char* line, int fault);
// A line read earlier at place, offered there again (the cursor at its end).
void Offer_Again(InputKind kind, const ReadPlace& place, const char* line);
// Writes the history and gives the console streams back; also runs at exit.
void Stop_LineEditing();
// After an end-of-input key, the next read asks the editor for a line again.
void Resume_EditedInput();
// For the handler of a signal that ends the program: restores the terminal's
// settings and writes the history, with async-signal-safe calls only.
void Stop_LineEditing_OnSignal();

#endif
