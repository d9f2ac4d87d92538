// kansu table: for the same formulas, ranges and values, the report on
// standard output is the dialogue's report file byte for byte; --csv holds
// the same numbers; refused input ends with the dialogue's message on
// standard error and status 1, leaving a file given by -o as it was.
#include "mode_dialogue.h"
#include "process_watch.h"
#include "session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

// One run of a mode, typed in the dialogue and given on the command line.
struct TableCase {
    const char* what;
    int menu;                           // 1 explicit, 2 implicit, 3 polar, 4 parametric
    std::vector<std::string> formulas;  // as typed; quoted for the shell
    std::vector<std::string> ranges;    // an empty one is an empty line
    // Values in the order the dialogue asks them (a name asked twice: twice).
    std::vector<std::pair<std::string, std::string>> values;
    std::string options;  // given to both runs
};

const char* Mode_Option(int menu) {
    static const char* const OPTIONS[] = {"", "", "--implicit ", "--polar ", "--param "};
    return OPTIONS[menu];
}

std::string Typed(const TableCase& run) {
    std::string typed = std::to_string(run.menu) + "\n";
    for (const std::string& formula : run.formulas) typed += formula + "\n";
    for (const std::string& range : run.ranges) typed += range + "\n";
    for (const auto& value : run.values) typed += value.second + "\n";
    return typed + "out.txt\n0\n";
}

std::string Arguments(const TableCase& run) {
    std::string arguments = "table " + run.options + " " + Mode_Option(run.menu);
    for (const std::string& formula : run.formulas) arguments += "'" + formula + "' ";
    for (const std::string& range : run.ranges) arguments += "'" + range + "' ";
    for (const auto& value : run.values) arguments += value.first + "=" + value.second + " ";
    return arguments;
}

const std::vector<TableCase> CASES = {
    {"explicit x^2", 1, {"x^2"}, {"x(0,1)[4]"}, {}, ""},
    {"explicit with fixed values", 1, {"a*x+b"}, {"x(0,1)[3]"}, {{"a", "0.1"}, {"b", "0.3"}}, ""},
    {"explicit, nothing varies", 1, {"a*x+b"}, {""}, {{"a", "2"}, {"b", "1"}, {"x", "3"}}, ""},
    {"explicit sum, 12 digits", 1, {"sigma[n(1,3),x^n]/3"}, {"x(0,1)[3]"}, {}, "--digits 12"},
    {"explicit on threads", 1, {"sin(x)/3"}, {"x(0,1)[30000]"}, {}, "--threads 2"},
    {"polar", 3, {"tht"}, {"tht(0,2)[2]"}, {}, ""},
    {"polar with a value", 3, {"a*tht"}, {"tht(0,1)[5]"}, {{"a", "0.1"}}, ""},
    {"polar, angle absent", 3, {"2"}, {"phi(0,1)[1]"}, {}, ""},
    {"parametric", 4, {"cos(t)", "sin(t)"}, {"t(0,1)[4]"}, {}, ""},
    {"parametric, a in both", 4, {"a*t", "a"}, {"t(0,1)[2]"}, {{"a", "0.3"}, {"a", "0.3"}}, ""},
    {"parametric, no parameter", 4, {"a", "b"}, {""}, {{"a", "0.5"}, {"b", "0.25"}}, ""},
    {"implicit circle", 2, {"x^2+y^2-1"}, {"x(-1,1)[4]", "y(-1,1)[2]"}, {}, ""},
    {"implicit, x only", 2, {"x-2"}, {"x(0,4)[4]", ""}, {}, ""},
    {"implicit with r", 2, {"x^2+y^2-r"}, {"x(-1,1)[8]", "y(-1,1)[4]"}, {{"r", "0.5"}}, ""},
};

TEST(TableScenario, ReportIsTheDialoguesFile) {
    for (const TableCase& run : CASES) {
        SCOPED_TRACE(run.what);
        Session dialogue;
        ASSERT_EQ(dialogue.RunWithArguments(run.options, Typed(run)).exit_status, 0);
        std::string report = dialogue.ReadFile("out.txt");
        ASSERT_FALSE(report.empty());
        Session command;
        SessionResult result = command.RunWithArguments(Arguments(run), "");
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_EQ(result.error_output, "");
        EXPECT_EQ(result.output, report);
        // -o appends the same report, twice for two runs.
        command.RunWithArguments(Arguments(run) + " -o out.txt", "");
        command.RunWithArguments(Arguments(run) + " -o out.txt", "");
        EXPECT_EQ(command.ReadFile("out.txt"), report + report);
    }
}

