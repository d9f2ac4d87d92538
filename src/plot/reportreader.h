// Reads the runs of a report file written by any of the four modes, in either
// encoding (each run is recognised by its own head line, so a file appended to
// in both encodings reads too). Texts come out in UTF-8.
#ifndef KANSU_PLOT_REPORTREADER_H
#define KANSU_PLOT_REPORTREADER_H

#include <cstddef>
#include <string>
#include <vector>

enum class RunLayout { NO_TABLE, EXPLICIT, IMPLICIT, POLAR, PARAMETRIC };

struct ReportRun {
    int number = 0;     // 1 for the first run of the file
    bool utf8 = false;  // the encoding the run is written in
    RunLayout layout = RunLayout::NO_TABLE;
    std::string title;                      // the formula as the report states it
    std::string x_title, y_title;           // column titles of the drawn columns
    std::vector<std::string> fixed_values;  // "name = value" of the fixed variables
    int column_count = 0;
    int x_column = 0, y_column = 0;    // the drawn columns
    long long row_count = 0;           // table rows read
    long long finite_count = 0;        // rows whose drawn values are both finite
    long long skipped_rows = 0;        // lines in the table that are no row (a damaged file)
    long long first_skipped_line = 0;  // the line number of the first, from 1
    double x_min = 0, x_max = 0, y_min = 0, y_max = 0;  // over the finite rows
};

// Receives the drawn values of every table row, in file order; a value that
// is not finite is passed as it is (it breaks a curve).
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual bool Wants(size_t run_index) const = 0;
    virtual void Row(size_t run_index, double x, double y) = 0;
};

enum class ScanStatus { READ, CANNOT_OPEN, READ_FAILED };

// Reads the whole file. runs receives every run found (none for a file that is
// no report); rows, when not null, receives the rows of the runs it wants.
// A last line without line end, and a table row that another run's head
// follows directly (a report cut short by a killed run), are skipped and
// counted as damaged rows. bytes, when not null, is the report itself (read
// from standard input) and path is unused.
ScanStatus Scan_Report(const std::string& path, std::vector<ReportRun>* runs, RowSink* rows,
                       const std::string* bytes = nullptr);

// Reads one table row of column_count tab-separated numbers; false when the
// line is not one.
bool Parse_TableRow(const char* begin, const char* end, int column_count, double* values);

#endif
