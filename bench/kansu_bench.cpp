// kansu-bench: kansu's evaluator and reports next to native C++ doing the same.
// Evaluator rows time one evaluation of f1..f4 against a native function of
// the same formula; mode rows time a whole report (the real mode function, fed
// a typed dialogue) against a floor program that evaluates natively, formats
// with std::to_chars and writes blocks on one thread. Every figure is the
// median CPU time of 5 paired runs, except for reports on several threads:
// their figures are wall-clock medians (CPU time sums the threads). Rows are
// compared first and any difference makes the exit status 1.
// --quick runs everything at small sizes.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "formula/crtbtree.h"
#include "eval/evalprog.h"
#include "formula/fmulaopfc.h"
#include "modes/inplexp.h"
#include "app/main.h"
#include "app/rootscommand.h"
#include "app/scriptcommand.h"
#include "console/consoleio.h"
#include "console/formulainput.h"
#include "formula/formulatext.h"
#include "modes/explicit.h"
#include "report/parallelsweep.h"
#include "modes/paramexp.h"
#include "plot/plotcommand.h"
#include "modes/polarcord.h"
#include "report/reportwriter.h"
#include "roots/rootsearch.h"
#include "formula/symbol.h"
#include "userfunc/saverecord.h"
#include "userfunc/usrfunc.h"