// The fields of CSV text: each line split at its commas.
std::vector<std::vector<std::string>> Csv_Fields(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : Lines(UnixText(text))) {
        rows.emplace_back();
        size_t start = 0;
        for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
            rows.back().push_back(line.substr(start, comma - start));
        rows.back().push_back(line.substr(start));
    }
    return rows;
}

// The rows of a report after its column titles, split at their tabs.
std::vector<std::vector<std::string>> Report_Rows(const std::string& report) {
    std::vector<std::string> lines = Lines(UnixText(Utf8(report)));
    size_t titles = 0;
    while (titles < lines.size() && lines[titles].find("-----関") == std::string::npos) ++titles;
    std::vector<std::vector<std::string>> rows;
    for (size_t i = titles + 2; i < lines.size(); ++i) {
        std::string fields = lines[i];
        for (char& letter : fields)
            if (letter == '\t') letter = ',';
        rows.push_back(Csv_Fields(fields)[0]);
    }
    return rows;
}

TEST(TableScenario, CsvHoldsTheReportsNumbers) {
    struct CsvCase {
        size_t table_case;
        std::string header;
        std::vector<size_t> columns;  // the report column of each CSV column
    };
    const std::vector<CsvCase> csv_cases = {{1, "x,y", {0, 1}},
                                            {6, "theta,r,x,y", {1, 0, 2, 3}},
                                            {9, "t,x,y", {0, 1, 2}},
                                            {13, "x,y", {0, 1}}};
    for (const CsvCase& csv : csv_cases) {
        const TableCase& run = CASES[csv.table_case];
        SCOPED_TRACE(run.what);
        Session session;
        std::string report = session.RunWithArguments(Arguments(run), "").output;
        SessionResult result = session.RunWithArguments(Arguments(run) + " --csv", "");
        EXPECT_EQ(result.exit_status, 0);
        std::vector<std::vector<std::string>> fields = Csv_Fields(result.output);
        std::vector<std::vector<std::string>> rows = Report_Rows(report);
        ASSERT_EQ(fields.size(), rows.size() + 1);
        EXPECT_EQ(Lines(UnixText(result.output))[0], csv.header);
        for (size_t i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(fields[i + 1].size(), csv.columns.size());
            for (size_t column = 0; column < csv.columns.size(); ++column) {
                const std::string& number = fields[i + 1][column];
                char* end = nullptr;
                std::strtod(number.c_str(), &end);
                EXPECT_TRUE(!number.empty() && *end == '\0') << number;
                EXPECT_EQ(number, rows[i][csv.columns[column]]);
            }
        }
        for (char letter : result.output) EXPECT_TRUE(static_cast<unsigned char>(letter) < 0x80);
    }
}

struct ErrorCase {
    const char* what;
    std::string arguments;
    int status;
    std::string error_output;  // UTF-8; empty: only the status and silence on stdout are checked
};

const std::string kEvaluationError = "関数計算中にエラーが発生しました\n";
const std::string kSaveFileRefused =
    "kansu: -o のファイルはユーザ定義関数の保存ファイルです (書き込みません) / -o names a save "
    "file, which is never written: ";

const std::string kUsageStart = "使い方 / Usage: kansu [--utf8 | --cp932] table";

