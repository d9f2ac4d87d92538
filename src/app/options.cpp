#include "app/options.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <strings.h>

#include "console/consoleterminal.h"
#include "eval/evallisting.h"
#include "eval/evalnative.h"
#include "kansu_version.h"
#include "text/messages.h"
#include "report/parallelsweep.h"
#include "plot/plotcommand.h"
#include "report/reportwriter.h"

namespace {
const int USAGE_ERROR_STATUS = 2;

// The count after the option at *at (which then moves past it) into *count,
// or *refused when there is none from 1 to most.
void Take_Count(int argc, const char* const* argv, int* at, int most, int* count, bool* refused) {
    int given = Option_Count(*at + 1 < argc ? argv[*at + 1] : nullptr, most);
    if (given == 0)
        *refused = true;
    else
        *count = given;
    if (*at + 1 < argc) ++*at;
}

// The version from the build (project() in CMakeLists.txt), the commit when
// built from a git checkout, and the licence.
void Print_Version(std::ostream& out) {
    out << "kansu " << KANSU_VERSION;
    if (KANSU_COMMIT[0] != '\0') out << " (git " << KANSU_COMMIT << ")";
    out << "\n" << Msg().VERSION_LICENSE;
}
}  // namespace

int Option_Count(const char* word, int most) {
    if (word == nullptr || *word == '\0' || std::strlen(word) > 2) return 0;
    int count = 0;
    for (const char* letter = word; *letter != '\0'; ++letter) {
        if (*letter < '0' || *letter > '9') return 0;
        count = count * 10 + (*letter - '0');
    }
    return count >= 1 && count <= most ? count : 0;
}

CommandOptions Parse_Options(int argc, const char* const* argv) {
    CommandOptions options;
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (std::strcmp(word, "--utf8") == 0) {
            options.utf8 = true;
            options.cp932 = false;
        } else if (std::strcmp(word, "--cp932") == 0) {
            options.cp932 = true;
            options.utf8 = false;
        } else if (std::strcmp(word, "--no-edit") == 0) {
            options.no_edit = true;
        } else if (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0) {
            options.show_help = true;
        } else if (std::strcmp(word, "--plot") == 0) {
            options.plot = true;
        } else if (std::strcmp(word, "--version") == 0) {
            options.show_version = true;
        } else if (std::strcmp(word, "--digits") == 0) {
            Take_Count(argc, argv, &i, MAX_DIGITS, &options.digits, &options.digits_refused);
        } else if (std::strcmp(word, "--threads") == 0) {
            Take_Count(argc, argv, &i, MAX_THREADS, &options.threads, &options.threads_refused);
        } else if (options.unknown.empty()) {
            options.unknown = word;
        }
    }
    return options;
}

bool Utf8_Chosen(const CommandOptions& options, const char* encoding_variable,
                 std::ostream& error_out, bool terminal_utf8) {
    if (options.utf8 || options.cp932) return options.utf8;
    if (encoding_variable == nullptr || *encoding_variable == '\0') return terminal_utf8;
    if (strcasecmp(encoding_variable, "utf-8") == 0 || strcasecmp(encoding_variable, "utf8") == 0)
        return true;
    if (strcasecmp(encoding_variable, "cp932") != 0)
        error_out << Msg().ENCODING_UNKNOWN << encoding_variable << "\n";
    return false;
}

bool Use_ScriptEncoding(bool utf8_option, bool cp932_option, std::ostream& error_out) {
    bool locale_utf8 = Locale_IsUtf8();
    Use_Utf8(locale_utf8);  // a bad KANSU_ENCODING is told in the locale's encoding
    CommandOptions encoding;
    encoding.utf8 = utf8_option;
    encoding.cp932 = cp932_option;
    bool utf8 = Utf8_Chosen(encoding, std::getenv("KANSU_ENCODING"), error_out, locale_utf8);
    Use_Utf8(utf8);
    return utf8;
}

void Apply_EvaluatorEnvironment() {
    const char* machine_code = std::getenv("KANSU_MACHINE_CODE");
    Allow_NativeCode(machine_code == nullptr || std::strcmp(machine_code, "0") != 0);
    const char* listing = std::getenv("KANSU_PROGRAM_LISTING");
    bool lists = listing != nullptr && *listing != '\0' && std::strcmp(listing, "0") != 0;
    Set_ProgramListing(lists ? &std::cerr : nullptr);
}

int Apply_Options(const CommandOptions& options, std::ostream& out, std::ostream& error_out) {
    Use_Utf8(
        Utf8_Chosen(options, std::getenv("KANSU_ENCODING"), error_out, Output_TerminalIsUtf8()));
    Apply_EvaluatorEnvironment();
    if (!options.unknown.empty()) {
        error_out << Msg().OPTION_UNKNOWN << options.unknown << "\n" << Msg().OPTION_HINT;
        return USAGE_ERROR_STATUS;
    }
    if (options.digits_refused) {
        error_out << Msg().OPTION_DIGITS_RANGE << Msg().OPTION_HINT;
        return USAGE_ERROR_STATUS;
    }
    if (options.threads_refused) {
        error_out << Msg().OPTION_THREADS_RANGE << Msg().OPTION_HINT;
        return USAGE_ERROR_STATUS;
    }
    Set_ReportDigits(options.digits);
    Set_SweepThreads(options.threads);
    if (options.show_help) {
        out << Msg().USAGE;
        return 0;
    }
    if (options.show_version) {
        Print_Version(out);
        return 0;
    }
    return -1;
}
