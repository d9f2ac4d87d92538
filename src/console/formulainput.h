// Formula input at the console: the prompt, one line read without blanks, its
// analysis and the error report of a refused formula.
#ifndef KANSU_FORMULAINPUT_H
#define KANSU_FORMULAINPUT_H

#include "formula/functionnames.h"

struct CompForm;

// Reads a line and analyses it, allowing the calls function_names knows (the
// mode's registry); eof_newline prints a line end before the end-of-input
// message (the twins of the other modes do). The number of items stored
// through the_formlist, 0 when nothing was read or the formula was refused.
int Read_And_Analyse(CompForm** the_formlist, char* line_array, bool eof_newline,
                     const FunctionNames& function_names);
// The explicit mode's formula prompt, then Read_And_Analyse.
int Analysis_InputFormula(CompForm** the_formlist, char* line_array,
                          const FunctionNames& function_names);

#endif