TEST(TableScenario, RefusalsEndWithTheDialoguesMessage) {
    const std::vector<ErrorCase> cases = {
        {"malformed formula", "table 'x+*2' 'x(0,1)'", 1,
         "これは式になってないぞ！プンプン\nおかしいところはx+*…なんです。\n"},
        {"range name absent", "table 'x^2' 'y(0,1)'", 1, "そんな変数名は存在しません。\n"},
        // Each way a range is split wrongly: RangeOnTheCommandLine.SplitsAtTheOuterPunctuation.
        {"malformed range", "table 'x^2' 'x(0,1'", 1, kRangeError},
        {"a count below 1", "table 'x^2' 'x(0,1)[-3]'", 1, kRangeError},
        {"a count of 0", "table --polar tht 'tht(0,1)[0.9]'", 1, kRangeError},
        {"a bound beyond the doubles", "table x 'x(-1e309,1)'", 1, kRangeError},
        {"a bound not a number", "table x 'x(0,sqrt(-1))'", 1, kRangeError},
        {"a bound with an unknown name", "table x 'x(0,y)'", 1, kRangeError},
        {"a y bound beyond the doubles", "table --implicit x+y '' 'y(0,2e308)'", 1, kRangeError},
        {"an empty bound", "table --param t t 't(,1)'", 1, kRangeError},
        {"no angle", "table --polar tht ''", 1, "変数が指定されていません\n"},
        {"implicit without variables", "table --implicit 2 'x(0,1)' ''", 1,
         "独立変数と従属変数に設定できる変数がないので計算できません\n"},
        {"implicit, none named", "table --implicit x '' ''", 1,
         "独立変数,従属変数ともに指定されていないので計算できません\n"},
        {"implicit name absent", "table --implicit x 'x(0,1)' 'y(0,1)'", 1,
         "この変数は与式に存在していません.\n"},
        {"implicit, one name twice", "table --implicit x^2+y^2-1 'x(-1,1)[4]' 'x(-1,1)[4]' y=0", 1,
         "独立変数と従属変数には、別々の変数を指定してください\n"},
        {"a value missing", "table 'a*x' 'x(0,1)'", 1,
         "kansu: 値が与えられていない変数です / no value given for the variable: a\n"},
        {"a value not a number", "table 'a*x' 'x(0,1)' a=0.1x", 1,
         "kansu: 変数の値が数値ではありません / the value is not a number: a=0.1x\n"},
        {"a value beyond the doubles", "table 'a*x' 'x(0,1)' a=1e309", 1,
         "kansu: 変数の値が数値ではありません / the value is not a number: a=1e309\n"},
        {"an unknown function", "table 'hyp(x,1)' 'x(0,1)'", 1,
         "kansu: hyp: 組み込み関数にもユーザ定義関数にもありません。--functions FILE か --define "
         "で定義してください / no such built-in or user function; --functions FILE or --define\n"},
        {"evaluation fails", "table 'sigma[n(1,1e10),n]+x' 'x(0,1)'", 1,
         "関数計算中にエラーが発生しました\n"},
        {"csv without a table", "table --csv 'a' '' a=1", 1,
         "kansu table: 値が変化する変数がないので CSV の表がありません / --csv: no variable "
         "varies, so there is no table\n"},
        {"a range missing", "table 'x^2'", 2, ""},
        {"one text too many", "table 'x' 'x(0,1)' 'y'", 2, ""},
        {"unknown option", "table --bogus 'x' 'x(0,1)'", 2, ""},
        {"plot with csv", "table --plot --csv 'x' 'x(0,1)'", 2, ""},
    };
    for (const ErrorCase& error : cases) {
        SCOPED_TRACE(error.what);
        Session session;
        session.WriteFile("out.txt", "kept\n");
        SessionResult result = session.RunWithArguments(error.arguments + " -o out.txt", "");
        EXPECT_EQ(result.exit_status, error.status);
        EXPECT_EQ(result.output, "");
        EXPECT_EQ(session.ReadFile("out.txt"), "kept\n");
        if (!error.error_output.empty())
            EXPECT_TRUE(SameText(error.error_output, result.error_output));
        else
            EXPECT_NE(Utf8(result.error_output).find(kUsageStart), std::string::npos);
    }
}

// Constant bounds and values: each table is its plainly written twin's.
TEST(TableScenario, ConstantBoundsAndValues) {
    const std::vector<std::pair<std::string, std::string>> twins = {
        {"table --digits 17 'sin(t)' 't(0,2*pi)[6]'",
         "table --digits 17 'sin(t)' 't(0,6.283185307179586)[6]'"},
        {"table --csv 'a*x' 'x(-sqrt(2),sqrt(2))[3]' a=1/3",
         "table --csv '0.3333333333333333*x' 'x(-1.4142135623730951,1.4142135623730951)[3]'"},
        {"table --csv 'x' 'x(log(2,8)/10,L)[3]' L=e",
         "table --csv 'x' 'x(0.3,2.718281828459045)[3]'"},
        {"table --csv 'hyp(x,0.1)' 'x(0,1)[3]' --define 'hyp(a0,a1)=sqrt(a0^2+a1^2)'",
         "table --csv 'sqrt(x^2+0.1^2)' 'x(0,1)[3]'"},
    };
    Check_Twins(twins, Report_Rows);
}