namespace {

const int RUNS = 5;
bool quick = false;
int failures = 0;
std::string work_dir;

// CPU seconds of this thread: on a shared machine wall time mostly measures
// the other processes.
double Cpu_Seconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Wall_Seconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Seconds_Of(const std::function<void()>& work, double (*clock)()) {
    double start = clock();
    work();
    return clock() - start;
}

// Median seconds of kansu's and the native work, run alternately.
std::pair<double, double> Paired_Medians(const std::function<void()>& kansu,
                                         const std::function<void()>& native,
                                         double (*clock)() = Cpu_Seconds) {
    std::vector<double> kansu_times;
    std::vector<double> native_times;
    for (int run = 0; run < RUNS; ++run) {
        kansu_times.push_back(Seconds_Of(kansu, clock));
        native_times.push_back(Seconds_Of(native, clock));
    }
    std::sort(kansu_times.begin(), kansu_times.end());
    std::sort(native_times.begin(), native_times.end());
    return {kansu_times[RUNS / 2], native_times[RUNS / 2]};
}

void Check(bool same, const char* what) {
    if (same) return;
    std::printf("ROWS DIFFER: %s\n", what);
    ++failures;
}

// ---- the floor's report text ----

// Significant digits of the floor's numbers, as --digits sets kansu's.
int floor_digits = 6;

int Number_Text(double value, char* text) {
    if (std::isnan(value)) {
        std::memcpy(text, "nan", 3);
        return 3;
    }
    return static_cast<int>(
        std::to_chars(text, text + 32, value, std::chars_format::general, floor_digits).ptr - text);
}

class FloorWriter {
public:
    explicit FloorWriter(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}
    ~FloorWriter() {
        std::fwrite(buffer_.data(), 1, used_, file_);
        std::fclose(file_);
    }
    void Row(std::initializer_list<double> values) {
        if (used_ + 160 > buffer_.size()) {
            std::fwrite(buffer_.data(), 1, used_, file_);
            used_ = 0;
        }
        for (double value : values) {
            used_ += Number_Text(value, buffer_.data() + used_);
            buffer_[used_++] = '\t';
        }
        buffer_[used_ - 1] = '\n';
    }

private:
    std::FILE* file_;
    std::vector<char> buffer_ = std::vector<char>(1 << 16);
    size_t used_ = 0;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The report's data rows are its last lines: the floor's whole file.
bool Report_EndsWithRows(const std::string& report, const std::string& rows) {
    if (rows.size() >= report.size()) return false;
    return report.compare(report.size() - rows.size(), rows.size(), rows) == 0 &&
           report[report.size() - rows.size() - 1] == '\n';
}

// ---- native formulas ----

__attribute__((noinline)) double Native_F1(double x) {
    return std::sin(x) * std::exp(0 - x / 10) + x * x;
}
__attribute__((noinline)) double Native_F2(double x) {
    double sum = 0.0;
    for (int n = 1; n <= 10; ++n) sum += std::pow(x, static_cast<double>(n)) / n;
    return sum;
}
__attribute__((noinline)) double Native_F3(double x) { return x * (x * 2 + 1); }
__attribute__((noinline)) double Native_F4(double x) { return 3 * (x * x) + 2 * x + 1; }

// ---- kansu formulas ----

struct Compiled {
    CompForm* items = nullptr;
    AscArray<double> table;
    EvalProgram* program = nullptr;
    EvalMachine* machine = nullptr;
    explicit Compiled(const char* text, EvalCode code = EVAL_NATIVE_WHERE_ABLE) {
        int item_count = Formula_Analysis(&items, text, g_ufunc_list);
        if (item_count == 0) std::exit(2);
        Create_SymbolTable(items, item_count, table);
        program = new EvalProgram(Build_Tree(items, item_count), g_ufunc_list);
        machine = new EvalMachine(*program, true, code);
    }
    ~Compiled() {
        delete machine;
        delete program;
        delete[] items;
    }
};

void Evaluator_Row(const char* name, const char* text, double (*native)(double), int count,
                   EvalCode code = EVAL_NATIVE_WHERE_ABLE) {
    Compiled formula(text, code);
    double& x_cell = formula.table["x"];
    const double step = 100.0 / count;
    int error_flag = 1;
    int differing = 0;
    for (int i = 0; i < count; ++i) {
        x_cell = i * step;
        char kansu_text[32];
        char native_text[32];
        int kansu_length = Number_Text(Run_WithFlag(*formula.machine, &error_flag), kansu_text);
        int native_length = Number_Text(native(i * step), native_text);
        if (kansu_length != native_length || std::memcmp(kansu_text, native_text, kansu_length))
            ++differing;
    }
    Check(differing == 0 && error_flag == 1, name);
    volatile double sink = 0.0;
    std::pair<double, double> times = Paired_Medians(
        [&] {
            double sum = 0.0;
            for (int i = 0; i < count; ++i) {
                x_cell = i * step;
                sum += Run_WithFlag(*formula.machine, &error_flag);
            }
            sink = sum;
        },
        [&] {
            double sum = 0.0;
            for (int i = 0; i < count; ++i) sum += native(i * step);
            sink = sum;
        });
    std::printf("%-12s %-24s %9.1f ns %9.1f ns %7.2f\n", name, text, times.first * 1e9 / count,
                times.second * 1e9 / count, times.first / times.second);
}

void Sigma_Row(long long terms) {
    std::string text = "sigma[n(1," + std::to_string(terms) + "),n]";
    Compiled formula(text.c_str());
    int error_flag = 1;
    double value = 0.0;
    volatile double native_value = 0.0;
    std::pair<double, double> times =
        Paired_Medians([&] { value = Run_WithFlag(*formula.machine, &error_flag); },
                       [&] {
                           double sum = 0.0;
                           for (long long n = 1; n <= terms; ++n) sum += static_cast<double>(n);
                           native_value = sum;
                       });
    Check(value == native_value && error_flag == 1, "sigma");
    std::printf("sigma %-27s %8.3f s  %8.3f s  %7.2f\n", text.c_str(), times.first, times.second,
                times.first / times.second);
}

// ---- modes ----

// Runs a mode function on a typed dialogue, console output discarded.
void Run_Mode(ModeFunction mode, const std::string& dialogue) {
    std::istringstream input(dialogue);
    std::ostringstream ignored;
    std::streambuf* saved_in = std::cin.rdbuf(input.rdbuf());
    std::streambuf* saved_out = std::cout.rdbuf(ignored.rdbuf());
    mode(g_ufunc_list);
    std::cin.rdbuf(saved_in);
    std::cout.rdbuf(saved_out);
}

// threads: what kansu's report may use; on more than one the times are wall-clock.
void Mode_Row(const char* name, ModeFunction mode, const std::string& dialogue_head,
              const std::function<void(FloorWriter&)>& floor, long long points, int threads) {
    std::string report = work_dir + "/kansu.txt";
    std::string rows = work_dir + "/floor.txt";
    auto kansu = [&] {
        std::remove(report.c_str());
        Run_Mode(mode, dialogue_head + report + "\n");
    };
    auto native = [&] {
        FloorWriter writer(rows);
        floor(writer);
    };
    Set_SweepThreads(threads);
    std::string row_name = name;
    if (threads > 1) row_name += ", " + std::to_string(threads) + " threads";
    kansu();
    native();
    Check(Report_EndsWithRows(Slurp(report), Slurp(rows)), row_name.c_str());
    std::pair<double, double> times =
        Paired_Medians(kansu, native, threads > 1 ? Wall_Seconds : Cpu_Seconds);
    std::printf("%-30s %9lld points %8.3f s  %8.3f s  %7.2f\n", row_name.c_str(), points,
                times.first, times.second, times.first / times.second);
    Set_SweepThreads(1);
}

double Point(long long index, double min_value, double max_value, long long steps) {
    return static_cast<int>(index) * ((max_value - min_value) / static_cast<int>(steps)) +
           min_value;
}

// The six-digit writer against to_chars on the numbers of an explicit report.
void Writer_Row(int count) {
    std::vector<double> values;
    for (int i = 0; i < count; ++i) {
        double x = Point(i, 0, 100, count);
        values.push_back(x);
        values.push_back(Native_F1(x));
    }
    std::vector<char> kansu_text(values.size() * REPORT_NUMBER_SIZE);
    std::vector<char> floor_text(kansu_text.size());
    size_t kansu_used = 0;
    size_t floor_used = 0;
    auto kansu = [&] {
        kansu_used = 0;
        for (double value : values)
            kansu_used += Format_ReportNumber(value, kansu_text.data() + kansu_used);
    };
    auto native = [&] {
        floor_used = 0;
        for (double value : values)
            floor_used += Number_Text(value, floor_text.data() + floor_used);
    };
    kansu();
    native();
    Check(kansu_used == floor_used &&
              std::memcmp(kansu_text.data(), floor_text.data(), kansu_used) == 0,
          "writer");
    std::pair<double, double> times = Paired_Medians(kansu, native);
    std::printf("writer six digits, %9zu numbers %8.1f ns %8.1f ns %7.2f\n", values.size(),
                times.first * 1e9 / values.size(), times.second * 1e9 / values.size(),
                times.first / times.second);
}

void Mode_Rows(long long points, int grid_x, int grid_y, int threads) {
    const char* f1 = "sin(x)*exp(-x/10)+x^2";
    std::string n = std::to_string(points);
    auto explicit_floor = [&](FloorWriter& out) {
        for (long long i = 0; i <= points; ++i) {
            double x = Point(i, 0, 100, points);
            out.Row({x, Native_F1(x)});
        }
    };
    Mode_Row("explicit", FnCalc_Explicit, std::string(f1) + "\nx(0,100)[" + n + "]\n",
             explicit_floor, points + 1, threads);
    // --digits 10: kansu writes through to_chars as the floor does.
    Set_ReportDigits(10);
    floor_digits = 10;
    Mode_Row("explicit, 10 digits", FnCalc_Explicit, std::string(f1) + "\nx(0,100)[" + n + "]\n",
             explicit_floor, points + 1, threads);
    Set_ReportDigits(6);
    floor_digits = 6;
    Mode_Row(
        "polar", FnCalc_PolarCord, "sin(t)*exp(-t/10)+t^2\nt(0,100)[" + n + "]\n",
        [&](FloorWriter& out) {
            for (long long i = 0; i <= points; ++i) {
                double t = Point(i, 0, 100, points);
                double r = Native_F1(t);
                out.Row({r, t, std::cos(t) * r, std::sin(t) * r});
            }
        },
        points + 1, threads);
    Mode_Row(
        "parametric", FnCalc_Param,
        "sin(t)*exp(-t/10)+t^2\ncos(t)*exp(-t/10)\nt(0,100)[" + n + "]\n",
        [&](FloorWriter& out) {
            for (long long i = 0; i <= points; ++i) {
                double t = Point(i, 0, 100, points);
                out.Row({t, Native_F1(t), std::cos(t) * std::exp(0 - t / 10)});
            }
        },
        points + 1, threads);
    std::string grid =
        "x(0,100)[" + std::to_string(grid_x) + "]\ny(0,10000)[" + std::to_string(grid_y) + "]\n";
    Mode_Row(
        "implicit", FnCalc_Inplicit, "sin(x)*exp(-x/10)+x^2-y\n" + grid,
        [&](FloorWriter& out) {
            for (int row = 0; row <= grid_y; ++row) {
                double y = Point(row, 0, 10000, grid_y);
                double previous = 0.0;
                for (int column = 0; column <= grid_x; ++column) {
                    double x = Point(column, 0, 100, grid_x);
                    double value = Native_F1(x) - y;
                    if (value == 0.0 || value * previous < 0.0) out.Row({x, y, value});
                    previous = value;
                }
            }
        },
        static_cast<long long>(grid_x + 1) * (grid_y + 1), threads);
}

// The processor the figures were taken on, as /proc/cpuinfo names it.
std::string Cpu_Model() {
    std::ifstream info("/proc/cpuinfo");
    std::string line;
    while (std::getline(info, line)) {
        if (line.compare(0, 10, "model name") != 0) continue;
        size_t colon = line.find(':');
        if (colon != std::string::npos) return line.substr(line.find_first_not_of(' ', colon + 1));
    }
    return "unknown";
}

// ---- plot ----

// The least any reader of a report does: read it in blocks and convert every
// number of its table with from_chars.
double Floor_ReadNumbers(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return 0.0;
    std::vector<char> block(1 << 20);
    size_t kept = 0;
    double sum = 0.0;
    for (;;) {
        size_t got = std::fread(block.data() + kept, 1, block.size() - kept, file);
        if (got == 0) break;
        size_t end = kept + got;
        size_t line_start = 0;
        for (size_t at = 0; at < end; ++at) {
            if (block[at] != '\n') continue;
            const char* cell = block.data() + line_start;
            const char* line_end = block.data() + at;
            while (cell < line_end) {
                double value = 0.0;
                std::from_chars_result read = std::from_chars(cell, line_end, value);
                if (read.ec != std::errc()) break;
                sum += value;
                cell = read.ptr < line_end ? read.ptr + 1 : line_end;
            }
            line_start = at + 1;
        }
        kept = end - line_start;
        std::memmove(block.data(), block.data() + line_start, kept);
    }
    std::fclose(file);
    return sum;
}

// kansu plot of an explicit report of the given number of divisions, against
// reading the report's numbers alone.
void Plot_Row(long long divisions) {
    std::string report = work_dir + "/plot.txt";
    std::string picture = work_dir + "/plot.svg";
    std::remove(report.c_str());
    Run_Mode(FnCalc_Explicit, "sin(x)*exp(-x/10)+x^2\nx(0,100)[" + std::to_string(divisions) +
                                  "]\n" + report + "\n");
    const char* argv[] = {"kansu", "plot", report.c_str(), "-o", picture.c_str()};
    int status = 1;
    std::ostringstream ignored;
    volatile double sink = 0.0;
    std::pair<double, double> times =
        Paired_Medians([&] { status = Run_Plot(Parse_PlotOptions(5, argv, 1), ignored, ignored); },
                       [&] { sink = Floor_ReadNumbers(report); });
    long long svg_bytes = static_cast<long long>(Slurp(picture).size());
    Check(status == 0 && svg_bytes > 0 && svg_bytes <= 2000000, "plot");
    std::printf("%-11s %11lld rows   %8.3f s  %8.3f s  %7.2f  (SVG %lld bytes)\n", "plot",
                divisions + 1, times.first, times.second, times.first / times.second, svg_bytes);
    std::remove(report.c_str());
    std::remove(picture.c_str());
}

// kansu table writing an explicit report of the given number of points to a
// file, against the dialogue writing the same report: the same bytes, and
// the command should be no slower. Both on one thread.
void Table_Row(long long points) {
    std::string table_report = work_dir + "/table.txt";
    std::string dialogue_report = work_dir + "/dialogue-report.txt";
    std::string formula = "sin(x)*exp(-x/10)+x^2";
    std::string range = "x(0,100)[" + std::to_string(points - 1) + "]";
    const char* argv[] = {"kansu",         "table",       "--threads", "1",
                          formula.c_str(), range.c_str(), "-o",        table_report.c_str()};
    int status = 1;
    Set_SweepThreads(1);
    auto table = [&] {
        std::remove(table_report.c_str());
        status = Run_ScriptCommand(8, argv, 1);
    };
    auto dialogue = [&] {
        std::remove(dialogue_report.c_str());
        Run_Mode(FnCalc_Explicit, formula + "\n" + range + "\n" + dialogue_report + "\n");
    };
    std::pair<double, double> times = Paired_Medians(table, dialogue);
    Check(status == 0 && Slurp(table_report) == Slurp(dialogue_report), "table");
    std::printf("%-11s %11lld points %8.3f s  %8.3f s  %7.2f\n", "table -o", points, times.first,
                times.second, times.first / times.second);
    std::remove(table_report.c_str());
    std::remove(dialogue_report.c_str());
}

// kansu roots --extrema over 10^6 divisions (a root or extremum every 1.6
// units, each narrowed to adjacent doubles), against the same search over a
// native function. gnuplot, bc and qalc have no search of a whole range.
void Roots_Row(int divisions) {
    const char* formula = "sin(x)*exp(-x/100)";
    std::string range = "x(0,1000)[" + std::to_string(divisions) + "]";
    const char* argv[] = {"kansu", "roots", "--extrema", formula, range.c_str()};
    ScriptOptions options = Parse_ScriptOptions(5, argv, 1);
    struct NativeF : SearchedFunction {
        bool Value(double x, double* value) override {
            *value = std::sin(x) * std::exp(-x / 100);
            return true;
        }
        bool Slope(double x, long double* slope) override {
            long double t = x;
            *slope = (std::cos(t) - std::sin(t) / 100) * std::exp(-t / 100);
            return true;
        }
    } native;
    std::ostringstream output;
    SearchResult floor;
    int status = 1;
    Set_ReportDigits(MAX_DIGITS);
    std::pair<double, double> times = Paired_Medians(
        [&] {
            output.str("");
            status = Run_Roots(options, output);
        },
        [&] {
            floor = Search_Range(native, SearchGrid{0, 1000, divisions}, true);
        });
    Set_ReportDigits(DEFAULT_DIGITS);
    std::istringstream lines(output.str());
    std::string line;
    size_t same = 0;
    for (size_t i = 0; std::getline(lines, line); ++i) {
        size_t tab = line.find('\t');
        if (i < floor.findings.size() && tab != std::string::npos &&
            std::strtod(line.c_str() + tab + 1, nullptr) == floor.findings[i].x)
            ++same;
    }
    Check(status == 0 && same == floor.findings.size() && !floor.findings.empty(), "roots");
    std::printf("%-11s %11d divisions %5zu found %6.3f s  %8.3f s  %7.2f\n", "roots", divisions,
                floor.findings.size(), times.first, times.second, times.first / times.second);
}

// ---- memory ----

// What one run of the kansu program cost: its largest resident set in KiB
// (-1 when it failed or cannot be measured) and its CPU and wall seconds.
struct ChildCost {
    long max_rss = -1;
    double cpu = 0.0;
    double wall = 0.0;
};

// Runs kansu with the arguments, standard input from input_path, standard
// output thrown away, and HOME and the state folder in the work folder.
ChildCost Run_Kansu(const std::vector<std::string>& arguments, const std::string& input_path) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(KANSU_BINARY));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::fflush(stdout);
    double start = Wall_Seconds();
    pid_t child = fork();
    if (child == 0) {
        if (std::freopen(input_path.c_str(), "r", stdin) == nullptr ||
            std::freopen("/dev/null", "w", stdout) == nullptr ||
            std::freopen("/dev/null", "w", stderr) == nullptr ||
            setenv("HOME", work_dir.c_str(), 1) != 0 ||
            setenv("XDG_STATE_HOME", work_dir.c_str(), 1) != 0)
            _exit(3);
        execv(KANSU_BINARY, argv.data());
        _exit(3);
    }
    int status = 0;
    struct rusage usage;
    ChildCost cost;
    if (child < 0 || wait4(child, &status, 0, &usage) != child || status != 0) return cost;
    cost.wall = Wall_Seconds() - start;
    cost.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    cost.max_rss = usage.ru_maxrss;
    return cost;
}

