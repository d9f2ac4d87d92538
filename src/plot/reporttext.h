// The texts that mark the parts of a report, as the program writes them in
// either encoding, and the translation of report texts between the two.
// They come from the message table, so the reader follows any change there.
#ifndef KANSU_PLOT_REPORTTEXT_H
#define KANSU_PLOT_REPORTTEXT_H

#include <string>
#include <string_view>
#include <vector>

struct ReportMarks {
    std::string head;              // the asterisk line that starts a run
    std::string result_rule;       // the line before the table
    std::string explicit_formula;  // "formula" line prefixes of the four modes
    std::string implicit_formula;
    std::string implicit_formula_end;  // "= 0 " after the implicit formula
    std::string polar_formula;
    std::string polar_angle_label;
    std::string param_formula;
    std::string param_y_formula;              // " :y=" between the two formulas
    std::vector<std::string> fixed_headings;  // lines before "name<TAB>value" lines
    // Column titles of the table header lines (trimmed), used to tell the layouts.
    std::string explicit_value_column;
    std::string implicit_independent;
    std::string polar_radius_column;
    std::string param_x_column;
    std::string param_y_column;
};

// The marks of code page 932 reports (utf8 false) or UTF-8 reports.
const ReportMarks& Report_Marks(bool utf8);

// Rewrites report text from one encoding into the other: the message
// fragments a report contains are swapped for their counterparts, ASCII is
// kept, and any other byte becomes '?'. UTF-8 to UTF-8 only checks the text
// (invalid UTF-8 becomes '?'); code page 932 to itself copies it.
std::string Report_Text(std::string_view text, bool from_utf8, bool to_utf8);

#endif