// What a run that does not finish (the file-size limit: after some rows)
// leaves of its output file: an old one as it was, its bytes and times, a new one
// removed; a save file is never written; a link that points nowhere stays,
// with no target made. A file that cannot be written is named with the reason.
TEST(TableScenario, AFailedRunLeavesTheFilesAsTheyWere) {
    if (WindowsProgram()) GTEST_SKIP() << "links, times and ulimit are POSIX here";
    const std::string save_file("QVRLX10\x19\0\0\0\2\0\0\0f\0\1\0\x08\0\x08\0\5\0\0\0a0*2\0", 32);
    const char* failing = "table 'sigma[n(1,1e12),x]' 'x(0,1)[3]' -o ";
    const std::string cannot_write = "kansu: ファイルに書き込めません / cannot write the file: ";
    struct KeptCase {
        const char* what;
        std::string shell_words;  // before the program, in its shell
        std::string arguments;
        int status;
        std::string told;  // UTF-8; empty: something is said
    } cases[] = {
        {"evaluation fails", "", failing + std::string("out.txt"), 1, kEvaluationError},
        {"evaluation fails, a new file", "", failing + std::string("new.txt"), 1, kEvaluationError},
        {"file-size limit", "ulimit -f 8;", "table x 'x(0,1)[100000]' -o out.txt", 1, ""},
        {"file-size limit, a new file", "ulimit -f 8;", "table x 'x(0,1)[100000]' -o new.txt", 1,
         ""},
        {"-o in no folder", "", "table x 'x(0,1)[2]' -o missing/a.txt", 1,
         cannot_write + "missing/a.txt: No such file or directory\n"},
        {"-o a folder", "", "table x 'x(0,1)[2]' -o .", 1,
         cannot_write + ".: 通常のファイルではありません / not a regular file\n"},
        {"-o the --functions file", "", "table 'f(x)' 'x(0,1)[2]' --functions f.dat -o f.dat", 2,
         kSaveFileRefused + "f.dat\n"},
        {"-o a save file", "", "table x 'x(0,1)[2]' -o f.dat", 2, kSaveFileRefused + "f.dat\n"},
        {"-o a link to nowhere", "", failing + std::string("link.txt"), 1, kEvaluationError},
    };
    for (const KeptCase& c : cases) {
        SCOPED_TRACE(c.what);
        Session session;
        session.WriteFile("out.txt", "kept\n");
        session.WriteFile("f.dat", save_file);
        ASSERT_EQ(symlink("target.txt", session.Path("link.txt").c_str()), 0);
        const struct timespec old_times[2] = {{978307200, 100}, {978307200, 200}};  // 2001
        ASSERT_EQ(utimensat(AT_FDCWD, session.Path("out.txt").c_str(), old_times, 0), 0);
        SessionResult result = session.RunAfterShellWords(c.shell_words, c.arguments);
        EXPECT_EQ(result.exit_status, c.status);
        EXPECT_EQ(result.output, "");
        if (c.told.empty()) {
            EXPECT_NE(result.error_output, "");
        } else {
            EXPECT_TRUE(SameText(c.told, result.error_output));
        }
        struct stat kept;  // before the file is read here
        ASSERT_EQ(stat(session.Path("out.txt").c_str(), &kept), 0);
        EXPECT_EQ(kept.st_mtim.tv_sec, 978307200);
        EXPECT_EQ(kept.st_mtim.tv_nsec, 200);
        EXPECT_EQ(kept.st_atim.tv_nsec, 100);
        EXPECT_EQ(session.ReadFile("out.txt"), "kept\n");
        EXPECT_EQ(session.ReadFile("f.dat"), save_file);
        EXPECT_FALSE(session.Exists("target.txt"));
        EXPECT_FALSE(session.Exists("new.txt"));
        EXPECT_EQ(lstat(session.Path("link.txt").c_str(), &kept), 0);
    }
}

