#include "plot/reporttext.h"

#include <algorithm>
#include <utility>

#include "text/messages.h"

namespace {

// The text with the given characters removed from both ends.
std::string Trimmed(std::string_view text, const char* blanks = " \t\n") {
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return std::string();
    size_t last = text.find_last_not_of(blanks);
    return std::string(text.substr(first, last - first + 1));
}

// Message texts split at tabs, each piece trimmed; empty pieces dropped.
std::vector<std::string> Tab_Pieces(const char* message) {
    std::vector<std::string> pieces;
    std::string_view text(message);
    size_t start = 0;
    for (;;) {
        size_t tab = text.find('\t', start);
        std::string piece = Trimmed(text.substr(
            start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (!piece.empty()) pieces.push_back(piece);
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    return pieces;
}

ReportMarks Make_Marks(const Messages& table) {
    ReportMarks marks;
    marks.head = Trimmed(table.REPORT_HEAD, "\n");
    marks.result_rule = Trimmed(table.REPORT_RESULT_RULE, "\n");
    marks.explicit_formula = table.EXPLICIT_FORMULA;
    marks.implicit_formula = table.IMPLICIT_FORMULA;
    marks.implicit_formula_end = "= 0 ";
    marks.polar_formula = table.POLAR_FORMULA;
    marks.polar_angle_label = table.POLAR_ANGLE_LABEL;
    marks.param_formula = table.PARAM_FORMULA;
    marks.param_y_formula = " :y=";
    for (const char* heading :
         {table.EXPLICIT_FIXED_HEADING, table.IMPLICIT_FIXED_HEADING, table.POLAR_FIXED_HEADING,
          table.PARAM_X_FIXED_HEADING, table.PARAM_Y_FIXED_HEADING})
        marks.fixed_headings.push_back(Trimmed(heading, "\n"));
    marks.explicit_value_column = Trimmed(table.EXPLICIT_VALUE_COLUMN);
    marks.implicit_independent = table.IMPLICIT_INDEPENDENT;
    marks.polar_radius_column = Tab_Pieces(table.POLAR_COLUMNS_START).front();
    marks.param_x_column = Trimmed(table.PARAM_X_COLUMN);
    marks.param_y_column = Trimmed(table.PARAM_Y_COLUMN);
    return marks;
}

// Every message fragment a report holds outside its formulas and names, as
// pairs (code page 932, UTF-8), longest first so that a longer fragment wins.
std::vector<std::pair<std::string, std::string>> Make_Fragments() {
    const char* const Messages::*fields[] = {&Messages::EXPLICIT_VARIABLE,
                                             &Messages::EXPLICIT_VALUE_COLUMN,
                                             &Messages::IMPLICIT_INDEPENDENT,
                                             &Messages::IMPLICIT_DEPENDENT,
                                             &Messages::IMPLICIT_VALUE_COLUMN,
                                             &Messages::IMPLICIT_UNNAMED_DEPENDENT_COLUMNS,
                                             &Messages::IMPLICIT_UNNAMED_INDEPENDENT_COLUMN,
                                             &Messages::IMPLICIT_FUNCTION_VALUE_COLUMN,
                                             &Messages::POLAR_COLUMNS_START,
                                             &Messages::POLAR_COLUMNS_END,
                                             &Messages::POLAR_ANGLE,
                                             &Messages::PARAM_VARIABLE,
                                             &Messages::PARAM_X_COLUMN,
                                             &Messages::PARAM_Y_COLUMN,
                                             &Messages::EXPLICIT_FIXED_HEADING,
                                             &Messages::IMPLICIT_FIXED_HEADING,
                                             &Messages::POLAR_FIXED_HEADING,
                                             &Messages::PARAM_X_FIXED_HEADING,
                                             &Messages::PARAM_Y_FIXED_HEADING};
    std::vector<std::pair<std::string, std::string>> fragments;
    for (const char* const Messages::*field : fields) {
        std::vector<std::string> cp932 = Tab_Pieces(CP932_MESSAGES.*field);
        std::vector<std::string> utf8 = Tab_Pieces(UTF8_MESSAGES.*field);
        for (size_t i = 0; i < cp932.size() && i < utf8.size(); ++i)
            fragments.emplace_back(cp932[i], utf8[i]);
    }
    std::stable_sort(fragments.begin(), fragments.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    return fragments;
}

const std::vector<std::pair<std::string, std::string>>& Fragments() {
    static const std::vector<std::pair<std::string, std::string>> fragments = Make_Fragments();
    return fragments;
}

// Length of the valid UTF-8 character at text[at], 0 when it is not one.
size_t Utf8_CharLength(std::string_view text, size_t at) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = lead < 0x80                   ? 1
                    : lead >= 0xC2 && lead < 0xE0 ? 2
                    : lead >= 0xE0 && lead < 0xF0 ? 3
                    : lead >= 0xF0 && lead < 0xF5 ? 4
                                                  : 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
    return length;
}

}  // namespace

const ReportMarks& Report_Marks(bool utf8) {
    static const ReportMarks cp932_marks = Make_Marks(CP932_MESSAGES);
    static const ReportMarks utf8_marks = Make_Marks(UTF8_MESSAGES);
    return utf8 ? utf8_marks : cp932_marks;
}

std::string Report_Text(std::string_view text, bool from_utf8, bool to_utf8) {
    if (!from_utf8 && !to_utf8) return std::string(text);
    std::string result;
    size_t at = 0;
    while (at < text.size()) {
        bool swapped = false;
        if (from_utf8 != to_utf8) {
            for (const auto& fragment : Fragments()) {
                const std::string& from = from_utf8 ? fragment.second : fragment.first;
                if (text.compare(at, from.size(), from) != 0) continue;
                result += to_utf8 ? fragment.second : fragment.first;
                at += from.size();
                swapped = true;
                break;
            }
        }
        if (swapped) continue;
        size_t length = from_utf8 && to_utf8 ? Utf8_CharLength(text, at) : 1;
        if (length == 1 && static_cast<unsigned char>(text[at]) >= 0x80) length = 0;
        if (length == 0) {
            result += '?';
            ++at;
        } else {
            result.append(text.substr(at, length));
            at += length;
        }
    }
    return result;
}
