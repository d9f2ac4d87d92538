#include "plot/plotcommand.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <iostream>

#include "text/messages.h"
#include "files/appendlock.h"
#include "files/safefile.h"
#include "plot/svgwriter.h"
#include "plot/termsize.h"
#include "plot/termwriter.h"

namespace {

const double SVG_MIN_MOVE = 0.5;  // picture units an x-y curve must move to keep a point

bool Read_Number(std::string_view text, double* value) {
    if (text.empty()) return false;
    std::from_chars_result read = std::from_chars(text.data(), text.data() + text.size(), *value);
    return read.ec == std::errc() && read.ptr == text.data() + text.size() && std::isfinite(*value);
}

// "a:b" with a below b.
bool Read_Range(const char* text, AxisRange* range) {
    std::string_view whole(text);
    size_t colon = whole.find(':', 1);  // a leading "-" is a sign, never the separator
    if (colon == std::string_view::npos) return false;
    return Read_Number(whole.substr(0, colon), &range->low) &&
           Read_Number(whole.substr(colon + 1), &range->high) && range->low < range->high;
}

bool Read_Aspect(const char* text, PlotAspect* aspect) {
    if (std::strcmp(text, "equal") == 0) *aspect = PlotAspect::EQUAL;
    else if (std::strcmp(text, "auto") == 0) *aspect = PlotAspect::AUTO;
    else return false;
    return true;
}

bool Read_RunNumber(const char* text, int* number) {
    std::string_view whole(text);
    std::from_chars_result read =
        std::from_chars(whole.data(), whole.data() + whole.size(), *number);
    return read.ec == std::errc() && read.ptr == whole.data() + whole.size() && *number >= 1;
}

const char* Failure_Message(PlotFailure failure) {
    switch (failure) {
    case PlotFailure::CANNOT_OPEN: return Msg().PLOT_CANNOT_OPEN;
    case PlotFailure::READ_FAILED: return Msg().PLOT_READ_FAILED;
    case PlotFailure::NOT_A_REPORT: return Msg().PLOT_NOT_A_REPORT;
    case PlotFailure::NO_SUCH_RUN: return Msg().PLOT_NO_SUCH_RUN;
    case PlotFailure::NO_TABLE: return Msg().PLOT_NO_TABLE;
    case PlotFailure::NO_POINTS: return Msg().PLOT_NO_POINTS;
    case PlotFailure::NONE: break;
    }
    return "";
}

// Through a working copy moved over the old picture (a link's target, the
// link kept): a full disk or a file-size limit leaves the old picture whole.
bool Write_File(const std::string& path, const std::string& content) {
    // A folder, FIFO or device is never opened: a FIFO would block.
    if (Check_OutputPath(path) == FILE_NOT_REGULAR) return false;
    return Write_FileSafely(Final_Target(path), content, true) == FILE_DONE;
}

PlotFailure Svg_Picture(const PlotRequest& request, std::string* svg, PlotPicture* picture) {
    PlotFailure failure = Build_Picture(request, SVG_FRAME_LEFT, SVG_FRAME_TOP, SVG_FRAME_WIDTH,
                                        SVG_FRAME_HEIGHT, SVG_MIN_MOVE, picture);
    if (failure == PlotFailure::NONE) *svg = Svg_Document(*picture);
    return failure;
}

PlotStatus Failed(const std::string& path, const char* message, std::ostream& error_out) {
    error_out << Msg().PLOT_PREFIX << path << ": " << message << Msg().PLOT_HINT;
    return PLOT_FAILED;
}

// Table lines that were no row: how many, from which line on.
void Tell_Skipped(const PlotPicture& picture, const std::string& path, std::ostream& error_out) {
    if (picture.skipped_rows == 0) return;
    error_out << Msg().PLOT_PREFIX << path << ": " << picture.first_skipped_line;
    if (picture.skipped_rows == 1) {
        error_out << Msg().PLOT_SKIPPED_ONE << picture.first_skipped_line << "\n";
        return;
    }
    error_out << Msg().PLOT_SKIPPED_FIRST << picture.skipped_rows << Msg().PLOT_SKIPPED_COUNT
              << picture.skipped_rows << Msg().PLOT_SKIPPED_LINE << picture.first_skipped_line
              << "\n";
}

PlotStatus Draw_OnTerminal(const PlotOptions& options, std::ostream& out, std::ostream& error_out,
                           bool tell_skipped) {
    int drawing_width = Terminal_DrawingWidth(Terminal_Columns());
    PlotPicture picture;
    PlotFailure failure = Build_Picture(options.request, 0.0, 0.0, drawing_width * TERM_DOTS_ACROSS,
                                        TERM_ROWS * TERM_DOTS_DOWN, 1.0, &picture);
    if (failure != PlotFailure::NONE)
        return Failed(options.request.report_path, Failure_Message(failure), error_out);
    // Colours only where the picture goes to standard output and that is a colour terminal.
    bool colour = &out == &std::cout && Terminal_HasColour();
    out << Terminal_Picture(picture, drawing_width, options.utf8, colour) << std::flush;
    if (tell_skipped) Tell_Skipped(picture, options.request.report_path, error_out);
    return PLOT_DONE;
}

}  // namespace

