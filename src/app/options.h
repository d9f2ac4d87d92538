// Command-line options: --utf8 and --cp932 choose the console encoding (over
// KANSU_ENCODING), --no-edit turns line editing off, --digits N the significant
// digits of report numbers, --threads N the threads a report may use, --help and --version print and end, anything else
// is refused.
#ifndef KANSU_OPTIONS_H
#define KANSU_OPTIONS_H

#include <ostream>
#include <string>

#include "text/numbertext.h"

struct CommandOptions {
    bool utf8 = false;   // --utf8 given after any --cp932
    bool cp932 = false;  // --cp932 given after any --utf8
    bool no_edit = false;
    bool show_help = false;
    bool show_version = false;
    int digits = DEFAULT_DIGITS;   // of report numbers
    bool digits_refused = false;   // --digits without a count from 1 to 17
    bool plot = false;             // --plot: a picture beside every report written
    int threads = 0;               // --threads: 0 for the default (the cores, at most 8)
    bool threads_refused = false;  // --threads without a count from 1 to MAX_THREADS
    std::string unknown;           // the first option not understood, empty when none
};

// The most threads --threads takes.
const int MAX_THREADS = 64;

CommandOptions Parse_Options(int argc, const char* const* argv);
// The count after an option: a whole number from 1 to most (two digits at
// most), else 0.
int Option_Count(const char* word, int most);

// Whether the console is UTF-8: an option wins, then KANSU_ENCODING's value
// (utf-8 or cp932, any case; null when unset); then UTF-8 when standard output
// is a terminal that shows it (terminal_utf8), code page 932 otherwise. An
// unknown value is named on error_out and code page 932 used.
bool Utf8_Chosen(const CommandOptions& options, const char* encoding_variable,
                 std::ostream& error_out, bool terminal_utf8 = false);

// The encoding of the script commands (eval, table, plot), selected as the
// message table: an option, then KANSU_ENCODING, then the locale (UTF-8 or
// code page 932), whether standard output is a terminal or not. Returns
// whether it is UTF-8.
bool Use_ScriptEncoding(bool utf8_option, bool cp932_option, std::ostream& error_out);

// The evaluator's switches from the environment: KANSU_MACHINE_CODE=0 runs
// every program by the machine's loop; KANSU_PROGRAM_LISTING=1 lists each
// program compiled on standard error.
void Apply_EvaluatorEnvironment();

// Selects the message table and answers --help, --version or an unknown
// option. Returns the exit status when the program should end now, -1 to go
// on to the dialogue.
int Apply_Options(const CommandOptions& options, std::ostream& out, std::ostream& error_out);

#endif