// Largest resident set of the kansu program writing a report through the
// dialogue (menu choice, then the mode's lines and the report's name), in KiB.
long Report_MaxRss(const std::string& choice_and_lines) {
    std::string dialogue = work_dir + "/dialogue.txt";
    std::string report = work_dir + "/rss.txt";
    std::remove(report.c_str());
    std::ofstream(dialogue) << choice_and_lines << report << "\n0\n";
    long rss = Run_Kansu({}, dialogue).max_rss;
    // Removed at once: the system then need not write the report out while
    // the rows after are timed.
    std::remove(report.c_str());
    return rss;
}

long Explicit_MaxRss(long long points) {
    return Report_MaxRss("1\nsin(x)*exp(-x/10)+x^2\nx(0,100)[" + std::to_string(points) + "]\n");
}

long Implicit_MaxRss(int divisions) {
    std::string n = std::to_string(divisions);
    return Report_MaxRss("2\nsin(x)*exp(-x/10)+x^2-y\nx(0,100)[" + n + "]\ny(0,10000)[" + n +
                         "]\n");
}

// A save file of count one-argument functions f0, f1, ... each defined as
// a0+a0+...+a0 with the given number of terms: what loading long
// definitions costs.
long long Write_LongDefinitions(const std::string& path, int count, int terms) {
    std::string body = "a0";
    for (int i = 1; i < terms; ++i) body += "+a0";
    std::ofstream out(path, std::ios::binary);
    out.write(UFUNC_FILE_ID, UFUNC_FILE_ID_SIZE);
    for (int i = 0; i < count; ++i)
        Write_Record(out, ("f" + std::to_string(i)).c_str(), 1, 8, body.c_str());
    out.close();
    std::error_code error;
    return static_cast<long long>(std::filesystem::file_size(path, error));
}

