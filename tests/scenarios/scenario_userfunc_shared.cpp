// Several runs of the real program on one save file at once, and the signals
// that end a run with unsaved functions.
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "files/safefile.h"
#include "process_watch.h"
#include "userfunc/savefile.h"
#include "session.h"
#include "userfunc_dialogue.h"

namespace {
using namespace userfunc_test;

// One run of the program in a folder, typed to as the test goes on.
class LiveRun {
public:
    // prefix goes before the program's command (e.g. setpriv, to run as another user).
    LiveRun(const std::string& dir, const std::string& name, const std::string& prefix = "")
        : output_(dir + "/.kansu-" + name + ".out"),
          errors_(dir + "/.kansu-" + name + ".err"),
          prefix_(prefix) {
        signal(SIGPIPE, SIG_IGN);  // a run that ended early fails the test, not the program
        int ends[2];
        if (pipe(ends) != 0) return;
        pid_ = fork();
        if (pid_ == 0) Start_Child(dir, ends);
        close(ends[0]);
        input_ = ends[1];
    }
    ~LiveRun() {
        if (input_ >= 0) close(input_);
        if (pid_ > 0 && !ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    LiveRun(const LiveRun&) = delete;
    LiveRun& operator=(const LiveRun&) = delete;

    void Type(const std::string& utf8) {
        std::string bytes = Cp932(utf8);
        for (size_t done = 0; done < bytes.size() && input_ >= 0;) {
            ssize_t count = write(input_, bytes.data() + done, bytes.size() - done);
            if (count <= 0) return;
            done += static_cast<size_t>(count);
        }
    }
    void EndInput() {
        close(input_);
        input_ = -1;
    }
    // Whether the output came to hold text (UTF-8) count times within seconds.
    bool WaitFor(const std::string& utf8, size_t count, double seconds) {
        std::string wanted = Cp932(PlatformText(utf8));
        auto deadline = Deadline(seconds);
        while (Occurrences(Output(), wanted) < count) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }
    void Signal(int signal_number) { kill(pid_, signal_number); }
    pid_t Pid() const { return pid_; }
    // The wait status, or -1 when the run did not end within seconds.
    int Wait(double seconds) {
        auto deadline = Deadline(seconds);
        for (;;) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                ended_ = true;
                return status;
            }
            if (std::chrono::steady_clock::now() > deadline) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    std::string Output() const { return Read_WholeFile(output_); }
    std::string Errors() const { return Read_WholeFile(errors_); }

private:
    static std::chrono::steady_clock::time_point Deadline(double seconds) {
        return std::chrono::steady_clock::now() +
               std::chrono::milliseconds(static_cast<long>(seconds * 1000));
    }
    [[noreturn]] void Start_Child(const std::string& dir, int ends[2]) {
        dup2(ends[0], 0);
        close(ends[0]);
        close(ends[1]);
        int out = open(output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errors_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(dir.c_str()) != 0)
            _exit(127);
        setenv("XDG_STATE_HOME", (dir + "/.kansu-state").c_str(), 1);
        std::string command =
            "exec " + prefix_ + " " + ProgramCommandLine() + (Utf8Run() ? " --utf8" : "");
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }

    std::string output_;
    std::string errors_;
    std::string prefix_;
    pid_t pid_ = -1;
    int input_ = -1;
    bool ended_ = false;
};

// ---- Signals ----

TEST(SignalScenario, UnsavedFunctionsGoToARecoveryFileNamedAtTheNextStart) {
    if (WindowsProgram()) GTEST_SKIP() << "signals are sent to the native binary only";
    // At the menu, or while the end-of-run question waits for its answer.
    const struct {
        int signal_number;
        bool at_question;
    } moments[] = {{SIGHUP, false}, {SIGTERM, false}, {SIGQUIT, false}, {SIGTERM, true}};
    for (const auto& moment : moments) {
        const int signal_number = moment.signal_number;
        SCOPED_TRACE(std::string(strsignal(signal_number)) +
                     (moment.at_question ? " at the question" : ""));
        Session session;
        LiveRun run(session.Dir(), "run");
        run.Type(TypeEnroll("f", 1, "a0*2") + (moment.at_question ? "0\n" : ""));
        if (moment.at_question) {
            ASSERT_TRUE(run.WaitFor(SaveQuestion(), 1, 10));
            ASSERT_TRUE(WaitUntilReadingInput(run.Pid()));
        } else {
            ASSERT_TRUE(run.WaitFor(MenuText(), 2, 10));  // back at the menu after enrolling
        }
        run.Signal(signal_number);
        int status = run.Wait(10);
        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal_number);
        std::vector<std::string> recovered = session.RecoveryFiles();
        ASSERT_EQ(recovered.size(), 1u);
        std::string recovered_bytes;  // read as the program reads a save file
        Read_RegularFile(recovered[0], &recovered_bytes);
        EXPECT_EQ(recovered_bytes, FileId() + Record("f", 1, "a0*2"));
        EXPECT_NE(run.Errors().find(recovered[0]), std::string::npos) << run.Errors();

        // Said once, at the next start; loading it is an ordinary SetUfList.
        SessionResult next = session.RunWithArguments(
            "", "-1\nSetUfList\n" + recovered[0] + "\n1\n-1\nShowUfList\n0\n1\n0\n2\n");
        EXPECT_TRUE(
            SameText("前回の kansu は、保存されなかった関数を回復ファイルに残しました"
                     " (SetUfList で読み込めます) : " +
                         recovered[0] + "\n",
                     next.error_output));
        EXPECT_TRUE(SameText(Start() + AtPrompt(LoadAsked()) +
                                 AtPrompt(ListQuestions() + "double f( a0 ) = a0*2\n\n\n") +
                                 SaveQuestion(),
                             next.output));
        EXPECT_TRUE(SameText(Start(), session.Run("0\n").output));
    }
}

// Every recovery file is named once at the next start, however many runs left
// one within the same second; many of them are counted instead.
TEST(SignalScenario, EveryRecoveryFileIsNamedOnce) {
    if (WindowsProgram())
        GTEST_SKIP() << "the Windows program names its own folder of recovery files";
    const std::string notice =
        "前回の kansu は、保存されなかった関数を回復ファイルに残しました"
        " (SetUfList で読み込めます) : ";
    // 0: a FIFO where the list of named files is kept; the start never waits on it.
    for (int count : {2, 5, 0}) {
        Session session;
        std::string folder = session.Path(".kansu-state/kansu/");
        ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
        if (count == 0) {
            ASSERT_EQ(mkfifo((folder + "announced.txt").c_str(), 0600), 0);
        }
        std::string expected;
        for (int i = 1; i <= count; ++i) {
            std::string name = "kansu-recovery-20261208-050341" +
                               (i > 1 ? "-" + std::to_string(i) : std::string()) + ".dat";
            session.WriteFile(".kansu-state/kansu/" + name, FileId());
            expected += notice + folder + name + "\n";
        }
        if (count > 3)
            expected =
                "前回までの kansu は、保存されなかった関数を回復ファイル 5 "
                "個に残しました (SetUfList で読み込めます)。ディレクトリ : " +
                folder + "\n";
        SessionResult first = session.RunWithArguments("", "0\n");
        EXPECT_TRUE(SameText(expected, first.error_output)) << count;
        EXPECT_TRUE(SameText(Start(), first.output)) << count;
        EXPECT_TRUE(SameText(Start(), session.Run("0\n").output)) << count;
    }
}

TEST(SignalScenario, WithNothingUnsavedASignalEndsTheRunAsBefore) {
    if (WindowsProgram()) GTEST_SKIP() << "signals are sent to the native binary only";
    Session session;
    LiveRun run(session.Dir(), "run");
    ASSERT_TRUE(run.WaitFor(MenuText(), 1, 10));
    run.Signal(SIGTERM);
    int status = run.Wait(10);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_TRUE(session.RecoveryFiles().empty());
}

// A FIFO where a file should be is refused at once at every prompt.
TEST(SharedSaveFile, AFifoIsRefusedAtOnce) {
    if (WindowsProgram()) GTEST_SKIP() << "Windows has no FIFOs in its folders";
    Session session;
    ASSERT_EQ(mkfifo(session.Path("pipe.dat").c_str(), 0644), 0);
    LiveRun run(session.Dir(), "run");
    run.Type(TypeEnroll("f", 1, "a0*2") +
             "-1\nSetUfList\npipe.dat\n1\n-1\nShowUfList2\npipe.dat\n0\n0\n" +
             "-1\nShowUfList\n1\n0\npipe.dat\n1\n3\npipe.dat\n0\n2\n");
    run.EndInput();
    int status = run.Wait(20);  // a regression that blocks fails here instead of hanging
    ASSERT_NE(status, -1) << "the run hung on the FIFO";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(SameText(
        Start() + AtPrompt(Enrolled(1, "double f( a0 ) = a0*2")) +
            AtPrompt(LoadAsked() +
                     "通常のファイルではないので使えません。保存ファイルには通常のファイルを"
                     "指定してください\n") +
            AtPrompt(AskSaveFile() + ListQuestions() + NoSourceFile()) +
            AtPrompt(ListQuestions() + AskListFile() + "出力先の作成に失敗しました\n") +
            "計算したい式を入力してくださいな\n---------------------------------\n"
            "出力先のファイル名を入力してください(max79) :"
            "ファイル書き込みに失敗しました。\n" +
            ClosingRule() + MenuText() + SaveQuestion(),
        run.Output()));
}

// ---- Several runs on one save file ----

// What one run did to its own functions, as the file must show it.
struct RunModel {
    std::string file;
    std::vector<std::string> names;            // the functions only this run touches
    std::map<std::string, std::string> saved;  // name -> definition in the file
    std::map<std::string, std::string> held;   // its defined functions in memory
    std::set<std::string> unsaved;
};

void Save(RunModel& model) {
    for (const std::string& name : model.unsaved) model.saved[name] = model.held[name];
    model.unsaved.clear();
}

// One random step typed to the run and applied to its model.
void TypeStep(LiveRun& run, RunModel& model, std::mt19937& random, int* counter) {
    const std::string& name = model.names[random() % model.names.size()];
    int choice = static_cast<int>(random() % 20);
    if (choice < 8) {
        std::string definition = "a0+" + std::to_string(++*counter);
        run.Type(TypeEnroll(name, 1, definition));
        model.held[name] = definition;
        model.unsaved.insert(name);
    } else if (choice < 10) {
        run.Type("-1\nDelUsrfunc\n" + name + "\n");
        model.held.erase(name);
        model.unsaved.erase(name);
        model.saved.erase(name);
    } else if (choice < 15) {
        run.Type("-1\nSaveUsrfunc\n");
        Save(model);
    } else if (choice < 17) {
        run.Type("-1\nSetUfList\n" + model.file + "\n1\n");
        model.held = model.saved;
        model.unsaved.clear();
    } else {
        // Names only, then one definition of this run's own saved functions.
        model.held.clear();
        model.unsaved.clear();
        if (model.saved.empty()) {
            run.Type("-1\nSetUfList\n" + model.file + "\n0\n0\n");
            return;
        }
        auto chosen = model.saved.begin();
        std::advance(chosen, random() % model.saved.size());
        run.Type("-1\nSetUfList\n" + model.file + "\n0\n1\n" + chosen->first + "\n0\n");
        model.held[chosen->first] = chosen->second;
    }
}

unsigned Seed() {
    const char* given = std::getenv("KANSU_SHARED_SEED");
    return given != nullptr ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
                            : std::random_device{}();
}

double Seconds() {
    const char* given = std::getenv("KANSU_SHARED_SECONDS");
    if (given != nullptr) return std::strtod(given, nullptr);
    return WindowsProgram() ? 6.0 : 10.0;
}

std::map<std::string, std::string> Definitions(const std::string& bytes) {
    SaveFileContent content = Parse_SaveFile(bytes);
    EXPECT_TRUE(content.is_save_file);
    EXPECT_FALSE(content.damaged);
    std::map<std::string, std::string> definitions;
    for (size_t i = 0; i < content.records.size(); ++i)
        definitions[content.records[i].name] = std::string(content.Definition(i));
    return definitions;
}

// Three runs on one.dat and one on two.dat beside it enrol, re-enrol, delete,
// save and load at random for a while; afterwards every function a run saved
// last is in its file with that run's definition, nothing else was lost and
// every file loads whole. KANSU_SHARED_SEED replays a failure.
TEST(SharedSaveFile, SeveralRunsLoseNothing) {
    unsigned seed = Seed();
    SCOPED_TRACE("KANSU_SHARED_SEED=" + std::to_string(seed));
    // Said first as well: a run that hangs until its time limit fails no check.
    std::cout << "KANSU_SHARED_SEED=" << seed << " replays this run" << std::endl;
    Session session;
    // zz is no run's: the file never becomes empty (which would remove it).
    const std::string start = FileId() + Record("zz", 0, "1");
    session.WriteFile("one.dat", start);
    session.WriteFile("two.dat", start);
    const std::vector<std::string> files = {"one.dat", "one.dat", "one.dat", "two.dat"};
    std::vector<RunModel> models(files.size());
    std::vector<int> statuses(files.size(), -1);
    std::vector<std::thread> typists;
    for (size_t k = 0; k < files.size(); ++k) {
        models[k].file = files[k];
        for (int i = 0; i < 4; ++i)
            models[k].names.push_back("r" + std::to_string(k) + "f" + std::to_string(i));
        typists.emplace_back([&, k] {
            std::mt19937 random(seed + static_cast<unsigned>(k));
            LiveRun run(session.Dir(), "run" + std::to_string(k));
            run.Type("-1\nSetUfList\n" + models[k].file + "\n0\n0\n");
            int counter = static_cast<int>(k) * 100000;
            auto end = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(static_cast<long>(Seconds() * 1000));
            while (std::chrono::steady_clock::now() < end) {
                TypeStep(run, models[k], random, &counter);
                std::this_thread::sleep_for(std::chrono::milliseconds(random() % 40));
            }
            run.Type("0\n1\n");  // the end-of-run question, when asked, saves
            Save(models[k]);
            run.EndInput();
            statuses[k] = run.Wait(60);
        });
    }
    for (std::thread& typist : typists) typist.join();
    for (size_t k = 0; k < files.size(); ++k)
        EXPECT_TRUE(WIFEXITED(statuses[k]) && WEXITSTATUS(statuses[k]) == 0) << "run " << k;
    for (const std::string& file : {std::string("one.dat"), std::string("two.dat")}) {
        SCOPED_TRACE(file);
        std::map<std::string, std::string> expected = {{"zz", "1"}};
        for (const RunModel& model : models)
            if (model.file == file) expected.insert(model.saved.begin(), model.saved.end());
        EXPECT_EQ(Definitions(session.ReadFile(file)), expected);
    }
    for (const std::string& name : session.Files()) EXPECT_FALSE(Is_WorkCopyName(name)) << name;
}

// Two runs of an ordinary user (nobody, when the tests run as root) add a
// function each to one save file at the same moment, in a folder that user
// may write but not read (mode 0733): the lock keeps both functions.
TEST(SharedSaveFile, TwoRunsInAFolderThatCannotBeReadKeepBothFunctions) {
    if (WindowsProgram()) GTEST_SKIP() << "folder modes and other users are POSIX";
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || nobody == nullptr || std::system("setpriv --help > /dev/null") != 0)
        GTEST_SKIP() << "needs root, the user nobody and setpriv to run as another user";
    const std::string as_nobody = "setpriv --reuid=" + std::to_string(nobody->pw_uid) +
                                  " --regid=" + std::to_string(nobody->pw_gid) + " --clear-groups";
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        Session session;
        session.WriteFile("s.dat", FileId() + Record("f", 1, "a0*2"));
        chmod(session.Path("s.dat").c_str(), 0666);
        chmod(session.Dir().c_str(), 0733);
        {
            LiveRun first(session.Dir(), "first", as_nobody);
            LiveRun second(session.Dir(), "second", as_nobody);
            for (auto [run, name] :
                 {std::pair<LiveRun*, const char*>{&first, "xa"}, {&second, "xb"}})
                run->Type("-1\nSetUfList\ns.dat\n0\n0\n" + TypeEnroll(name, 1, "a0*3") +
                          "-1\nSaveUsrfunc\n0\n");
            first.EndInput();
            second.EndInput();
            EXPECT_NE(first.Wait(20), -1);
            EXPECT_NE(second.Wait(20), -1);
        }
        chmod(session.Dir().c_str(), 0755);
        std::map<std::string, std::string> saved = Definitions(session.ReadFile("s.dat"));
        EXPECT_EQ(saved.size(), 3u);
        EXPECT_EQ(saved.count("xa"), 1u);
        EXPECT_EQ(saved.count("xb"), 1u);
    }
}

}  // namespace