const char* const kLongTable[] = {"table", "sigma[n(1,200),sin(n*x)]", "x(0,1)[1000000]", "-o",
                                  "out.txt"};

// TERM, INT, HUP and QUIT while a report of 10^6 points is written: the file
// is cut back to what it held (a new one removed), which is said, and the
// status is 128 + the signal.
TEST(TableScenario, SignalsGiveTheFileBack) {
    if (WindowsProgram()) GTEST_SKIP() << "signals are sent to the native binary only";
    for (int signal_number : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
        for (bool existed : {true, false}) {
            SCOPED_TRACE(std::to_string(signal_number) + (existed ? " existing" : " new"));
            Session session;
            if (existed) session.WriteFile("out.txt", "kept\n");
            pid_t pid =
                StartProgram(session.Dir(), {std::begin(kLongTable), std::end(kLongTable)}, "long");
            ASSERT_TRUE(WaitUntil([&] { return FileSize(session.Path("out.txt")) > 5; }, "rows"));
            kill(pid, signal_number);
            int status = WaitForExit(pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal_number) << status;
            EXPECT_EQ(FileSize(session.Path("out.txt")), existed ? 5 : -1);
            EXPECT_EQ(session.ReadFile("out.txt"), existed ? "kept\n" : "");
            std::string number = std::to_string(signal_number);
            EXPECT_TRUE(SameText("kansu: シグナル " + number +
                                     " を受けたので中断しました / ended by signal " + number +
                                     ": 元のままのファイル / the file is as it was: out.txt\n",
                                 session.ReadFile("long.err")));
        }
    }
}

// Runs appending to one report take turns: one waits, saying so after a
// second, while another holds the report's lock; a run that fails meanwhile
// takes away none of the others' rows, in 30 rounds of three runs at once.
TEST(TableScenario, RunsAppendingToOneFileTakeTurns) {
    if (WindowsProgram()) GTEST_SKIP() << "flock and fork are POSIX here";
    Session session;
    std::string short_report = session.RunWithArguments("table 'x/3' 'x(0,1)[3]'", "").output;
    session.WriteFile("out.txt", "kept\n");
    // Not inherited by the runs started below: they would hold the lock too.
    int held = open(session.Path("out.txt").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    pid_t waiting =
        StartProgram(session.Dir(), {"table", "x/3", "x(0,1)[3]", "-o", "out.txt"}, "w");
    const std::string word = Cp932("ほかの kansu が書き込み中なので、終わるまで待ちます");
    ASSERT_TRUE(WaitUntil([&] { return session.ReadFile("w.err").find(word) != std::string::npos; },
                          "the word"));
    EXPECT_EQ(session.ReadFile("out.txt"), "kept\n");
    close(held);
    EXPECT_EQ(WaitForExit(waiting), 0);
    EXPECT_EQ(session.ReadFile("out.txt"), "kept\n" + short_report);

    std::string long_report =
        session.RunWithArguments("table 'sigma[n(1,20),sin(n*x)]' 'x(0,1)[100000]'", "").output;
    session.WriteFile("dialogue.txt", Cp932("1\nx/3\nx(0,1)[3]\nout.txt\n0\n"));
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        session.WriteFile("out.txt", "kept\n");
        pid_t writer = StartProgram(
            session.Dir(), {"table", "sigma[n(1,20),sin(n*x)]", "x(0,1)[100000]", "-o", "out.txt"},
            "a");
        ASSERT_TRUE(WaitUntil([&] { return FileSize(session.Path("out.txt")) > 5; }, "rows"));
        pid_t failing = StartProgram(
            session.Dir(), {"table", "sigma[n(1,1e12),x]", "x(0,1)[3]", "-o", "out.txt"}, "b");
        // A dialogue in every other round: it takes the same lock.
        pid_t other =
            round % 2 == 0
                ? StartProgram(session.Dir(), {"table", "x/3", "x(0,1)[3]", "-o", "out.txt"}, "c")
                : StartProgram(session.Dir(), {}, "c", "dialogue.txt");
        EXPECT_EQ(WaitForExit(writer), 0);
        EXPECT_EQ(WEXITSTATUS(WaitForExit(failing)), 1);
        EXPECT_EQ(WaitForExit(other), 0);
        std::string written = session.ReadFile("out.txt");
        ASSERT_EQ(written.size(), 5 + long_report.size() + short_report.size());
        ASSERT_TRUE(written == "kept\n" + long_report + short_report);
    }
}

