// Formula input at the console: the prompt, one line read without blanks, its
// analysis and the error report of a refused formula.
#ifndef KANSU_FORMULAINPUT_H
#define KANSU_FORMULAINPUT_H

#include "formula/formulaargument.h"
#include "formula/functionnames.h"

// Reads a line into formula and analyses it, allowing the calls
// function_names knows (the mode's registry); eof_newline prints a line end
// before the end-of-input message (the twins of the other modes do). 1 when
// accepted; 0 when nothing was read or the formula was refused.
int Read_And_Analyse(FormulaArgument& formula, bool eof_newline,
                     const FunctionNames& function_names);
// The explicit mode's formula prompt, then Read_And_Analyse.
int Analysis_InputFormula(FormulaArgument& formula, const FunctionNames& function_names);

#endif
