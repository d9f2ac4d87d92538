#include "plot/reportreader.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "plot/linesource.h"
#include "plot/reporttext.h"
#include "files/safefile.h"

namespace {

const int MAX_COLUMNS = 4;

bool Starts_With(std::string_view text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool Ends_With(std::string_view text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::vector<std::string_view> Tab_Cells(std::string_view line) {
    std::vector<std::string_view> cells;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) return cells;
        start = tab + 1;
    }
}

std::string_view Trim_Blanks(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::string_view();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Builds the runs line by line.
class ReportParser {
public:
    ReportParser(std::vector<ReportRun>* runs, RowSink* rows) : runs_(runs), rows_(rows) {}

    void Line(std::string_view line) {
        ++line_number_;
        bool utf8 = false;
        if (Is_HeadLine(line, &utf8)) {
            // A row cut short (a killed run) that the next run's head ended.
            if (pending_) Count_Damaged(line_number_ - 1);
            pending_ = false;
            Begin_Run(utf8);
            return;
        }
        Flush_Pending();
        if (runs_->empty()) return;
        switch (state_) {
        case State::HEAD: Head_Line(line); break;
        case State::AFTER_RULE: Table_Header(line); break;
        case State::ROWS: Table_Row(line); break;
        case State::DONE: break;
        }
    }

    // A last line without its line end: a table row there was cut short.
    void Cut_Line(std::string_view line) {
        ++line_number_;
        Flush_Pending();
        if (!runs_->empty() && state_ == State::ROWS && !line.empty()) Count_Damaged(line_number_);
    }

    void Finish() { Flush_Pending(); }

private:
    enum class State { HEAD, AFTER_RULE, ROWS, DONE };

    ReportRun& Run() { return runs_->back(); }
    const ReportMarks& Marks() { return Report_Marks(Run().utf8); }
    std::string Utf8_Text(std::string_view text) { return Report_Text(text, Run().utf8, true); }

    static bool Is_HeadLine(std::string_view line, bool* utf8) {
        for (bool encoding : {false, true}) {
            if (line == Report_Marks(encoding).head) {
                *utf8 = encoding;
                return true;
            }
        }
        return false;
    }

    void Begin_Run(bool utf8) {
        ReportRun run;
        run.number = static_cast<int>(runs_->size()) + 1;
        run.utf8 = utf8;
        runs_->push_back(run);
        state_ = State::HEAD;
        in_fixed_values_ = false;
        wanted_ = rows_ != nullptr && rows_->Wants(runs_->size() - 1);
    }

    void Head_Line(std::string_view line) {
        const ReportMarks& marks = Marks();
        if (line == marks.result_rule) {
            state_ = State::AFTER_RULE;
            return;
        }
        for (const std::string& heading : marks.fixed_headings) {
            if (line == heading) {
                in_fixed_values_ = true;
                return;
            }
        }
        if (Formula_Line(line)) {
            in_fixed_values_ = false;
            return;
        }
        size_t tab = line.find('\t');
        if (in_fixed_values_ && tab != std::string_view::npos) {
            Run().fixed_values.push_back(Utf8_Text(line.substr(0, tab)) + " = " +
                                         Utf8_Text(line.substr(tab + 1)));
        } else if (!line.empty()) {
            in_fixed_values_ = false;
        }
    }

    // The line that states the formula, in the form of its mode.
    bool Formula_Line(std::string_view line) {
        const ReportMarks& marks = Marks();
        if (Starts_With(line, marks.polar_formula)) {
            std::string_view rest = line.substr(marks.polar_formula.size());
            Run().title = "r = " + Utf8_Text(rest.substr(0, rest.find(marks.polar_angle_label)));
        } else if (Starts_With(line, marks.param_formula)) {
            std::string_view rest = line.substr(marks.param_formula.size());
            size_t y_at = rest.find(marks.param_y_formula);
            std::string y_text = y_at == std::string_view::npos
                                     ? std::string()
                                     : Utf8_Text(rest.substr(y_at + marks.param_y_formula.size()));
            Run().title = "x = " + Utf8_Text(rest.substr(0, y_at)) + ", y = " + y_text;
        } else if (Starts_With(line, marks.implicit_formula)) {
            std::string_view rest = line.substr(marks.implicit_formula.size());
            if (Ends_With(rest, marks.implicit_formula_end))
                rest.remove_suffix(marks.implicit_formula_end.size());
            Run().title = Utf8_Text(rest) + " = 0";
        } else if (Starts_With(line, marks.explicit_formula)) {
            Run().title = Utf8_Text(line.substr(marks.explicit_formula.size()));
        } else {
            return false;
        }
        return true;
    }

    void Table_Header(std::string_view line) {
        std::vector<std::string> titles;
        for (std::string_view cell : Tab_Cells(line))
            titles.push_back(Utf8_Text(Trim_Blanks(cell)));
        const ReportMarks& marks = Report_Marks(true);
        ReportRun& run = Run();
        if (titles.size() == 2 && titles[1] == marks.explicit_value_column) {
            Set_Layout(RunLayout::EXPLICIT, 0, 1, titles);
        } else if (titles.size() == 4 && titles[0] == marks.polar_radius_column) {
            Set_Layout(RunLayout::POLAR, 2, 3, titles);
        } else if (titles.size() == 3 && titles[1] == marks.param_x_column &&
                   titles[2] == marks.param_y_column) {
            Set_Layout(RunLayout::PARAMETRIC, 1, 2, titles);
        } else if (titles.size() == 3 && Starts_With(titles[0], marks.implicit_independent)) {
            Set_Layout(RunLayout::IMPLICIT, 0, 1, titles);
        }
        state_ = run.layout == RunLayout::NO_TABLE ? State::DONE : State::ROWS;
    }

    void Set_Layout(RunLayout layout, int x_column, int y_column,
                    const std::vector<std::string>& titles) {
        ReportRun& run = Run();
        run.layout = layout;
        run.column_count = static_cast<int>(titles.size());
        run.x_column = x_column;
        run.y_column = y_column;
        run.x_title = titles[static_cast<size_t>(x_column)];
        run.y_title = titles[static_cast<size_t>(y_column)];
    }

    void Table_Row(std::string_view line) {
        double values[MAX_COLUMNS];
        ReportRun& run = Run();
        if (!Parse_TableRow(line.data(), line.data() + line.size(), run.column_count, values)) {
            if (!line.empty()) Count_Damaged(line_number_);
            return;
        }
        pending_x_ = values[run.x_column];
        pending_y_ = values[run.y_column];
        pending_ = true;
    }

    void Count_Damaged(long long line_number) {
        ReportRun& run = Run();
        if (run.skipped_rows++ == 0) run.first_skipped_line = line_number;
    }

    // A row counts once the line after it shows that it was not cut short.
    void Flush_Pending() {
        if (!pending_) return;
        pending_ = false;
        ReportRun& run = Run();
        ++run.row_count;
        if (std::isfinite(pending_x_) && std::isfinite(pending_y_)) {
            if (run.finite_count == 0) {
                run.x_min = run.x_max = pending_x_;
                run.y_min = run.y_max = pending_y_;
            }
            ++run.finite_count;
            run.x_min = std::fmin(run.x_min, pending_x_);
            run.x_max = std::fmax(run.x_max, pending_x_);
            run.y_min = std::fmin(run.y_min, pending_y_);
            run.y_max = std::fmax(run.y_max, pending_y_);
        }
        if (wanted_) rows_->Row(runs_->size() - 1, pending_x_, pending_y_);
    }

    std::vector<ReportRun>* runs_;
    RowSink* rows_;
    State state_ = State::DONE;
    bool in_fixed_values_ = false;
    bool wanted_ = false;
    bool pending_ = false;
    long long line_number_ = 0;
    double pending_x_ = 0.0;
    double pending_y_ = 0.0;
};

// A number beyond the range of double reads as strtod reads it: an infinity
// or (almost) zero.
bool Read_OutOfRange(const char* begin, const char* end, double* value) {
    char text[64];
    size_t length = static_cast<size_t>(end - begin);
    if (length >= sizeof text) return false;
    std::memcpy(text, begin, length);
    text[length] = '\0';
    *value = std::strtod(text, nullptr);
    return true;
}

}  // namespace

bool Parse_TableRow(const char* begin, const char* end, int column_count, double* values) {
    const char* at = begin;
    for (int column = 0; column < column_count; ++column) {
        if (column > 0) {
            if (at == end || *at != '\t') return false;
            ++at;
        }
        std::from_chars_result read = std::from_chars(at, end, values[column]);
        if (read.ec == std::errc::invalid_argument) return false;
        if (read.ec == std::errc::result_out_of_range &&
            !Read_OutOfRange(at, read.ptr, &values[column]))
            return false;
        at = read.ptr;
    }
    return at == end;
}

ScanStatus Scan_Report(const std::string& path, std::vector<ReportRun>* runs, RowSink* rows,
                       const std::string* bytes) {
    runs->clear();
    // Only a regular file is read: a FIFO or a device could block or never end.
    if (bytes == nullptr && Check_OutputPath(path) != FILE_DONE) return ScanStatus::CANNOT_OPEN;
    LineSource source =
        bytes != nullptr ? LineSource(bytes->data(), bytes->size()) : LineSource(path);
    if (!source.IsOpen()) return ScanStatus::CANNOT_OPEN;
    ReportParser parser(runs, rows);
    std::string_view line;
    bool complete = true;
    while (source.Next(&line, &complete)) {
        if (complete)
            parser.Line(line);
        else
            parser.Cut_Line(line);
    }
    parser.Finish();
    return source.Failed() ? ScanStatus::READ_FAILED : ScanStatus::READ;
}
