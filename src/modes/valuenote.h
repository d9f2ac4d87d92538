// A value typed at a value prompt is read as far as it is a number ("1/2" as
// 1, "pi" as 0). At a terminal a line on standard error then names the value
// used, so that nothing is read wrong silently.
#ifndef KANSU_VALUENOTE_H
#define KANSU_VALUENOTE_H

// Whether the typed text, blanks around it aside, is one number read whole
// as value.
bool Value_ReadWhole(const char* typed, double value);
// At a terminal, names the value used for a text not read whole.
void Note_ValueTaken(const char* typed, const char* folded, double value);

#endif
