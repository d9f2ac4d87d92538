// The report file of one run: opened for appending under the report's lock,
// closed with the word the user needs when it did not come out whole.
#ifndef KANSU_REPORTFILE_H
#define KANSU_REPORTFILE_H

#include <fstream>
#include <memory>
#include <string>

class AppendLock;

// A report stream that knows the path it was opened under, so that the shell
// can draw the picture of the report when it closes.
class ReportFile : public std::ofstream {
public:
    ReportFile();
    ~ReportFile();
    std::string path;
    long long head_lines = 0;  // written by the dialogue before the report's own text

    // Takes the report's lock (another run appending to it is waited for,
    // with a word on standard error after a second) and opens the file for
    // appending: FILE_DONE, or the FileStatus that says why not.
    int Open_Locked(const std::string& path_name);
    // A run that failed: closes the file and gives it back as it was before
    // this run (cut to its old length, or removed when this run made it).
    bool Give_Back();
    // Whether the file was empty (or new) when it was locked.
    bool Was_Empty() const;

private:
    std::unique_ptr<AppendLock> lock_;
};

// A script command ended by a signal: says so on standard error, naming the
// file given back as it was (none when empty), and returns 128 + the signal.
int Tell_SignalEnd(const std::string& kept_path);

// Closes the report. When any write failed (a full disk) the user is told with
// the failure message rather than left believing the report is there; 0 then.
// After Ctrl-C the user is told the calculation was interrupted.
int Close_ReportFile(std::ofstream& output_stream);

#endif
