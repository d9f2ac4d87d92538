#include "plot/plotcommand.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "text/messages.h"
#include "files/appendlock.h"
#include "files/safefile.h"
#include "plot/reporttext.h"
#include "plot/svgwriter.h"
#include "plot/termsize.h"
#include "plot/termwriter.h"

namespace {

const double SVG_MIN_MOVE = 0.5;  // picture units an x-y curve must move to keep a point

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

// The message of a failure; a run beyond the file's says how many it has.
std::string Failure_Text(PlotFailure failure, const PlotPicture& picture) {
    std::string text = Failure_Message(failure);
    if (failure != PlotFailure::NO_SUCH_RUN) return text;
    std::string count = std::to_string(picture.runs_in_report);
    return text + count + Msg().PLOT_RUNS_COUNT + count + ")\n";
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

PlotStatus Failed(const std::string& path, const std::string& message, std::ostream& error_out) {
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
        return Failed(options.request.report_path, Failure_Text(failure, picture), error_out);
    // Colours only where the picture goes to standard output and that is a colour terminal.
    bool colour = &out == &std::cout && Terminal_HasColour();
    out << Terminal_Picture(picture, drawing_width, options.utf8, colour) << std::flush;
    if (tell_skipped) Tell_Skipped(picture, options.request.report_path, error_out);
    return PLOT_DONE;
}

// The picture, drawn as the options say, of a report that can be read.
PlotStatus Draw(const PlotOptions& options, std::ostream& out, std::ostream& error_out) {
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
    if (failure != PlotFailure::NONE)
        return Failed(report, Failure_Text(failure, picture), error_out);
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
    if (picture.marks_skipped)
        error_out << Msg().PLOT_PREFIX << report << ": " << Msg().PLOT_MARKS_SKIPPED;
    if (options.terminal) return Draw_OnTerminal(options, out, error_out, false);
    return PLOT_DONE;
}

// Standard input to its end, as bytes; false when reading fails.
bool Read_StandardInput(std::string* bytes) {
    char block[1 << 16];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, stdin)) > 0) bytes->append(block, got);
    return std::ferror(stdin) == 0;
}

// Texts from the command line are in the console's encoding; pictures hold UTF-8.
void To_Utf8(bool utf8, std::optional<std::string>* text) {
    if (*text && !utf8) **text = Report_Text(**text, false, true);
}

}  // namespace

PlotStatus Run_Plot(const PlotOptions& given, std::ostream& out, std::ostream& error_out) {
    if (!given.bad_argument.empty()) {
        error_out << Msg().PLOT_PREFIX << Msg().PLOT_BAD_ARGUMENT << given.bad_argument << "\n"
                  << Msg().PLOT_HINT;
        return PLOT_USAGE_ERROR;
    }
    if (given.help) {
        out << Msg().PLOT_USAGE << std::flush;
        return PLOT_DONE;
    }
    if (given.report_missing) {
        error_out << Msg().PLOT_PREFIX << Msg().PLOT_NO_REPORT << Msg().PLOT_HINT;
        return PLOT_USAGE_ERROR;
    }
    PlotOptions options = given;
    for (std::optional<std::string>* text :
         {&options.request.title, &options.request.x_title, &options.request.y_title})
        To_Utf8(options.utf8, text);
    std::string bytes;
    if (options.request.report_path == "-") {
        if (!Read_StandardInput(&bytes)) return Failed("-", Msg().PLOT_READ_FAILED, error_out);
        options.request.report_bytes = &bytes;
        // A filter: the picture goes on unless -o or --term sends it elsewhere.
        if (options.output_path.empty() && !options.terminal) options.output_path = "-";
    }
    return Draw(options, out, error_out);
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