// One save file loaded by kansu eval --functions (calling f1) and by the
// dialogue's SetUfList with every definition.
struct LoadRow {
    int count;
    int terms;
    long long bytes;
    ChildCost eval;
    ChildCost dialogue;
};

LoadRow Load_Row(int count, int terms) {
    LoadRow row{count, terms, 0, {}, {}};
    std::string file = work_dir + "/long.dat";
    std::string dialogue = work_dir + "/load.txt";
    std::string empty = work_dir + "/empty.txt";
    row.bytes = Write_LongDefinitions(file, count, terms);
    std::ofstream(empty).close();
    std::ofstream(dialogue) << "-1\nSetUfList\n" << file << "\n1\n0\n2\n";
    row.eval = Run_Kansu({"eval", "f1(2)", "--functions", file}, empty);
    row.dialogue = Run_Kansu({}, dialogue);
    std::remove(file.c_str());
    std::remove(dialogue.c_str());
    std::remove(empty.c_str());
    return row;
}

// A load may take 4 times the file's size plus 10 MB; --functions on the
// largest file at most 20 MB and half a second, the dialogue 5 seconds (CPU).
void Print_LoadRow(const LoadRow& row, bool largest) {
    long bound = static_cast<long>(row.bytes * 4 / 1024) + 10 * 1024;
    for (int which = 0; which < 2; ++which) {
        const ChildCost& cost = which == 0 ? row.eval : row.dialogue;
        bool within = cost.max_rss >= 0 && cost.max_rss <= bound;
        if (largest && which == 0) within = within && cost.max_rss <= 20 * 1024 && cost.cpu < 0.5;
        if (largest && which == 1) within = within && cost.cpu < 5.0;
        Check(within, which == 0 ? "eval --functions" : "SetUfList");
        std::printf("%6d x %2d terms %10.2f MB  %-16s %9ld KiB %7.2f s %7.2f s  (bound %ld KiB)\n",
                    row.count, row.terms, static_cast<double>(row.bytes) / 1e6,
                    which == 0 ? "eval --functions" : "SetUfList, all", cost.max_rss, cost.cpu,
                    cost.wall, bound);
    }
}

}  // namespace