int Plot_WordIndex(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "plot") == 0) return i;
        if (std::strcmp(argv[i], "--utf8") != 0) return 0;
    }
    return 0;
}

PlotOptions Parse_PlotOptions(int argc, const char* const* argv, int plot_word) {
    PlotOptions options;
    for (int i = 1; i < argc; ++i) {
        if (i == plot_word) continue;
        const char* word = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool understood = true;
        if (std::strcmp(word, "--help") == 0) {
            options.help = true;
        } else if (std::strcmp(word, "--utf8") == 0) {
            options.utf8 = true;
        } else if (std::strcmp(word, "--all") == 0) {
            options.request.all_runs = true;
        } else if (std::strcmp(word, "--term") == 0) {
            options.terminal = true;
        } else if (std::strcmp(word, "-o") == 0 && value != nullptr && value[0] != '\0') {
            options.output_path = argv[++i];
        } else if (std::strcmp(word, "--run") == 0 && value != nullptr) {
            understood = Read_RunNumber(argv[++i], &options.request.run_number);
        } else if (std::strcmp(word, "--xrange") == 0 && value != nullptr) {
            understood = Read_Range(argv[++i], &options.request.x_range);
            options.request.x_range_given = true;
        } else if (std::strcmp(word, "--yrange") == 0 && value != nullptr) {
            understood = Read_Range(argv[++i], &options.request.y_range);
            options.request.y_range_given = true;
        } else if (std::strcmp(word, "--aspect") == 0 && value != nullptr) {
            understood = Read_Aspect(argv[++i], &options.request.aspect);
        } else if (word[0] != '-' && options.request.report_path.empty()) {
            options.request.report_path = word;
        } else {
            understood = false;
        }
        if (!understood && options.bad_argument.empty()) options.bad_argument = argv[i];
    }
    if (options.request.all_runs && options.request.run_number > 0 && options.bad_argument.empty())
        options.bad_argument = "--all --run";
    options.report_missing = options.request.report_path.empty();
    return options;
}

PlotStatus Run_Plot(const PlotOptions& options, std::ostream& out, std::ostream& error_out) {
    if (!options.bad_argument.empty()) {
        error_out << Msg().PLOT_PREFIX << Msg().PLOT_BAD_ARGUMENT << options.bad_argument << "\n"
                  << Msg().PLOT_HINT;
        return PLOT_USAGE_ERROR;
    }
    if (options.help) {
        out << Msg().PLOT_USAGE << std::flush;
        return PLOT_DONE;
    }
    if (options.report_missing) {
        error_out << Msg().PLOT_PREFIX << Msg().PLOT_NO_REPORT << Msg().PLOT_HINT;
        return PLOT_USAGE_ERROR;
    }
    const std::string& report = options.request.report_path;
    std::string path =
        options.output_path.empty() ? Picture_PathBeside(report) : options.output_path;
    bool to_file = options.output_path != "-" && !(options.terminal && options.output_path.empty());
    if (to_file && Same_File(path, report)) {
        error_out << Msg().PLOT_PREFIX << path << ": " << Msg().PLOT_OUTPUT_IS_REPORT
                  << Msg().PLOT_HINT;
        return PLOT_USAGE_ERROR;
    }
    if (options.terminal && options.output_path.empty())
        return Draw_OnTerminal(options, out, error_out, true);
    std::string svg;
    PlotPicture picture;
    PlotFailure failure = Svg_Picture(options.request, &svg, &picture);
    if (failure != PlotFailure::NONE) return Failed(report, Failure_Message(failure), error_out);
    if (options.output_path == "-") {
        errno = 0;
        if (!(out << svg << std::flush)) {
            int error_number = errno != 0 ? errno : EIO;
            error_out << Msg().PLOT_PREFIX << Msg().PLOT_STDOUT_FAILED
                      << std::strerror(error_number) << "\n";
            return PLOT_FAILED;
        }
    } else {
        if (!Write_File(path, svg)) return Failed(path, Msg().PLOT_WRITE_FAILED, error_out);
    }
    Tell_Skipped(picture, report, error_out);
    if (options.terminal) return Draw_OnTerminal(options, out, error_out, false);
    return PLOT_DONE;
}

std::string Picture_PathBeside(const std::string& report_path) {
    size_t name_start = report_path.find_last_of("/\\");
    name_start = name_start == std::string::npos ? 0 : name_start + 1;
    size_t dot = report_path.rfind('.');
    std::string path = dot != std::string::npos && dot > name_start
                           ? report_path.substr(0, dot) + ".svg"
                           : report_path + ".svg";
    return path == report_path ? report_path + ".svg" : path;
}

bool Draw_PictureBeside(const std::string& report_path) {
    PlotRequest request;
    request.report_path = report_path;
    std::string svg;
    PlotPicture picture;
    if (Svg_Picture(request, &svg, &picture) != PlotFailure::NONE) return false;
    std::string path = Picture_PathBeside(report_path);
    bool same = Same_File(path, report_path);
    if (!same && Write_File(path, svg)) return true;
    std::cerr << Msg().PLOT_PREFIX << path << ": "
              << (same ? Msg().PLOT_OUTPUT_IS_REPORT : Msg().PLOT_WRITE_FAILED);
    return false;
}
