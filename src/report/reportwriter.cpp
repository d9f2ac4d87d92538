#include "report/reportwriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "text/numbertext.h"

namespace {
int report_digits = DEFAULT_DIGITS;
}  // namespace

void Set_ReportDigits(int digits) { report_digits = digits; }
int Report_Digits() { return report_digits; }

int Format_ReportNumber(double value, char* text) {
    if (std::isnan(value)) {
        std::memcpy(text, "nan", 3);
        return 3;
    }
    // The same text as printf's %g with that many digits (6, what an ostream
    // writes for a double by default).
    return General_Text(value, report_digits, text);
}

std::ostream& operator<<(std::ostream& out, ReportNumber number) {
    char text[REPORT_NUMBER_SIZE];
    return out.write(text, Format_ReportNumber(number.value, text));
}

ReportWriter::ReportWriter(std::ostream& sink)
    : sink_(sink), buffer_(new char[BLOCK_SIZE]), used_(0) {}

ReportWriter::~ReportWriter() { Write_Block(); }

void ReportWriter::Write_Block() {
    if (used_ > 0 && !stopped_) Hand_Over(buffer_.get(), used_);
    used_ = 0;
}

void ReportWriter::Hand_Over(const char* bytes, size_t count) {
    lines_ += std::count(bytes, bytes + count, '\n');
    sink_.write(bytes, static_cast<std::streamsize>(count));
}

void ReportWriter::Stop() {
    flush();
    stopped_ = true;
    sink_.setstate(std::ios::badbit);
}

void ReportWriter::flush() {
    Write_Block();
    sink_.flush();
}

// Text that does not fit in what is left of the block.
void ReportWriter::Append_Large(const char* bytes, size_t count) {
    Write_Block();
    if (count > BLOCK_SIZE) {
        if (!stopped_) Hand_Over(bytes, count);
        return;
    }
    std::memcpy(buffer_.get(), bytes, count);
    used_ = count;
}

ReportWriter& ReportWriter::operator<<(int value) {
    char text[16];
    std::to_chars_result result = std::to_chars(text, text + sizeof text, value);
    Append(text, static_cast<size_t>(result.ptr - text));
    return *this;
}
