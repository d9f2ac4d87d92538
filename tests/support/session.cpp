#include "session.h"

#include <dirent.h>
#include <iconv.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {
const char* const kInputFile = ".kansu-stdin";
const char* const kOutputFile = ".kansu-stdout";
const char* const kErrorFile = ".kansu-stderr";

std::string Convert(const std::string& text, const char* from, const char* to) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
    std::string result;
    std::string input = text;
    char* in_ptr = &input[0];
    size_t in_left = input.size();
    char buffer[4096];
    while (in_left > 0) {
        char* out_ptr = buffer;
        size_t out_left = sizeof buffer;
        size_t rc = iconv(converter, &in_ptr, &in_left, &out_ptr, &out_left);
        result.append(buffer, out_ptr - buffer);
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            // Not convertible: keep the byte as it is so that a diff can still show it.
            result.push_back(*in_ptr);
            ++in_ptr;
            --in_left;
        }
    }
    iconv_close(converter);
    return result;
}

// Quoted for the shell's single quotes.
std::string ShellQuoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The command line that starts the program, without redirections.
std::string ProgramCommand() {
    const char* command = std::getenv("KANSU_COMMAND");
    if (command != nullptr && *command != '\0') return command;
    return ShellQuoted(KANSU_BINARY);
}

}  // namespace

// Scenario programs run a second time with KANSU_TEST_UTF8 set: kansu is then
// started with --utf8 and the UTF-8 expectations and typed text are used as
// they are, so that both encodings are held to the same texts.
bool Utf8Run() {
    const char* flag = std::getenv("KANSU_TEST_UTF8");
    return flag != nullptr && flag[0] != '\0';
}

std::string KansuBinary() { return KANSU_BINARY; }

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string Read_WholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string Cp932(const std::string& utf8) {
    return Utf8Run() ? utf8 : Convert(utf8, "UTF-8", "CP932");
}
std::string Utf8(const std::string& cp932) {
    return Utf8Run() ? cp932 : Convert(cp932, "CP932", "UTF-8");
}
std::string Cp932Always(const std::string& utf8) { return Convert(utf8, "UTF-8", "CP932"); }

bool WindowsProgram() {
    const char* windows = std::getenv("KANSU_WINDOWS");
    return windows != nullptr && std::string(windows) == "1";
}

std::string PlatformText(const std::string& text) {
    if (!WindowsProgram()) return text;
    std::string converted;
    for (char c : text) {
        if (c == '\n') converted += '\r';
        converted += c;
    }
    return converted;
}

std::string UnixText(const std::string& platform_text) {
    if (!WindowsProgram()) return platform_text;
    std::string converted;
    for (size_t i = 0; i < platform_text.size(); ++i) {
        if (platform_text.compare(i, 2, "\r\n") == 0) continue;  // the LF is kept next
        bool after_cr = i > 0 && platform_text[i - 1] == '\r';
        if (platform_text[i] == '\n' && !after_cr)
            ADD_FAILURE() << "line feed without carriage return at byte " << i;
        converted += platform_text[i];
    }
    return converted;
}

::testing::AssertionResult SameText(const std::string& expected_utf8,
                                    const std::string& actual_cp932) {
    std::string expected = PlatformText(Cp932(expected_utf8));
    if (expected == actual_cp932) return ::testing::AssertionSuccess();
    size_t offset = 0;
    while (offset < expected.size() && offset < actual_cp932.size() &&
           expected[offset] == actual_cp932[offset])
        ++offset;
    size_t line_start = expected.rfind('\n', offset == 0 ? 0 : offset - 1);
    line_start = line_start == std::string::npos ? 0 : line_start + 1;
    return ::testing::AssertionFailure()
           << "texts differ at byte " << offset << " (line starting at byte " << line_start
           << ")\n--- expected ---\n"
           << Utf8(expected) << "\n--- actual ---\n"
           << Utf8(actual_cp932) << "\n--- expected from there ---\n"
           << Utf8(expected.substr(line_start, 200)) << "\n--- actual from there ---\n"
           << Utf8(actual_cp932.substr(line_start, 200));
}

std::string HelpScreen() {
    const std::string rule = "+++++++++++++++++++++++++++++++++++++++++++++++++\n";
    return "\n" + rule +
           "現在使用できる関数と演算子は以下の通りです。\n"
           "sin    :sin関数(三角関数)        例sin(x)\n"
           "cos    :cos関数(三角関数)        例cos(x)\n"
           "tan    :tan関数(三角関数)        例tan(x)\n"
           "exp    :自然対数の底eの指数関数   例exp(x)\n"
           "log10  :底が10の対数関数          例log10(x)\n"
           "ln     :底がeの対数関数           例ln(x)\n"
           "abs    :絶対値                   例abs(x)\n"
           "sqrt   :√                       例sqrt(x)\n"
           "log    :底が任意の対数関数        例log(5,x)\n"
           "+ :和  - :差  * :積  / :除  ^ :累乗(例2^3)\n" +
           rule +
           "その他の計算\n"
           "sigma   :総和(Σ)の計算           例sigma[ n(1,10) ,n^2]\n\n";
}