int main(int argc, char** argv) {
    quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    char pattern[] = "/tmp/kansu-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 2;
    work_dir = pattern;
    // Measured first: a child started by fork counts the parent's resident
    // set as its own peak, so the bench must still be small.
    long long small = quick ? 1000 : 10000;
    long long large = quick ? 100000 : 10000000;
    long small_rss = Explicit_MaxRss(small);
    long large_rss = Explicit_MaxRss(large);
    int grid = quick ? 300 : 3000;
    long implicit_rss = Implicit_MaxRss(grid);
    std::vector<LoadRow> loads;
    loads.push_back(Load_Row(2000, 80));
    loads.push_back(Load_Row(20000, 1));
    if (!quick) {
        loads.push_back(Load_Row(20000, 80));
        loads.push_back(Load_Row(400000, 80));
    }
    struct rusage own;
    getrusage(RUSAGE_SELF, &own);
    long own_rss = own.ru_maxrss;

    g_ufunc_list.AddUFncElem("g", -1, 1, 8, "a0+1");
    g_ufunc_list.AddUFncElem("f", -1, 1, 8, "a0*g(a0*2)");

    std::printf("CPU: %s, %ld online\n", Cpu_Model().c_str(), sysconf(_SC_NPROCESSORS_ONLN));
    int evaluations = quick ? 100000 : 2000000;
    std::printf("evaluator (median of %d)                  kansu/eval native/eval   ratio\n", RUNS);
    Evaluator_Row("f1", "sin(x)*exp(-x/10)+x^2", Native_F1, evaluations);
    Evaluator_Row("f2", "sigma[n(1,10),x^n/n]", Native_F2, evaluations / 4);
    Evaluator_Row("f3", "f(x)", Native_F3, evaluations);
    Evaluator_Row("f4", "3*x^2+2*x+1", Native_F4, evaluations);
    // The same formulas by the run loop, as where no machine code is made.
    Evaluator_Row("f1 run loop", "sin(x)*exp(-x/10)+x^2", Native_F1, evaluations, EVAL_INTERPRETED);
    Evaluator_Row("f3 run loop", "f(x)", Native_F3, evaluations, EVAL_INTERPRETED);
    Evaluator_Row("f4 run loop", "3*x^2+2*x+1", Native_F4, evaluations, EVAL_INTERPRETED);
    Sigma_Row(quick ? 1000000 : 100000000);
    Writer_Row(quick ? 100000 : 1000000);

    std::printf("\nreports (median of %d)                               kansu      floor   ratio\n",
                RUNS);
    // Quick sizes are still long enough for the threads to share them.
    for (int threads : {1, 2, 8}) {
        if (threads == 8 && !quick) continue;
        if (quick)
            Mode_Rows(40000, 200, 100, threads);
        else
            Mode_Rows(1000000, 2000, 1000, threads);
    }

    std::printf("\nkansu table (median of %d)                kansu table  dialogue   ratio\n",
                RUNS);
    Table_Row(quick ? 10000 : 1000000);

    std::printf("\nkansu roots (median of %d)           kansu roots  native search   ratio\n",
                RUNS);
    Roots_Row(quick ? 10000 : 1000000);

    std::printf("\nkansu plot (median of %d)                 kansu   read only   ratio\n", RUNS);
    Plot_Row(quick ? 10000 : 1000000);
    if (!quick) Plot_Row(10000000);

    std::printf(
        "\nmax RSS of kansu: %ld KiB at %lld points, %ld KiB at %lld points"
        " (the bench itself: %ld KiB)\n",
        small_rss, small, large_rss, large, own_rss);
    std::printf("max RSS of kansu: %ld KiB for an implicit report of %dx%d points\n", implicit_rss,
                grid + 1, grid + 1);
    std::printf("\nloading save files of long definitions         max RSS   CPU      wall\n");
    for (size_t i = 0; i < loads.size(); ++i)
        Print_LoadRow(loads[i], !quick && i + 1 == loads.size());

    // The children's state folder is in it too.
    std::error_code ignored;
    std::filesystem::remove_all(work_dir, ignored);
    g_ufunc_list.DeleteAllObject();
    std::printf(failures == 0 ? "rows agree\n" : "%d row sets differ\n", failures);
    return failures == 0 ? 0 : 1;
}
