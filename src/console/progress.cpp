#include "console/progress.h"

#include <chrono>
#include <climits>
#include <iostream>
#include <sstream>
#include <string>

#include "text/messages.h"

#ifdef _WIN32
#include <io.h>
#define KANSU_ISATTY _isatty
#define KANSU_STDERR_FD 2
#else
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

void ProgressReporter::Show(double now) {
    long long percent = total_ > 0 ? done_ * 100 / total_ : 100;
    double per_point = (now - start_) / static_cast<double>(done_);
    long long seconds_left =
        total_ > done_ ? static_cast<long long>(per_point * (total_ - done_) + 0.5) : 0;
    std::ostringstream line;
    line << Msg().PROGRESS_RUNNING << percent << "%  " << Grouped_Digits(done_)
         << (unit_ == ProgressUnit::Terms ? Msg().PROGRESS_TERMS : Msg().PROGRESS_POINTS)
         << seconds_left << Msg().PROGRESS_SECONDS;
    std::string text = line.str();
    int width = static_cast<int>(text.size());
    // Blanks cover what is left of a longer earlier line.
    if (width < shown_width_) text.append(shown_width_ - width, ' ');
    *out_ << '\r' << text << std::flush;
    shown_width_ = width > shown_width_ ? width : shown_width_;
    last_shown_ = now;
}

void ProgressReporter::Erase() {
    if (shown_width_ == 0) return;
    *out_ << '\r' << std::string(shown_width_, ' ') << '\r' << std::flush;
    shown_width_ = 0;
}
