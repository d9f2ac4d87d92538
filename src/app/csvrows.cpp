#include "app/csvrows.h"

#include <cstring>
#include <utility>

#include "text/messages.h"

namespace {
const std::string::size_type HELD_MOST = 1 << 16;  // bytes handed to the sink at once
}  // namespace

CsvRows::CsvRows(std::ostream& sink, std::vector<int> columns)
    : sink_(sink), columns_(std::move(columns)) {}

CsvRows::int_type CsvRows::overflow(int_type letter) {
    if (traits_type::eq_int_type(letter, traits_type::eof())) return traits_type::not_eof(letter);
    char byte = traits_type::to_char_type(letter);
    xsputn(&byte, 1);
    return letter;
}

std::streamsize CsvRows::xsputn(const char* bytes, std::streamsize count) {
    const char* end = bytes + count;
    while (bytes < end) {
        const char* line_end = static_cast<const char*>(std::memchr(bytes, '\n', end - bytes));
        const char* stop = line_end != nullptr ? line_end : end;
        line_.append(bytes, stop);
        bytes = stop;
        if (line_end == nullptr) break;
        End_Line();
        ++bytes;
    }
    return count;
}

void CsvRows::End_Line() {
    if (part_ == ROWS) {
        Write_Row();
    } else if (part_ == TITLES) {
        part_ = ROWS;
    } else {
        // The result rule, less its line end, ends the head.
        const char* rule = Msg().REPORT_RESULT_RULE;
        if (line_.size() + 1 == std::strlen(rule) &&
            line_.compare(0, line_.size(), rule, line_.size()) == 0)
            part_ = TITLES;
    }
    line_.clear();
}

void CsvRows::Write_Row() {
    starts_.clear();
    starts_.push_back(0);
    for (std::string::size_type at = 0; at < line_.size(); ++at)
        if (line_[at] == '\t') starts_.push_back(at + 1);
    for (size_t i = 0; i < columns_.size(); ++i) {
        size_t column = static_cast<size_t>(columns_[i]);
        if (column >= starts_.size()) continue;
        std::string::size_type start = starts_[column];
        std::string::size_type stop =
            column + 1 < starts_.size() ? starts_[column + 1] - 1 : line_.size();
        if (i > 0) held_ += ',';
        held_.append(line_, start, stop - start);
    }
    held_ += '\n';
    if (held_.size() >= HELD_MOST) sync();
}

int CsvRows::sync() {
    sink_.write(held_.data(), static_cast<std::streamsize>(held_.size()));
    held_.clear();
    sink_.flush();
    return sink_.fail() ? -1 : 0;
}
