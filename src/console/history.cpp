#include "console/history.h"

#include <cstring>

namespace {
const std::vector<std::string> NO_LINES;

bool Is_Absolute(const char* path) { return path != nullptr && path[0] == '/'; }
}  // namespace

void HistoryStore::Add(InputKind kind, const std::string& line) {
    int index = InputKind_Index(kind);
    if (index < 0 || line.empty() || line.find('\n') != std::string::npos) return;
    std::vector<std::string>& lines = lines_[index];
    if (!lines.empty() && lines.back() == line) return;
    lines.push_back(line);
    if (lines.size() > HISTORY_MAX_LINES) lines.erase(lines.begin());
}

const std::vector<std::string>& HistoryStore::Lines(InputKind kind) const {
    int index = InputKind_Index(kind);
    return index < 0 ? NO_LINES : lines_[index];
}

void HistoryStore::Load(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        std::string name = line.substr(0, tab);
        for (InputKind kind : KEPT_INPUT_KINDS)
            if (name == InputKind_Name(kind)) Add(kind, line.substr(tab + 1));
    }
}

std::string HistoryStore::Text() const {
    std::string text;
    for (InputKind kind : KEPT_INPUT_KINDS) {
        for (const std::string& line : Lines(kind)) {
            text += InputKind_Name(kind);
            text += '\t';
            text += line;
            text += '\n';
        }
    }
    return text;
}

std::string History_FilePath(const char* state_home, const char* home) {
    if (Is_Absolute(state_home)) return std::string(state_home) + "/kansu/history";
    if (Is_Absolute(home)) return std::string(home) + "/.local/state/kansu/history";
    return "";
}
