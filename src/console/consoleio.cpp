#include "console/consoleio.h"

#include <iostream>
#include <locale>
#include <string>

#include "console/inputkind.h"
#include "text/messages.h"
#include "text/textchar.h"

char* Input_Formula(std::istream& p_file, char* line_array, int size) {
    if (size < 1) return nullptr;
    int position = 0;
    int letter;
    while ((letter = p_file.get()) != std::char_traits<char>::eof()) {
        if (letter == '\n') {
            line_array[position] = '\0';
            return line_array;
        }
        if (Is_LineBlank(letter)) continue;
        line_array[position++] = static_cast<char>(letter);
        if (position >= size) {
            // The buffer is full: the last character is given up and the rest
            // of the line stays in the stream for the next read.
            position = size - 1;
            line_array[position] = '\0';
            return line_array;
        }
    }
    if (position == 0) return nullptr;
    line_array[position] = '\0';
    return line_array;
}

int Input_Line(std::istream& p_file, char* line_array, int size) {
    if (size < 1) return 0;
    int position = 0;
    while (position < size - 1) {
        int letter = p_file.get();
        if (letter == std::char_traits<char>::eof() || letter == '\n') break;
        line_array[position++] = static_cast<char>(letter);
    }
    if (position == size - 1 && p_file.peek() == '\n') p_file.get();
    line_array[position] = '\0';
    return position;
}

namespace {
bool Is_PathBlank(int letter) { return letter == '\n' || Is_LineBlank(letter); }
}  // namespace

PathReading Read_PathLine(std::istream& in, std::string* path, size_t limit,
                          bool skip_empty_lines) {
    InputKindScope kind(InputKind::File);
    path->clear();
    if (!in.good()) return PATH_EMPTY;
    int letter = in.peek();
    while (letter != std::char_traits<char>::eof() &&
           (skip_empty_lines ? Is_PathBlank(letter) : Is_LineBlank(letter))) {
        in.get();
        letter = in.peek();
    }
    if (letter == std::char_traits<char>::eof()) {
        in.setstate(std::ios::failbit | std::ios::eofbit);
        return PATH_EMPTY;
    }
    std::getline(in, *path);
    size_t end = path->size();
    while (end > 0 && Is_LineBlank(static_cast<unsigned char>((*path)[end - 1]))) --end;
    path->resize(end);
    if (path->empty()) return PATH_EMPTY;
    if (path->size() <= limit) return PATH_TYPED;
    // Never cut: a shortened path would name another file.
    path->clear();
    std::cout << Msg().PATH_TOO_LONG << limit << Msg().PATH_TOO_LONG_END << std::endl;
    return PATH_TOO_LONG;
}

void Read_Word(std::istream& p_file, char* word, int size) {
    if (size < 1) return;
    word[0] = '\0';
    std::istream::sentry ready(p_file);  // skips the blanks before the word
    if (!ready) return;
    // Read in place, as formatted extraction would, but a word longer than the
    // buffer is skipped to its end without being stored anywhere.
    const std::ctype<char>& classes = std::use_facet<std::ctype<char>>(p_file.getloc());
    std::streambuf* input = p_file.rdbuf();
    int kept = 0;
    bool any_read = false;
    for (int letter = input->sgetc();; letter = input->snextc()) {
        if (letter == std::char_traits<char>::eof()) {
            p_file.setstate(std::ios::eofbit);
            break;
        }
        char typed = static_cast<char>(letter);
        if (classes.is(std::ctype_base::space, typed)) break;
        if (kept < size - 1) word[kept++] = typed;
        any_read = true;
    }
    word[kept] = '\0';
    if (!any_read) p_file.setstate(std::ios::failbit);
}
