#include "app/reportencoding.h"

#include <fstream>
#include <vector>

#include "text/messages.h"

namespace {
const size_t BLOCK_SIZE = 1 << 16;
const size_t LINE_MOST = 4096;  // bytes of the deciding line that are looked at

size_t Utf8_Length(unsigned char lead) {
    return lead < 0x80                   ? 1
           : lead >= 0xC2 && lead < 0xE0 ? 2
           : lead >= 0xE0 && lead < 0xF0 ? 3
           : lead >= 0xF0 && lead < 0xF5 ? 4
                                         : 0;
}

// Whether the bytes are UTF-8; a character cut by the end of the look counts.
bool Is_Utf8(const std::string& bytes) {
    for (size_t at = 0; at < bytes.size();) {
        size_t length = Utf8_Length(static_cast<unsigned char>(bytes[at]));
        if (length == 0) return false;
        for (size_t i = 1; i < length && at + i < bytes.size(); ++i)
            if ((static_cast<unsigned char>(bytes[at + i]) & 0xC0) != 0x80) return false;
        at += length;
    }
    return true;
}
}  // namespace

FileText File_TextEncoding(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> block(BLOCK_SIZE);
    std::string line;  // from the first byte beyond ASCII to the line's end
    bool found = false;
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
        size_t got = static_cast<size_t>(in.gcount());
        size_t at = 0;
        if (!found) {
            while (at < got && static_cast<unsigned char>(block[at]) < 0x80) ++at;
            found = at < got;
        }
        if (!found) continue;
        size_t end = at;
        while (end < got && block[end] != '\n') ++end;
        line.append(block.data() + at, end - at);
        if (end < got || line.size() >= LINE_MOST) break;
    }
    if (!found) return FileText::ASCII;
    if (line.size() > LINE_MOST) line.resize(LINE_MOST);
    return Is_Utf8(line) ? FileText::UTF8 : FileText::CP932;
}

ReportEncodingScope::ReportEncodingScope(const std::string& path, bool japanese_text,
                                         std::ostream& error_out)
    : console_utf8_(Utf8_Active()) {
    if (!japanese_text) return;
    FileText text = File_TextEncoding(path);
    if (text == FileText::ASCII || (text == FileText::UTF8) == console_utf8_) return;
    const Messages& told = Console_Msg();
    bool utf8 = text == FileText::UTF8;
    error_out << told.TABLE_PREFIX << path
              << (utf8 ? told.TABLE_FILE_UTF8_MIDDLE : told.TABLE_FILE_CP932_MIDDLE) << path
              << (utf8 ? told.TABLE_FILE_UTF8_AFTER : told.TABLE_FILE_CP932_AFTER) << std::flush;
    Write_ReportsIn(utf8);
}

ReportEncodingScope::~ReportEncodingScope() { Write_ReportsIn(console_utf8_); }
