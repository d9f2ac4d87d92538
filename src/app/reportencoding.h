// One encoding per report file: a report appended to a file whose Japanese
// text is in the other encoding is written in the file's, and that is said
// once on standard error.
#ifndef KANSU_APP_REPORTENCODING_H
#define KANSU_APP_REPORTENCODING_H

#include <ostream>
#include <string>

// The encoding of the text a file already holds: ASCII only (or new, or
// empty), UTF-8, or code page 932. The first line with a byte beyond ASCII
// decides: valid UTF-8 or not.
enum class FileText { ASCII, UTF8, CP932 };
FileText File_TextEncoding(const std::string& path);

// While it lives, reports are written in the encoding of the file at path
// when that is the other one (told on error_out); the console keeps its own.
// Nothing changes for a report without Japanese text (CSV).
class ReportEncodingScope {
public:
    ReportEncodingScope(const std::string& path, bool japanese_text, std::ostream& error_out);
    ~ReportEncodingScope();
    ReportEncodingScope(const ReportEncodingScope&) = delete;
    ReportEncodingScope& operator=(const ReportEncodingScope&) = delete;

private:
    bool console_utf8_;
};

#endif
