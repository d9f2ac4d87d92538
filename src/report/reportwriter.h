// Report output: numbers formatted without the stream's formatter, lines
// gathered in a buffer that reaches the file in large blocks.
#ifndef KANSU_REPORTWRITER_H
#define KANSU_REPORTWRITER_H

#include <cstddef>
#include <cstring>
#include <memory>
#include <ostream>

// A number as reports write it: general notation with 6 significant digits
// (or as many as --digits asks); a NaN is always "nan", whatever its sign bit.
struct ReportNumber {
    double value;
};
inline ReportNumber NumText(double value) { return ReportNumber{value}; }
std::ostream& operator<<(std::ostream& out, ReportNumber number);

// Longest text of a report number ("-1.2345678901234567e-308" and the like)
// plus room.
const int REPORT_NUMBER_SIZE = 32;
// Significant digits of report numbers, 1 to 17; 6 unless --digits says.
void Set_ReportDigits(int digits);
int Report_Digits();
// Writes the report text of value (no terminator); returns its length.
int Format_ReportNumber(double value, char* text);

// Collects report text and hands it to the sink in blocks. Nothing reaches the
// sink before flush() or the destructor; a failed write shows in the sink's
// state, as any stream write does. After Stop() nothing more reaches it.
class ReportWriter {
public:
    explicit ReportWriter(std::ostream& sink);
    ~ReportWriter();
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    // Inline, so that a separator written as a literal ("\t", "\n") costs a
    // store, not a strlen and a memcpy.
    ReportWriter& operator<<(const char* text) {
        Append(text, std::strlen(text));
        return *this;
    }
    ReportWriter& operator<<(int value);
    ReportWriter& operator<<(ReportNumber number) {
        if (used_ + REPORT_NUMBER_SIZE > BLOCK_SIZE) Write_Block();
        used_ += static_cast<size_t>(Format_ReportNumber(number.value, buffer_.get() + used_));
        return *this;
    }
    // Text of any length, as it stands.
    void Write(const char* bytes, size_t count) { Append(bytes, count); }
    void flush();
    // Hands over what is collected, then drops every later write, this writer's
    // and (the sink's badbit set) any other's to the same sink: a calculation
    // cut short by Ctrl-C leaves the report as written so far.
    void Stop();

    // Line ends handed to the sink so far.
    long long Lines() const { return lines_; }
    // Bytes collected before they go to the sink.
    static constexpr size_t BLOCK_SIZE = 1 << 16;

private:
    void Append(const char* bytes, size_t count) {
        if (used_ + count > BLOCK_SIZE) {
            Append_Large(bytes, count);
            return;
        }
        std::memcpy(buffer_.get() + used_, bytes, count);
        used_ += count;
    }
    void Append_Large(const char* bytes, size_t count);
    void Write_Block();
    void Hand_Over(const char* bytes, size_t count);

    std::ostream& sink_;
    std::unique_ptr<char[]> buffer_;
    size_t used_;
    bool stopped_ = false;
    long long lines_ = 0;
};

#endif
