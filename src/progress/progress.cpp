#include "progress/progress.h"

#include <chrono>
#include <climits>
#include <iostream>
#include <sstream>
#include <string>

#include "text/messages.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#define KANSU_ISATTY _isatty
#define KANSU_STDERR_FD 2
#else
#include <sys/ioctl.h>
#include <unistd.h>
#define KANSU_ISATTY isatty
#define KANSU_STDERR_FD STDERR_FILENO
#endif

namespace {
const double SHOW_AFTER_SECONDS = 0.5;
const double REWRITE_EVERY_SECONDS = 0.25;
const double CHECK_EVERY_SECONDS = 0.02;
const long long LONGEST_CHECK_INTERVAL = 1LL << 20;

// Reporters alive, outermost first: only the outermost one writes.
int running_reporters = 0;

// Columns of the terminal standard error writes to; 0 when unknown. Read at
// every rewrite, so the line follows a resize.
int Error_Columns() {
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
#else
    winsize size = {};
    return ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
#endif
}

// Columns the text takes: a character of several bytes (the Japanese ones
// here) takes two, in either encoding.
int Display_Width(const std::string& text) {
    if (!Utf8_Active()) return static_cast<int>(text.size());
    int width = 0;
    for (unsigned char letter : text) {
        if (letter < 0x80 || (letter >= 0xC0 && letter < 0xE0)) width += 1;
        if (letter >= 0xE0) width += 2;
    }
    return width;
}
}  // namespace

std::string Grouped_Digits(long long count) {
    unsigned long long magnitude = static_cast<unsigned long long>(count);
    if (count < 0) magnitude = 0 - magnitude;
    std::string digits = std::to_string(magnitude);
    for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return count < 0 ? "-" + digits : digits;
}

double Steady_Seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool Error_IsTerminal() {
    static const bool terminal = KANSU_ISATTY(KANSU_STDERR_FD) != 0;
    return terminal;
}

ProgressReporter::ProgressReporter(long long total_points, ProgressUnit unit)
    : ProgressReporter(total_points,
                       running_reporters == 0 && Error_IsTerminal() ? &std::cerr : nullptr,
                       Steady_Seconds, unit) {}

ProgressReporter::ProgressReporter(long long total_points, std::ostream* out, Clock clock,
                                   ProgressUnit unit)
    : total_(total_points),
      out_(out),
      clock_(clock),
      unit_(unit),
      outermost_(running_reporters == 0) {
    ++running_reporters;
    if (out_ == nullptr || !outermost_) {
        next_check_ = LLONG_MAX;  // silent: the clock is never read
        return;
    }
    start_ = clock_();
    last_check_ = start_;
}

ProgressReporter::~ProgressReporter() {
    --running_reporters;
    Erase();
}

void ProgressReporter::Check() {
    double now = clock_();
    // Aim at one clock read per CHECK_EVERY_SECONDS whatever a point costs.
    double since = now - last_check_;
    if (since < CHECK_EVERY_SECONDS / 2 && check_interval_ < LONGEST_CHECK_INTERVAL)
        check_interval_ *= 2;
    else if (since > CHECK_EVERY_SECONDS * 2 && check_interval_ > 1)
        check_interval_ /= 2;
    last_check_ = now;
    next_check_ = done_ + check_interval_;
    if (now - start_ < SHOW_AFTER_SECONDS) return;
    if (shown_width_ > 0 && now - last_shown_ < REWRITE_EVERY_SECONDS) return;
    Show(now);
}

int ProgressReporter::Room() const {
    if (out_ != &std::cerr) return 0;
    int columns = Error_Columns();
    return columns > 1 ? columns - 1 : 0;
}

// The longest form of the line that fits in room columns (0: any); empty when
// none does.
std::string ProgressReporter::Fitting_Line(long long percent, long long seconds_left,
                                           int room) const {
    // The console's table even while a report is written in the other encoding.
    const Messages& text = Console_Msg();
    std::string share = std::to_string(percent) + "%";
    std::string counted =
        share + "  " + Grouped_Digits(done_) +
        (unit_ == ProgressUnit::Terms ? text.PROGRESS_TERMS : text.PROGRESS_POINTS) +
        std::to_string(seconds_left);
    const std::string forms[] = {text.PROGRESS_RUNNING + counted + text.PROGRESS_SECONDS,
                                 text.PROGRESS_RUNNING + counted + text.PROGRESS_SECONDS_SHORT,
                                 text.PROGRESS_RUNNING + share, share};
    for (const std::string& form : forms)
        if (room == 0 || Display_Width(form) <= room) return form;
    return std::string();
}

void ProgressReporter::Show(double now) {
    long long percent = total_ > 0 ? done_ * 100 / total_ : 100;
    double per_point = (now - start_) / static_cast<double>(done_);
    long long seconds_left =
        total_ > done_ ? static_cast<long long>(per_point * (total_ - done_) + 0.5) : 0;
    int room = Room();
    std::string text = Fitting_Line(percent, seconds_left, room);
    int width = Display_Width(text);
    // Blanks cover what is left of a longer earlier line, never past the edge.
    int covered = room > 0 && shown_width_ > room ? room : shown_width_;
    if (width < covered) text.append(covered - width, ' ');
    *out_ << '\r' << text << std::flush;
    shown_width_ = width > covered ? width : covered;
    last_shown_ = now;
}

void ProgressReporter::Erase() {
    if (shown_width_ == 0) return;
    int room = Room();
    int blanks = room > 0 && shown_width_ > room ? room : shown_width_;
    *out_ << '\r' << std::string(blanks, ' ') << '\r' << std::flush;
    shown_width_ = 0;
}
