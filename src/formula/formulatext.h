// Formula text into items: the exact-length item array of an analysed text
// and the error report of a refused one.
#ifndef KANSU_FORMULATEXT_H
#define KANSU_FORMULATEXT_H

struct CompForm;

// Copies at most copied_num characters (and never past dest_size-1 or the
// source's end) and terminates the copy. 0 for a count or size below 1.
int My_Strncpy(char* dest_array, const char* source_array, int copied_num, int dest_size);
// A scratch item array large enough for any analysis of line_array.
CompForm* Create_TempCompForm(const char* line_array, int* array_length);
int Copy_CompFormArray(CompForm* the_source, CompForm* the_copy, int array_num);

// Writes a message followed by a line end on standard output.
void Write_ErrorMessage(const char* message);

// How a refused formula is reported: with the text up to the fault (console
// input), as one message line (definitions), or not at all (the caller says
// what it found at the fault).
enum FormulaErrorStyle { ERROR_WITH_POSITION, ERROR_MESSAGE_ONLY, ERROR_SILENT };
// Analyses text into a new exact-length item array stored through the_formlist.
// 1 accepted; 0 refused, with the message written and the byte position of the
// fault in *fault_position when given (-1 for an empty or too long formula).
int Analyse_FormulaText(CompForm** the_formlist, const char* line_array, FormulaErrorStyle style,
                        int* fault_position = nullptr);

#endif
