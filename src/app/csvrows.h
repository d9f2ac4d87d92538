// --csv: the data rows of a report as comma-separated values. The report is
// written as ever; this filter drops its head and the line of column titles
// after the result rule, and writes each tab-separated row with its columns
// in the order asked, so the numbers are the report's, byte for byte.
#ifndef KANSU_APP_CSVROWS_H
#define KANSU_APP_CSVROWS_H

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

class CsvRows : public std::streambuf {
public:
    // columns: for each CSV column, the report column it takes (from 0).
    CsvRows(std::ostream& sink, std::vector<int> columns);
    // Writes what is held to the sink.
    int sync() override;

protected:
    int_type overflow(int_type letter) override;
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;

private:
    enum Part { HEAD, TITLES, ROWS };
    void End_Line();
    void Write_Row();

    std::ostream& sink_;
    std::vector<int> columns_;
    std::vector<std::string::size_type> starts_;  // of the fields of the line, reused
    Part part_ = HEAD;
    std::string line_;
    std::string held_;  // CSV text not yet handed to the sink
};

#endif
