#include "plot/linesource.h"

#include <cstring>

namespace {
const size_t BLOCK_SIZE = 1 << 16;

std::string_view Without_CarriageReturn(const char* text, size_t length) {
    if (length > 0 && text[length - 1] == '\r') --length;
    return std::string_view(text, length);
}
}  // namespace

LineSource::LineSource(const std::string& path)
    : file_(std::fopen(path.c_str(), "rb")), buffer_(BLOCK_SIZE) {}

LineSource::LineSource(const char* bytes, size_t size)
    : file_(nullptr), in_memory_(true), memory_(bytes, size) {}

LineSource::~LineSource() {
    if (file_ != nullptr) std::fclose(file_);
}

// Moves the unread bytes to the front and reads more behind them.
bool LineSource::Refill() {
    if (at_end_ || file_ == nullptr) return false;
    std::memmove(buffer_.data(), buffer_.data() + start_, end_ - start_);
    end_ -= start_;
    start_ = 0;
    size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    end_ += got;
    if (got == 0) {
        at_end_ = true;
        if (std::ferror(file_)) failed_ = true;
        return false;
    }
    return true;
}

void LineSource::Skip_RestOfLine() {
    for (;;) {
        start_ = end_ = 0;
        if (!Refill()) return;
        const void* found = std::memchr(buffer_.data(), '\n', end_);
        if (found != nullptr) {
            start_ = static_cast<size_t>(static_cast<const char*>(found) - buffer_.data()) + 1;
            return;
        }
    }
}

bool LineSource::Next_InMemory(std::string_view* line, bool* complete) {
    if (memory_at_ >= memory_.size()) return false;
    size_t newline = memory_.find('\n', memory_at_);
    size_t stop = newline == std::string_view::npos ? memory_.size() : newline;
    *line = Without_CarriageReturn(memory_.data() + memory_at_, stop - memory_at_);
    *complete = newline != std::string_view::npos;
    memory_at_ = *complete ? stop + 1 : stop;
    return true;
}

bool LineSource::Next(std::string_view* line, bool* complete) {
    if (in_memory_) return Next_InMemory(line, complete);
    for (;;) {
        const char* begin = buffer_.data() + start_;
        const void* found = std::memchr(begin, '\n', end_ - start_);
        if (found != nullptr) {
            size_t length = static_cast<size_t>(static_cast<const char*>(found) - begin);
            start_ += length + 1;
            *line = Without_CarriageReturn(begin, length);
            *complete = true;
            return true;
        }
        if (start_ == 0 && end_ == buffer_.size()) {
            // A line longer than the whole block: no report line is, so its
            // first block stands for it and the rest is dropped.
            std::string_view first(buffer_.data(), end_);
            overlong_.assign(first.begin(), first.end());
            Skip_RestOfLine();
            *line = std::string_view(overlong_.data(), overlong_.size());
            *complete = true;
            return true;
        }
        if (!Refill()) break;
    }
    if (start_ == end_) return false;
    *line = Without_CarriageReturn(buffer_.data() + start_, end_ - start_);
    *complete = false;
    start_ = end_;
    return true;
}
