// The history file on disk. Writing allocates nothing, so that the handler of
// a signal that ends the program may write it too: the missing directories
// are made, the text goes to a new file beside the old one and then replaces
// it in one rename.
#ifndef KANSU_HISTORYFILE_H
#define KANSU_HISTORYFILE_H

#include <string>
#include <vector>

class HistoryFile {
public:
    explicit HistoryFile(const std::string& path);

    const std::string& Path() const { return path_; }
    // The file's text into *text: true when read or absent (empty text),
    // false when it exists but cannot be read.
    bool Read(std::string* text) const;
    // The text the next Write puts in the file.
    void Prepare(const std::string& text);
    // Writes the prepared text; true when the file now holds it.
    bool Write() const;

private:
    std::string path_;
    std::string temporary_path_;
    std::vector<std::string> directories_;  // the parents to make, outermost first
    std::string text_;
};

#endif