std::string MenuText() {
    return "入力スタイルを選んで下さい\n"
           "陽関数           :1\n"
           "陰関数           :2\n"
           "極座標表示        :3\n"
           "媒介変数         :4\n"
           "演算子・関数表示  :5\n"
           "終了             :0\n";
}

std::string ClosingRule() { return "\n+++++++++++++++++++++++++++++++++++++++++++++++++\n"; }

std::string Make_ScratchDir(const std::string& stem) {
    std::string pattern = "/tmp/" + stem + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return name.data();
}

Session::Session() : dir_(Make_ScratchDir("kansu-test")) {}

Session::~Session() {
    std::string command = "rm -rf '" + dir_ + "'";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << "could not remove " << dir_;
}

SessionResult Session::Run(const std::string& typed_utf8) {
    WriteFile(kInputFile, Cp932(typed_utf8));
    return Launch(std::string("< ") + kInputFile);
}

SessionResult Session::RunClosedInput() { return Launch("<&-"); }

SessionResult Session::RunWithArguments(const std::string& arguments,
                                        const std::string& typed_utf8) {
    WriteFile(kInputFile, Cp932(typed_utf8));
    return Launch(std::string("< ") + kInputFile, arguments, false);
}

SessionResult Session::RunWithEnvironment(const std::string& assignments,
                                          const std::string& arguments,
                                          const std::string& typed_utf8,
                                          bool error_output_returned) {
    WriteFile(kInputFile, Cp932(typed_utf8));
    return Launch(std::string("< ") + kInputFile, arguments, !error_output_returned, assignments);
}

SessionResult Session::RunAfterShellWords(const std::string& shell_words,
                                          const std::string& arguments,
                                          const std::string& typed_utf8) {
    WriteFile(kInputFile, Cp932(typed_utf8));
    return Launch(std::string("< ") + kInputFile, arguments, false, "", shell_words);
}

std::string ProgramCommandLine() { return ProgramCommand(); }

namespace {
// The Windows program keeps its recovery files in its user's local application
// data, which Wine shares between runs: around each run that folder holds
// exactly the session's .kansu-state/kansu, and what the run left there goes
// back into the session. So no run sees another session's files.
std::string WithWindowsStateFolder(const std::string& run) {
    if (!WindowsProgram()) return run;
    const std::string folder = "\"$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/kansu\"";
    return "{ rm -rf " + folder + " && mkdir -p " + folder +
           " && { [ ! -d .kansu-state/kansu ] || cp -a .kansu-state/kansu/. " + folder + "/; }; " +
           run + "; status=$?; rm -rf .kansu-state/kansu && mkdir -p .kansu-state && cp -a " +
           folder + " .kansu-state/kansu && rm -rf " + folder + "; exit $status; }";
}
}  // namespace

SessionResult Session::Launch(const std::string& input_redirect, const std::string& arguments,
                              bool quiet_error_output, const std::string& assignments,
                              const std::string& shell_words) {
    // Recovery files and their notice stay inside the session's folder; an
    // encoding, locale or evaluator chosen in the tester's environment
    // changes no expectation (a test sets the locale it needs).
    std::string run =
        "env -u KANSU_ENCODING -u KANSU_MACHINE_CODE -u LC_ALL -u LC_CTYPE -u LANG "
        "XDG_STATE_HOME=" +
        ShellQuoted(dir_ + "/.kansu-state") + " " + assignments + " timeout 60 " +
        ProgramCommand() + " " + (Utf8Run() ? "--utf8 " : "") + arguments + " " + input_redirect +
        " > " + kOutputFile + " 2> " + kErrorFile;
    std::string command =
        "cd " + ShellQuoted(dir_) + " && " + shell_words + " " + WithWindowsStateFolder(run);
    int status = std::system(command.c_str());
    SessionResult result;
    result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.output = ReadFile(kOutputFile);
    result.error_output = ReadFile(kErrorFile);
    std::remove(Path(kInputFile).c_str());
    std::remove(Path(kOutputFile).c_str());
    std::remove(Path(kErrorFile).c_str());
    if (quiet_error_output) {
        EXPECT_EQ(result.error_output, "") << "kansu wrote to standard error";
    }
    return result;
}

std::string Session::Path(const std::string& name) const { return dir_ + "/" + name; }

void Session::WriteFile(const std::string& name, const std::string& bytes) const {
    std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + name);
}

std::string Session::ReadFile(const std::string& name) const { return Read_WholeFile(Path(name)); }

bool Session::Exists(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return in.is_open();
}

std::vector<std::string> Sorted_FileNames(const std::string& dir) {
    std::vector<std::string> names;
    DIR* directory = opendir(dir.c_str());
    if (directory == nullptr) return names;
    while (dirent* entry = readdir(directory)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Session::RecoveryFiles() const {
    const std::string folder = Path(".kansu-state/kansu");
    std::vector<std::string> paths;
    for (const std::string& name : Sorted_FileNames(folder))
        if (name.rfind("kansu-recovery-", 0) == 0) paths.push_back(folder + "/" + name);
    return paths;
}

std::vector<std::string> Session::Files() const {
    std::vector<std::string> names = Sorted_FileNames(dir_);
    names.erase(
        std::remove_if(names.begin(), names.end(),
                       [](const std::string& name) { return name.rfind(".kansu-", 0) == 0; }),
        names.end());
    return names;
}
