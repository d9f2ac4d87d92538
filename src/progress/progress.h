// The progress line of long work: when standard error is a terminal and the
// work has run for about half a second, one line there shows the share done,
// the points written (terms for a sum, in groups of three digits) and the time
// left, rewritten in place a few times a second and erased at the end. The
// line is cut to shorter forms to stay within the terminal's width. A point
// costs a counter increment and a compare; the clock is read only every so many
// points, the interval adapting so that reads come roughly every 20 ms.
#ifndef KANSU_PROGRESS_H
#define KANSU_PROGRESS_H

#include <ostream>
#include <string>

// What the line counts: the points of a sweep or the terms of a sum.
enum class ProgressUnit { Points, Terms };

class ProgressReporter {
public:
    typedef double (*Clock)();  // seconds from any fixed start

    // total_points: the points the work will have done at its end. The line
    // goes to standard error when it is a terminal and no other reporter is
    // running (a sum inside a sweep leaves the line to the sweep).
    explicit ProgressReporter(long long total_points, ProgressUnit unit = ProgressUnit::Points);
    // For tests: the line goes to out (null: nowhere) on the given clock.
    ProgressReporter(long long total_points, std::ostream* out, Clock clock,
                     ProgressUnit unit = ProgressUnit::Points);
    ~ProgressReporter();
    ProgressReporter(const ProgressReporter&) = delete;
    ProgressReporter& operator=(const ProgressReporter&) = delete;

    void Tick() {
        if (++done_ >= next_check_) Check();
    }
    // For work that counts its own points: done points so far.
    void Reach(long long done) {
        done_ = done;
        if (done_ >= next_check_) Check();
    }

private:
    void Check();
    void Show(double now);
    void Erase();
    // Columns the line may take on the terminal; 0 when unknown (no limit).
    int Room() const;
    std::string Fitting_Line(long long percent, long long seconds_left, int room) const;

    long long total_;
    long long done_ = 0;
    long long next_check_ = 1;
    long long check_interval_ = 1;
    std::ostream* out_;
    Clock clock_;
    double start_ = 0.0;
    double last_check_ = 0.0;
    double last_shown_ = 0.0;
    int shown_width_ = 0;  // 0 while no line is on the screen
    ProgressUnit unit_;
    bool outermost_;
};

// A count with a comma between groups of three digits: 108,003,648.
std::string Grouped_Digits(long long count);
// Seconds on the steady clock.
double Steady_Seconds();
// Whether standard error is a terminal.
bool Error_IsTerminal();

#endif
