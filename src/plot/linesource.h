// Reads a text file line by line in large blocks, without a stream per
// number: lines come as views without their line end (LF or CR LF).
#ifndef KANSU_PLOT_LINESOURCE_H
#define KANSU_PLOT_LINESOURCE_H

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

class LineSource {
public:
    explicit LineSource(const std::string& path);
    // The lines of text already in memory (a report read from standard input).
    LineSource(const char* bytes, size_t size);
    ~LineSource();
    LineSource(const LineSource&) = delete;
    LineSource& operator=(const LineSource&) = delete;

    bool IsOpen() const { return file_ != nullptr || in_memory_; }
    // The next line, valid until the next call; false at the end of the file.
    // complete is false for a last line that has no line end (a cut file).
    // A line longer than the block is given as its first block; the rest of it
    // is skipped.
    bool Next(std::string_view* line, bool* complete);
    // A read error happened (the lines given so far are still good).
    bool Failed() const { return failed_; }

private:
    bool Refill();
    void Skip_RestOfLine();
    bool Next_InMemory(std::string_view* line, bool* complete);

    std::FILE* file_;
    std::vector<char> buffer_;
    std::vector<char> overlong_;  // the kept block of an overlong line
    size_t start_ = 0;
    size_t end_ = 0;
    bool at_end_ = false;
    bool failed_ = false;
    bool in_memory_ = false;
    std::string_view memory_;
    size_t memory_at_ = 0;
};

#endif
