// The input history of the line editor: per kind of input, the lines typed,
// oldest first, at most HISTORY_MAX_LINES each. Kept between runs in one text
// file, a line "kind<TAB>text" per entry.
#ifndef KANSU_HISTORY_H
#define KANSU_HISTORY_H

#include <string>
#include <vector>

#include "console/inputkind.h"

const size_t HISTORY_MAX_LINES = 1000;

class HistoryStore {
public:
    // Keeps a typed line unless it is empty, of no kept kind, or the same as
    // the last one of its kind; the oldest line goes beyond the limit.
    void Add(InputKind kind, const std::string& line);
    const std::vector<std::string>& Lines(InputKind kind) const;
    // Adds the entries of a history file's text; lines of unknown kinds are skipped.
    void Load(const std::string& text);
    // The file's text for every kept line.
    std::string Text() const;

private:
    std::vector<std::string> lines_[KEPT_INPUT_KIND_COUNT];
};

// Where the history lives: $XDG_STATE_HOME/kansu/history, or
// $HOME/.local/state/kansu/history when that is unset or not absolute;
// empty when neither can be used.
std::string History_FilePath(const char* state_home, const char* home);

#endif
