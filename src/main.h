// The console shell, formula input with its error report, and the explicit
// function mode with its report writers (templates over the value type).
#ifndef KANSU_MAIN_H
#define KANSU_MAIN_H

#include <istream>

#include "ascarray.h"
#include "fmula.h"

class UsrFuncArray;

// The whole program: help, menu loop, end-of-run save. Returns the exit status.
int Kansu_Main();
void Explain_Function();
int Select_Menu();
int Select_Command(char* cmmd_array, UsrFuncArray& ufunc_list);
void End_OutPut();

// Reads one line dropping every blank; at most size-1 characters are kept and a
// longer line leaves its rest in the stream. Null only at end of input with
// nothing read.
char* Input_Formula(std::istream& p_file, char* line_array, int size);
// Reads one line keeping blanks; at most size-1 characters, the rest of a longer
// line stays in the stream; the line feed is consumed. Returns the count stored.
int Input_Line(std::istream& p_file, char* line_array, int size);
// Reads one blank-delimited word, cut to size-1 characters (the rest of the word
// is discarded). An empty text when nothing could be read.
void Read_Word(std::istream& p_file, char* word, int size);

// Formula input (menu 1): prompt, read, analyse, report errors.
int Analysis_InputFormula(CompForm** the_formlist, char* line_array);
CompForm* Create_TempCompForm(const char* line_array, int* array_length);
int Copy_CompFormArray(CompForm* the_source, CompForm* the_copy, int array_num);
int My_Strncpy(char* dest_array, const char* source_array, int copied_num, int dest_size);

// How a refused formula is reported: with the text up to the fault (console
// input) or as one message line (definitions).
enum FormulaErrorStyle { ERROR_WITH_POSITION, ERROR_MESSAGE_ONLY };
// Analyses text into a new exact-length item array stored through the_formlist.
// 1 accepted; 0 refused, with the message written.
int Analyse_FormulaText(CompForm** the_formlist, const char* line_array,
                        FormulaErrorStyle style);
// Writes a message followed by a line end on standard output.
void Write_ErrorMessage(const char* message);
// Reads a line and analyses it; eof_newline prints a line end before the
// end-of-input message (the twins of the other modes do).
int Read_And_Analyse(CompForm** the_formlist, char* line_array, bool eof_newline);

// Explicit function mode (menu 1).
int FnCalc_Explicit(UsrFuncArray& ufunc_list);

#endif
