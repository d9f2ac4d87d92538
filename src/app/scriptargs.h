// The command lines of `kansu eval`, `kansu table`, `kansu roots` and `kansu functions`:
// options, the formula and range texts, and the NAME=VALUE values of variables.
#ifndef KANSU_APP_SCRIPTARGS_H
#define KANSU_APP_SCRIPTARGS_H

#include <string>
#include <vector>

#include "text/numbertext.h"

// Exit statuses of the commands.
const int SCRIPT_DONE = 0;
const int SCRIPT_FAILED = 1;  // a refused formula, range or value, or no value
const int SCRIPT_USAGE = 2;   // a command line not understood

enum class ScriptCommand { NONE, EVAL, TABLE, ROOTS, FUNCTIONS };
// The report of table: the dialogue's four modes.
enum class TableMode { EXPLICIT, POLAR, PARAM, IMPLICIT };

struct ScriptOptions {
    ScriptCommand command = ScriptCommand::NONE;
    TableMode mode = TableMode::EXPLICIT;
    bool utf8 = false;   // --utf8 given after any --cp932
    bool cp932 = false;  // --cp932 given after any --utf8
    bool show_help = false;
    bool csv = false;
    bool plot = false;
    bool extrema = false;  // roots: minima and maxima too
    int digits = DEFAULT_DIGITS;
    bool digits_given = false;  // --digits was given
    int threads = 0;
    bool digits_refused = false;   // --digits without a count from 1 to 17
    bool threads_refused = false;  // --threads without a count from 1 to 64
    std::string output_path;       // -o: the report is appended there
    std::string functions_path;    // --functions: a save file's or text file's user functions
    std::vector<std::string> definitions;  // --define, in order
    std::vector<std::string> texts;        // formulas and ranges, in order
    std::vector<std::string> assignments;  // NAME=VALUE
    std::string bad_argument;              // the first argument not understood
    bool texts_missing = false;            // fewer formulas and ranges than the command takes
};

// Where the word eval, table, roots or functions stands when the command line asks for one
// (only --utf8 or --cp932 may come before it); 0 when it does not.
int Script_WordIndex(int argc, const char* const* argv);
ScriptOptions Parse_ScriptOptions(int argc, const char* const* argv, int word);

#endif
