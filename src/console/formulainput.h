// Formula input at the console: the prompt, one line read without blanks, its
// analysis and the error report of a refused formula.
#ifndef KANSU_FORMULAINPUT_H
#define KANSU_FORMULAINPUT_H

struct CompForm;

// Reads a line and analyses it; eof_newline prints a line end before the
// end-of-input message (the twins of the other modes do).
int Read_And_Analyse(CompForm** the_formlist, char* line_array, bool eof_newline);
// The explicit mode's formula prompt, then Read_And_Analyse.
int Analysis_InputFormula(CompForm** the_formlist, char* line_array);

#endif