// A report appended to a file keeps the encoding of the Japanese text the
// file holds, and says so when that is not the console's.
TEST(TableScenario, AppendedReportKeepsTheFilesEncoding) {
    // The console's encoding here comes from the locale, which Windows does not read.
    if (WindowsProgram()) GTEST_SKIP() << "the code page decides on Windows";
    struct EncodingCase {
        const char* what;
        std::string before;  // the file's bytes before the run (UTF-8 text)
        int before_text;     // 0 ASCII only, 1 UTF-8, 2 code page 932
        std::string environment;
    };
    const std::vector<EncodingCase> cases = {
        {"cp932 report, UTF-8 locale", kThirdsReport, 2, "LANG=C.UTF-8"},
        {"UTF-8 report, other locale", kThirdsReport, 1, "LANG=C"},
        {"cp932 report, cp932 locale", kThirdsReport, 2, "LANG=C"},
        {"UTF-8 report, UTF-8 locale", kThirdsReport, 1, "LC_CTYPE=C.UTF-8"},
        {"ASCII notes", "notes\n1\t2\n", 0, "LANG=C.UTF-8"},
        {"ASCII notes, other locale", "notes\n1\t2\n", 0, "LANG=C"},
        {"UTF-8 notes", "notes\nメモ\n", 1, "LANG=C"},
        {"cp932 notes after ASCII", std::string(70000, '#') + "\nメモ\n", 2, "LANG=C.UTF-8"},
    };
    for (const EncodingCase& c : cases) {
        SCOPED_TRACE(c.what);
        bool console_utf8 = Utf8Run() || c.environment.find("UTF-8") != std::string::npos;
        bool file_utf8 = c.before_text == 0 ? console_utf8 : c.before_text == 1;
        Session session;
        std::string before = c.before_text == 2 ? Cp932Always(c.before) : c.before;
        session.WriteFile("r.txt", before);
        SessionResult result =
            session.RunWithEnvironment(c.environment, "table x/3 'x(0,1)[1]' -o r.txt", "", true);
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_EQ(session.ReadFile("r.txt"), before + Encoded(kThirdsReport, file_utf8));
        std::string told =
            c.before_text == 0 || file_utf8 == console_utf8 ? ""
            : file_utf8
                ? "kansu table: r.txt は UTF-8 のファイルなので、計算結果も UTF-8 で追記します"
                  " / r.txt is in UTF-8, so the report is appended in UTF-8 too\n"
                : "kansu table: r.txt はコードページ 932 (シフトJIS) のファイルなので、計算結果も"
                  "コードページ 932 で追記します / r.txt is in code page 932, so the report is "
                  "appended in code page 932 too\n";
        EXPECT_EQ(result.error_output, Encoded(told, console_utf8));
    }
    // A failure while appending in the file's encoding is told in the console's.
    Session session;
    session.WriteFile("r.txt", Cp932Always(kThirdsReport));
    SessionResult result = session.RunWithEnvironment(
        "LANG=C.UTF-8", "table 'sigma[n(1,1e10),n]+x' 'x(0,1)' -o r.txt", "", true);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(session.ReadFile("r.txt"), Cp932Always(kThirdsReport));
    std::string failed = "関数計算中にエラーが発生しました\n";
    EXPECT_NE(result.error_output.find(Encoded(failed, true)), std::string::npos);
}

// CSV appended: the header only at the top of a new or empty file.
TEST(TableScenario, CsvHeaderOnlyAtTheTop) {
    Session session;
    session.WriteFile("empty.csv", "");
    const std::string csv = "table --csv x/3 'x(0,1)[1]' -o ";
    for (const char* file : {"new.csv", "new.csv", "empty.csv"})
        ASSERT_EQ(session.RunWithArguments(csv + file, "").exit_status, 0) << file;
    std::string rows = "0,0\n1,0.333333\n";
    EXPECT_EQ(UnixText(session.ReadFile("new.csv")), "x,y\n" + rows + rows);
    EXPECT_EQ(UnixText(session.ReadFile("empty.csv")), "x,y\n" + rows);
}

}  // namespace
