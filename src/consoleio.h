// The console helpers every dialogue uses: line and word readers, formula
// input with its error report, messages and the end-of-run save question.
// A leaf: it names the types it needs and includes no header of the program,
// so modes and commands use it without depending on the shell. The
// definitions are in main.cpp.
#ifndef KANSU_CONSOLEIO_H
#define KANSU_CONSOLEIO_H

#include <cstddef>
#include <iosfwd>
#include <string>

struct CompForm;
class UsrFuncArray;

// Reads one line dropping every blank; at most size-1 characters are kept and a
// longer line leaves its rest in the stream. Null only at end of input with
// nothing read.
char* Input_Formula(std::istream& p_file, char* line_array, int size);
// Reads one line keeping blanks; at most size-1 characters, the rest of a longer
// line stays in the stream; the line feed is consumed. Returns the count stored.
int Input_Line(std::istream& p_file, char* line_array, int size);
// Reads one blank-delimited word, cut to size-1 characters (the rest of the word
// is skipped unstored, so any length costs no memory). An empty text when
// nothing could be read; the stream's state is that of formatted extraction.
void Read_Word(std::istream& p_file, char* word, int size);
// How a typed file name or path was read.
enum PathReading { PATH_TYPED, PATH_EMPTY, PATH_TOO_LONG };
// Reads a file name or path as typed: the whole line without its surrounding
// blanks, blanks inside kept. skip_empty_lines skips line ends before it (as
// word reading did after a number). A path longer than limit is refused with a
// message naming the limit, never cut; path is then empty.
PathReading Read_PathLine(std::istream& in, std::string* path, size_t limit, bool skip_empty_lines);

// How a refused formula is reported: with the text up to the fault (console
// input) or as one message line (definitions).
enum FormulaErrorStyle { ERROR_WITH_POSITION, ERROR_MESSAGE_ONLY };
// Analyses text into a new exact-length item array stored through the_formlist.
// 1 accepted; 0 refused, with the message written.
int Analyse_FormulaText(CompForm** the_formlist, const char* line_array, FormulaErrorStyle style);
// Reads a line and analyses it; eof_newline prints a line end before the
// end-of-input message (the twins of the other modes do).
int Read_And_Analyse(CompForm** the_formlist, char* line_array, bool eof_newline);
// Writes a message followed by a line end on standard output.
void Write_ErrorMessage(const char* message);

// The end-of-run save question, asked only when functions have unsaved changes:
// 1 saves; a failed save shows its message and asks again; any other answer, or
// end of input, ends without saving. Every exit path of the program calls it.
void Ask_SaveChanges(UsrFuncArray& ufunc_list);

#endif
