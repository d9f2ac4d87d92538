// The console readers every dialogue uses: lines, words and typed paths.
#ifndef KANSU_CONSOLEIO_H
#define KANSU_CONSOLEIO_H

#include <cstddef>
#include <iosfwd>
#include <string>

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

#endif
