// Command-line options: --utf8 chooses the UTF-8 message table, --help and
// --version print and end, anything else is refused.
#ifndef KANSU_OPTIONS_H
#define KANSU_OPTIONS_H

#include <ostream>
#include <string>

struct CommandOptions {
    bool utf8 = false;
    bool show_help = false;
    bool show_version = false;
    bool plot = false;  // --plot: a picture beside every report written
    std::string unknown;  // the first option not understood, empty when none
};

CommandOptions Parse_Options(int argc, const char* const* argv);

// Selects the message table and answers --help, --version or an unknown
// option. Returns the exit status when the program should end now, -1 to go
// on to the dialogue.
int Apply_Options(const CommandOptions& options, std::ostream& out, std::ostream& error_out);

#endif
