#include "console/completion.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "formula/fmula.h"
#include "text/messages.h"
#include "userfunc/usrfunc.h"

namespace {
const char* const COMMAND_NAMES[] = {
#define KANSU_COMMAND(word, runner) #word,
#include "console/commands.def"
#undef KANSU_COMMAND
};

struct Candidate {
    std::string text;   // the completed word
    std::string shown;  // how it is listed among several
};

bool Is_NameLetter(char letter) {
    return std::isalnum(static_cast<unsigned char>(letter)) != 0 || letter == '_';
}

bool Starts_With(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The command prompt drops blanks, so the word is everything after the last one.
std::string Command_Word(const std::string& text) {
    size_t blank = text.find_last_of(" \t");
    return blank == std::string::npos ? text : text.substr(blank + 1);
}

// A name in a formula: letters, digits and '_' that do not begin with a digit.
std::string Formula_Word(const std::string& text) {
    size_t start = text.size();
    while (start > 0 && Is_NameLetter(text[start - 1])) --start;
    std::string word = text.substr(start);
    if (!word.empty() && std::isdigit(static_cast<unsigned char>(word[0])) != 0) return "";
    return word;
}

std::vector<Candidate> Formula_Candidates(const std::string& word, const UsrFuncArray& registry) {
    std::vector<Candidate> candidates;
    for (const BuiltinFunction& builtin : BUILTIN_FUNCTIONS) {
        std::string call = std::string(builtin.name) + "(";
        if (Starts_With(builtin.name, word)) candidates.push_back({call, call});
    }
    if (Starts_With("sigma", word)) candidates.push_back({"sigma[", "sigma["});
    for (UsrFuncProp* entry = registry.FirstPnt(); entry != nullptr;
         entry = static_cast<UsrFuncProp*>(entry->NextPnt())) {
        std::string name = entry->label;
        if (!Starts_With(name, word)) continue;
        // Shown with its parameters as a definition names them: hyp(a0,a1).
        std::string shown = name + "(";
        for (int i = 0; i < entry->argNum; ++i) shown += (i == 0 ? "a" : ",a") + std::to_string(i);
        candidates.push_back({name + "(", shown + ")"});
    }
    return candidates;
}

// Entries of the word's directory that begin with its last part; directories
// end in '/' so that the next Tab goes on inside them.
std::vector<Candidate> File_Candidates(const std::string& word) {
    size_t slash = word.rfind('/');
    std::string directory = slash == std::string::npos ? "" : word.substr(0, slash + 1);
    std::string start = word.substr(directory.size());
    std::vector<Candidate> candidates;
    DIR* listing = opendir(directory.empty() ? "." : directory.c_str());
    if (listing == nullptr) return candidates;
    while (dirent* entry = readdir(listing)) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || !Starts_With(name, start)) continue;
        if (name[0] == '.' && start.empty()) continue;
        struct stat status;
        std::string path = directory + name;
        if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) name += '/';
        candidates.push_back({directory + name, name});
    }
    closedir(listing);
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate& a, const Candidate& b) { return a.text < b.text; });
    return candidates;
}

std::string Common_Prefix(const std::vector<Candidate>& candidates) {
    std::string prefix = candidates.front().text;
    for (const Candidate& candidate : candidates) {
        size_t same = 0;
        while (same < prefix.size() && same < candidate.text.size() &&
               prefix[same] == candidate.text[same])
            ++same;
        prefix.resize(same);
    }
    return prefix;
}
}  // namespace

Completion Complete_Word(InputKind kind, const std::string& before_cursor,
                         const UsrFuncArray& registry) {
    std::string word;
    std::vector<Candidate> candidates;
    if (kind == InputKind::Command) {
        word = Command_Word(before_cursor);
        for (const char* name : COMMAND_NAMES)
            if (Starts_With(name, word)) candidates.push_back({name, name});
    } else if (kind == InputKind::Formula || kind == InputKind::Definition) {
        word = Formula_Word(before_cursor);
        if (!word.empty()) candidates = Formula_Candidates(word, registry);
    } else if (kind == InputKind::File) {
        word = before_cursor;
        candidates = File_Candidates(word);
    }
    Completion completion;
    if (candidates.empty()) return completion;
    completion.insert = Common_Prefix(candidates).substr(word.size());
    if (completion.insert.empty() && candidates.size() > 1)
        for (const Candidate& candidate : candidates) completion.choices.push_back(candidate.shown);
    return completion;
}
