// The report file of one run: opened for appending by the mode's dialogue,
// closed with the word the user needs when it did not come out whole.
#ifndef KANSU_REPORTFILE_H
#define KANSU_REPORTFILE_H

#include <fstream>
#include <string>

// A report stream that knows the path it was opened under, so that the shell
// can draw the picture of the report when it closes.
class ReportFile : public std::ofstream {
public:
    std::string path;
    long long head_lines = 0;  // written by the dialogue before the report's own text
};

// Closes the report. When any write failed (a full disk) the user is told with
// the failure message rather than left believing the report is there; 0 then.
// After Ctrl-C the user is told the calculation was interrupted.
int Close_ReportFile(std::ofstream& output_stream);

#endif
