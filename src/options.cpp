#include "options.h"

#include <cstring>

#include "kansu_version.h"
#include "messages.h"
#include "plotcommand.h"

namespace {
const int USAGE_ERROR_STATUS = 2;

// The version from the build (project() in CMakeLists.txt), the commit when
// built from a git checkout, and the licence.
void Print_Version(std::ostream& out) {
    out << "kansu " << KANSU_VERSION;
    if (KANSU_COMMIT[0] != '\0') out << " (git " << KANSU_COMMIT << ")";
    out << "\n" << Msg().VERSION_LICENSE;
}
}  // namespace

CommandOptions Parse_Options(int argc, const char* const* argv) {
    CommandOptions options;
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (std::strcmp(word, "--utf8") == 0) {
            options.utf8 = true;
        } else if (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0) {
            options.show_help = true;
        } else if (std::strcmp(word, "--plot") == 0) {
            options.plot = true;
        } else if (std::strcmp(word, "--version") == 0) {
            options.show_version = true;
        } else if (options.unknown.empty()) {
            options.unknown = word;
        }
    }
    return options;
}

int Apply_Options(const CommandOptions& options, std::ostream& out, std::ostream& error_out) {
    Use_Utf8(options.utf8);
    Enable_PicturesBesideReports(options.plot);
    if (!options.unknown.empty()) {
        error_out << Msg().OPTION_UNKNOWN << options.unknown << "\n" << Msg().OPTION_HINT;
        return USAGE_ERROR_STATUS;
    }
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
