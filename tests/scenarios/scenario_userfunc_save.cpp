// The command SaveUsrfunc and the save question at the end of the run.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "mode_dialogue.h"
#include "session.h"
#include "userfunc_dialogue.h"

namespace {
using namespace userfunc_test;

const std::string kAskPath = "保存ファイルパスを指定して下さい :";
const std::string kFRecordFile = FileId() + Record("f", 1, "a0*2");

using Files = FileList;

// A typed session in a folder holding the files before; it must end with
// status 0, print expected and leave exactly the files after.
struct SaveCase {
    const char* what;
    Files before;
    std::string typed;
    std::string expected;
    Files after;
};

void ExpectSaves(const std::vector<SaveCase>& cases) {
    std::vector<DialogueCase> dialogues;
    for (const SaveCase& save : cases)
        dialogues.push_back({save.what, save.typed, save.expected, save.before, save.after, true});
    ExpectDialogues(dialogues);
}

const std::string kEnrolledF = Start() + AtPrompt(Enrolled(1, "double f( a0 ) = a0*2"));
const std::string kExists = "このファイルは既に存在しています。保存ファイル名を変えてください\n";
const std::string kNothing = "保存するものがありません。または変更無し\n";
const std::string kLongestName = std::string(251, 'p') + ".dat";
const std::string kTooLong255 = "パスが長すぎます。半角 255 文字以内で入力してください\n";
const std::string kFG = FileId() + Record("f", 1, "a0*2") + Record("g", 2, "a0+a1");

TEST(SaveScenario, SaveUsrfunc) {
    ExpectSaves({
        {"nothing changed right after start",
         {},
         "-1\nSaveUsrfunc\n0\n",
         Start() + AtPrompt(kNothing),
         {}},
        {"an existing file is never overwritten",
         {{"taken.dat", "hello"}},
         TypeEnroll("f", 1, "a0*2") + "-1\nSaveUsrfunc\ntaken.dat\n0\n2\n",
         kEnrolledF + AtPrompt(kAskPath + kExists) + SaveQuestion(),
         {{"taken.dat", "hello"}}},
        // Saved: the end asks nothing; 32 bytes worked out by hand from the format.
        {"a new file holds the identifier and one record per function",
         {},
         TypeEnroll("f", 1, "a0*2") + "-1\nSaveUsrfunc\nf.dat\n0\n",
         kEnrolledF + AtPrompt(kAskPath),
         {{"f.dat", std::string("QVRLX10"
                                "\x19\0\0\0"
                                "\x02\0\0\0"
                                "f\0"
                                "\x01\0"
                                "\x08\0"
                                "\x08\0"
                                "\x05\0\0\0"
                                "a0*2\0",
                                32)}}},
        // Records in name order: f's 25 bytes at 7, g's 28 bytes at 32.
        {"later saves rewrite the same file without asking",
         {},
         TypeEnroll("g", 2, "a0+a1") + "-1\nSaveUsrfunc\nfg.dat\n" + TypeEnroll("f", 1, "a0*2") +
             "-1\nSaveUsrfunc\n-1\nSaveUsrfunc\n0\n",
         Start() + AtPrompt(Enrolled(2, "double g( a0 , a1 ) = a0+a1")) + AtPrompt(kAskPath) +
             AtPrompt(Enrolled(1, "double f( a0 ) = a0*2")) + AtPrompt("") + AtPrompt(kNothing),
         {{"fg.dat", kFG}}},
        {"a file that cannot be created",
         {},
         TypeEnroll("f", 1, "a0*2") + "-1\nSaveUsrfunc\nnodir/f.dat\n0\n2\n",
         kEnrolledF + AtPrompt(kAskPath + "新規保存用ファイルの作成に失敗\n") + SaveQuestion(),
         {}},
        // Loading every definition marks them changed; listing into the source file
        // then turns it into a text file that the save refuses to rewrite.
        {"a source file that is no longer a save file",
         {{"f.dat", kFRecordFile}},
         "-1\nSetUfList\nf.dat\n1\n-1\nShowUfList\n1\n0\nf.dat\n-1\nSaveUsrfunc\n0\n2\n",
         Start() + AtPrompt(LoadAsked()) + AtPrompt(ListQuestions() + AskListFile()) +
             AtPrompt("[保存ファイル存在時]ファイルパスが未定義または保存ファイルではない\n") +
             SaveQuestion(),
         {{"f.dat", Cp932(PlatformText("f : 関数定義済み\n\n"))}}},
        // A path is the whole line without its surrounding blanks.
        {"a path with blanks",
         {},
         TypeEnroll("f", 1, "a0*2") + "-1\nSaveUsrfunc\n  my funcs.dat \n" +
             "-1\nSetUfList\n my funcs.dat\n0\n0\n-1\nShowUfList2\nmy funcs.dat\n0\n0\n0\n",
         kEnrolledF + AtPrompt(kAskPath) + AtPrompt(LoadAsked() + AskChooseNow()) +
             AtPrompt(AskSaveFile() + ListQuestions() + "f\n\n"),
         {{"my funcs.dat", kFRecordFile}}},
        {"a path of 255 characters is used whole",
         {},
         TypeEnroll("f", 1, "a0*2") + "-1\nSaveUsrfunc\n" + kLongestName + "\n0\n",
         kEnrolledF + AtPrompt(kAskPath),
         {{kLongestName, kFRecordFile}}},
        {"a longer path is refused, never cut",
         {},
         TypeEnroll("f", 1, "a0*2") + "-1\nSaveUsrfunc\n" + kLongestName + "x\n" +
             "-1\nSetUfList\n" + kLongestName + "x\n0\n2\n",
         kEnrolledF + AtPrompt(kAskPath + kTooLong255) +
             AtPrompt("ユーザ関数の保存ファイルパスを入力して下さい(半角255文字以内) : " +
                      kTooLong255) +
             SaveQuestion(),
         {}},
        {"a user's own template.dat is left alone",
         {{"f.dat", kFRecordFile}, {"template.dat", "mine"}},
         "-1\nSetUfList\nf.dat\n0\n0\n" + TypeEnroll("g", 2, "a0+a1") + "-1\nSaveUsrfunc\n0\n",
         Start() + AtPrompt(LoadAsked() + AskChooseNow()) +
             AtPrompt(Enrolled(2, "double g( a0 , a1 ) = a0+a1")) + AtPrompt(""),
         {{"f.dat", kFG}, {"template.dat", "mine"}}},
    });
}

TEST(EndOfRunScenario, TheSaveQuestion) {
    std::vector<SaveCase> cases = {
        {"answered 1 saves to a new file",
         {},
         TypeEnroll("f", 1, "a0*2") + "0\n1\nf.dat\n",
         kEnrolledF + SaveQuestion() + kAskPath,
         {{"f.dat", kFRecordFile}}},
        {"answered 1 rewrites the source file",
         {},
         TypeEnroll("f", 1, "a0*2") + "-1\nSaveUsrfunc\nfg.dat\n" + TypeEnroll("g", 2, "a0+a1") +
             "7\n1\n",
         kEnrolledF + AtPrompt(kAskPath) + AtPrompt(Enrolled(2, "double g( a0 , a1 ) = a0+a1")) +
             SaveQuestion(),
         {{"fg.dat", kFG}}},
        {"a non-number at the menu does not lose the question",
         {},
         TypeEnroll("f", 1, "a0*2") + "quit now\n1\nf.dat\n",
         kEnrolledF + SaveQuestion() + kAskPath,
         {{"f.dat", kFRecordFile}}},
        {"after a failed save the question is asked again",
         {{"taken.dat", "hello"}},
         TypeEnroll("f", 1, "a0*2") + "0\n1\ntaken.dat\n1\nf.dat\n",
         kEnrolledF + SaveQuestion() + kAskPath + kExists + SaveQuestion() + kAskPath,
         {{"f.dat", kFRecordFile}, {"taken.dat", "hello"}}},
        // The functions would be lost if the damaged source file were asked again.
        {"once the source file refused them, a new path is asked for",
         {{"bad.dat", kFRecordFile + "\x01\x02\x03"}},
         "-1\nSetUfList\nbad.dat\n1\n" + TypeEnroll("h", 1, "a0*3") + "0\n1\n1\nnew.dat\n",
         Start() +
             AtPrompt(
                 LoadAsked() +
                 "関数を 1 個読み込みました。ファイルの残りのレコードは壊れているため読み込めません\n") +
             AtPrompt(Enrolled(1, "double h( a0 ) = a0*3")) + SaveQuestion() +
             "保存ファイルのレコードが壊れているので、保存しませんでした。別の保存ファイルに保存してください\n" +
             SaveQuestion() + kAskPath,
         {{"bad.dat", kFRecordFile + "\x01\x02\x03"},
          {"new.dat", kFRecordFile + Record("h", 1, "a0*3")}}},
    };
    for (const char* answer : {"2", "0", "-1"})
        cases.push_back({"answered 2 or any other number saves nothing",
                         {},
                         TypeEnroll("f", 1, "a0*2") + "0\n" + answer + "\nf.dat\n",
                         kEnrolledF + SaveQuestion(),
                         {}});
    ExpectSaves(cases);
}

// The path a recovery file is named by: the Windows program names it in its
// user's local application data, where the session's copy came from.
std::string Recovery_PathShown(const std::string& session_path) {
    if (!WindowsProgram()) return session_path;
    const passwd* user = getpwuid(getuid());
    return std::string("C:\\users\\") + (user != nullptr ? user->pw_name : "root") +
           "\\AppData\\Local\\kansu\\" + std::filesystem::path(session_path).filename().string();
}

// Functions are never lost at the question: left unanswered (end of input), or
// declined after a refused save, they go to a recovery file named on standard error.
TEST(EndOfRunScenario, UnansweredOrDeclinedAfterARefusalKeepsARecoveryFile) {
    const std::string refused = kEnrolledF + SaveQuestion() + kAskPath +
                                "新規保存用ファイルの作成に失敗\n" + SaveQuestion();
    const struct {
        const char* what;
        std::string typed;
        std::string expected;
    } cases[] = {
        {"end of input at the question", TypeEnroll("f", 1, "a0*2") + "0\n",
         kEnrolledF + SaveQuestion()},
        {"a non-number at the menu, then end of input", TypeEnroll("f", 1, "a0*2") + "quit\n",
         kEnrolledF + SaveQuestion()},
        {"end of input after a refused save", TypeEnroll("f", 1, "a0*2") + "0\n1\nnodir/f.dat\n",
         refused},
        {"answered 2 after a refused save", TypeEnroll("f", 1, "a0*2") + "0\n1\nnodir/f.dat\n2\n",
         refused},
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.what);
        Session session;
        SessionResult result = session.RunWithArguments("", run.typed);
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_TRUE(SameText(run.expected, result.output));
        std::vector<std::string> recovered = session.RecoveryFiles();
        ASSERT_EQ(recovered.size(), 1u);
        EXPECT_EQ(Read_WholeFile(recovered[0]), kFRecordFile);
        EXPECT_TRUE(SameText("kansu: 保存されていない関数を回復ファイルに書き出しました : " +
                                 Recovery_PathShown(recovered[0]) + "\n",
                             result.error_output));
    }
    // A recovery file that cannot be written is named with the system's
    // reason, and the run that lost the functions ends with status 1.
    if (WindowsProgram()) return;
    Session session;
    SessionResult result = session.RunWithEnvironment("XDG_STATE_HOME=/dev/null", "",
                                                      TypeEnroll("f", 1, "a0*2") + "0\n", true);
    EXPECT_EQ(result.exit_status, 1);
    std::string said = Utf8(result.error_output);
    EXPECT_EQ(said.rfind("kansu: 保存されていない関数を回復ファイルに書き出せませんでした : "
                         "/dev/null/kansu/kansu-recovery-",
                         0),
              0u)
        << said;
    EXPECT_NE(said.find(".dat : Not a directory\n"), std::string::npos) << said;
}

// A first save never writes through what is no regular file, and says so.
TEST(SaveScenario, AFirstSaveOntoWhatIsNoRegularFile) {
    if (WindowsProgram()) GTEST_SKIP() << "FIFOs and symbolic links are POSIX here";
    const char* makers[] = {"mkfifo x.dat", "mkdir x.dat", "ln -s nowhere x.dat",
                            "mkdir d && ln -s d x.dat"};
    for (const char* maker : makers) {
        SCOPED_TRACE(maker);
        Session session;
        ASSERT_EQ(std::system(("cd '" + session.Dir() + "' && " + maker).c_str()), 0);
        SessionResult result =
            session.Run(TypeEnroll("f", 1, "a0*2") + "-1\nSaveUsrfunc\nx.dat\n0\n2\n");
        EXPECT_TRUE(SameText(
            kEnrolledF +
                AtPrompt(
                    kAskPath +
                    "通常のファイルではないので使えません。保存ファイルには通常のファイルを指定して"
                    "ください\n") +
                SaveQuestion(),
            result.output));
    }
}

// Runs the typed session with a resource limit of the shell (ulimit); false
// when the program cannot even start under it (a sanitizer build reserves far
// more address space).
bool Run_Limited(Session& session, const std::string& limit, const std::string& typed,
                 SessionResult* result, const std::string& arguments = "") {
    if (WindowsProgram()) return false;
    const std::string shell = "sh -c 'ulimit " + limit + " && exec \"$@\"' sh";
    SessionResult probe = session.RunWithEnvironment(shell, "", "0\n", true);
    if (probe.exit_status != 0 || !probe.error_output.empty()) return false;
    *result = session.RunWithEnvironment(shell, arguments, typed, !arguments.empty());
    return true;
}

// A sanitizer build reserves terabytes of address space.
#if defined(__SANITIZE_ADDRESS__)
const bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
const bool kAddressSanitizer = true;
#else
const bool kAddressSanitizer = false;
#endif
#else
const bool kAddressSanitizer = false;
#endif

std::string Long_Definitions(int count, int terms) {
    std::string body = "a0";
    for (int i = 1; i < terms; ++i) body += "+a0";
    std::string file = FileId();
    for (int i = 0; i < count; ++i) file += Record("f" + std::to_string(i), 1, body);
    return file;
}

// Limits of the system. Without a file descriptor left a save names that
// cause with the system's reason; memory running out in a load is said, and
// the menu comes back with every function kept. Which allocation fails first
// under a memory limit depends on the build: the load's own check, or the
// menu's guard (its line comes after an empty one, and the menu at once).
// A load of long definitions needs at most 4 times the save file's size plus
// 10 MB (the program's own address space included): in the dialogue, with
// every definition, and for kansu eval --functions. A script command that
// runs out of memory says so and fails; it does not abort.
TEST(SaveScenario, LimitsOfTheSystemKeepTheFunctions) {
    std::string records;
    for (int i = 0; i < 300000; ++i) records += Record("f" + std::to_string(100000 + i), 1, "a0*2");
    // 1.5 million records of one letter: their names alone are more than 16 MB.
    std::string many = FileId();
    for (int i = 0; i < 1500000; ++i) many += Record("f" + std::to_string(i), 0, "1");
    const std::vector<std::pair<std::string, std::string>> files = {
        {"f.dat", kFRecordFile},
        {"h.dat", FileId() + records},
        {"long.dat", Long_Definitions(40000, 80)},
        {"many.dat", many}};
    const std::string bound = "-v " + std::to_string(files[2].second.size() * 4 / 1024 + 10 * 1024);
    const std::string memory =
        "メモリが足りないので、この操作を中止しました。関数はそのまま残っています。ほかのプログラムを"
        "終えるか、分割数や保存ファイルを小さくして、やり直してください\n";
    const std::string enrolled_g = Start() + AtPrompt(Enrolled(1, "double g( a0 ) = a0*2"));
    const std::string check_g = "-1\nCheckUfList\ng\n0\n2\n";
    const std::string rest = AtPrompt(CheckAnswer("g", 2)) + SaveQuestion();
    const struct {
        std::string limit, arguments, typed, output;
        std::string or_output = "", error_output = "";
        int status = 0;
    } cases[] = {
        {"-n 4", "",
         "-1\nSetUfList\nf.dat\n0\n0\n" + TypeEnroll("g", 2, "a0+a1") + "-1\nSaveUsrfunc\n" +
             check_g,
         Start() + AtPrompt(LoadAsked() + AskChooseNow()) +
             AtPrompt(Enrolled(2, "double g( a0 , a1 ) = a0+a1")) +
             AtPrompt("開いているファイルが多すぎるので、保存ファイルを使えませんでした。ほかの"
                      "プログラムを終えるか、開けるファイルの上限を上げてから、やり直してください"
                      " : Too many open files\n") +
             rest},
        {"-v 40000", "", TypeEnroll("g", 1, "a0*2") + "-1\nSetUfList\nh.dat\n1\n" + check_g,
         enrolled_g + AtPrompt(LoadAsked() + memory) + rest,
         enrolled_g + "実行したいコマンドを入力して下さい :" + LoadAsked() + "\n" + memory +
             MenuText() + rest},
        {bound, "", "-1\nSetUfList\nlong.dat\n1\n-1\nCheckUfList\nf39999\n0\n2\n",
         Start() + AtPrompt(LoadAsked()) + AtPrompt(CheckAnswer("f39999", 2)) + SaveQuestion()},
        // 0.1 added 80 times.
        {bound, "eval 'f39999(0.1)' --functions long.dat", "", "8\n"},
        {"-v 16000", "eval 'f1()' --functions many.dat", "", "", "",
         "kansu: メモリが足りないので、終了します\n", 1},
    };
    int limited = 0;
    for (const auto& run : cases) {
        SCOPED_TRACE(run.limit + " " + run.arguments);
        // No limit on the address space of a sanitizer build tells what the program needs.
        if (kAddressSanitizer && run.limit.rfind("-v", 0) == 0) continue;
        Session session;
        for (const auto& file : files)
            if ((run.arguments + run.typed).find(file.first) != std::string::npos)
                session.WriteFile(file.first, file.second);
        SessionResult result;
        if (!Run_Limited(session, run.limit, run.typed, &result, run.arguments))
            continue;  // kansu does not start under the limit here (sanitizers)
        ++limited;
        EXPECT_EQ(result.exit_status, run.status);
        EXPECT_TRUE(SameText(run.output, result.output) ||
                    (!run.or_output.empty() && SameText(run.or_output, result.output)));
        EXPECT_TRUE(SameText(run.error_output, result.error_output));
        for (const auto& file : files)
            EXPECT_TRUE(!session.Exists(file.first) || session.ReadFile(file.first) == file.second)
                << file.first;
    }
    if (limited == 0) GTEST_SKIP() << "kansu does not start under these limits here";
}

// Nothing named template.dat stands in the way of a save any more.
TEST(SaveScenario, AFolderNamedTemplateDatIsLeftAlone) {
    Session session;
    session.WriteFile("f.dat", kFRecordFile);
    ASSERT_EQ(mkdir(session.Path("template.dat").c_str(), 0755), 0);
    SessionResult result = session.Run("-1\nSetUfList\nf.dat\n1\n" + TypeEnroll("g", 2, "a0+a1") +
                                       "-1\nSaveUsrfunc\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + AtPrompt(LoadAsked()) +
                             AtPrompt(Enrolled(2, "double g( a0 , a1 ) = a0+a1")) + AtPrompt(""),
                         result.output));
    EXPECT_EQ(session.ReadFile("f.dat"), kFG);
    EXPECT_EQ(session.Files(), (std::vector<std::string>{"f.dat", "template.dat"}));
}

TEST(SaveScenario, AFileSizeLimitFailsTheSaveInsteadOfKillingTheProgram) {
    if (WindowsProgram()) GTEST_SKIP() << "file-size limits are POSIX only";
    Session session;
    std::string records;
    for (char name = 'a'; name <= 't'; ++name)
        records += Record(std::string(1, name), 1, "a0" + std::string(250, '1').insert(0, "+"));
    session.WriteFile("big.dat", FileId() + records);
    // The session's output fits, the rewritten 5 KB do not.
    SessionResult result = session.RunAfterShellWords(
        "ulimit -f 8;", "",
        "-1\nSetUfList\nbig.dat\n0\n0\n" + TypeEnroll("z", 0, "1") + "-1\nSaveUsrfunc\n0\n2\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.error_output, "");
    EXPECT_TRUE(SameText(Start() + AtPrompt(LoadAsked() + AskChooseNow()) +
                             AtPrompt(Enrolled(0, "double z( void ) = 1")) +
                             AtPrompt("[保存ファイル存在時]一時ファイルの作成に失敗\n") +
                             SaveQuestion(),
                         result.output));
    EXPECT_EQ(session.ReadFile("big.dat"), FileId() + records);
    EXPECT_EQ(session.Files(), std::vector<std::string>{"big.dat"});
}

// Windows paths: a drive letter (Wine maps Z: to the Unix root) and backslashes.
TEST(SaveScenario, WindowsPathsWithBackslashes) {
    if (!WindowsProgram()) GTEST_SKIP() << "drive letters and backslashes are Windows paths";
    Session session;
    ASSERT_EQ(mkdir(session.Path("sub").c_str(), 0755), 0);
    std::string drive_path = "Z:" + session.Path("sub/f.dat");
    std::replace(drive_path.begin(), drive_path.end(), '/', '\\');
    SessionResult result = session.Run(
        TypeEnroll("f", 1, "a0*2") + "-1\nSaveUsrfunc\n" + drive_path + "\n" +
        TypeEnroll("g", 2, "a0+a1") +
        "-1\nSaveUsrfunc\n-1\nSetUfList\nsub\\f.dat\n1\n-1\nShowUfList\n1\n1\nsub\\list.txt\n" +
        "1\ng(f(2),1)\nsub\\r.txt\n0\n2\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + AtPrompt(Enrolled(1, "double f( a0 ) = a0*2")) +
                             AtPrompt(kAskPath) +
                             AtPrompt(Enrolled(2, "double g( a0 , a1 ) = a0+a1")) + AtPrompt("") +
                             AtPrompt(LoadAsked()) + AtPrompt(ListQuestions() + AskListFile()) +
                             "計算したい式を入力してくださいな\n" + kFilePrompt + ClosingRule() +
                             MenuText() + SaveQuestion(),
                         result.output));
    EXPECT_EQ(session.ReadFile("sub/f.dat"),
              FileId() + Record("f", 1, "a0*2") + Record("g", 2, "a0+a1"));
    EXPECT_FALSE(session.Exists("sub/template.dat"));
    EXPECT_TRUE(SameText("double f( a0 ) = a0*2\n\ndouble g( a0 , a1 ) = a0+a1\n\n\n",
                         session.ReadFile("sub/list.txt")));
    EXPECT_TRUE(
        SameText(kReportHead + kResultRule + "g(f(2),1)=5\n", session.ReadFile("sub/r.txt")));
    // A user's template.dat beside the save file is an ordinary file, and no
    // working copy is left anywhere.
    session.WriteFile("sub/template.dat", "mine");
    result = session.Run("-1\nSetUfList\nsub\\f.dat\n1\n" + TypeEnroll("h", 0, "1") +
                         "-1\nSaveUsrfunc\n0\n");
    EXPECT_TRUE(SameText(Start() + AtPrompt(LoadAsked()) +
                             AtPrompt(Enrolled(0, "double h( void ) = 1")) + AtPrompt(""),
                         result.output));
    EXPECT_EQ(session.ReadFile("sub/f.dat"),
              FileId() + Record("f", 1, "a0*2") + Record("g", 2, "a0+a1") + Record("h", 0, "1"));
    EXPECT_EQ(session.ReadFile("sub/template.dat"), "mine");
    EXPECT_EQ(session.Files(), (std::vector<std::string>{"sub"}));
}

// A sign that opens a formula or an argument is stored with a 0 before it, so
// a definition typed at the longest line comes back longer than 255 characters.
TEST(SaveScenario, ALongestTypedDefinitionWithSignsLoadsBack) {
    std::string typed = "-a0";
    std::string stored = "0-a0";
    while (typed.size() < 255) {
        typed += "+(-a0)";
        stored += "+(0-a0)";
    }
    ASSERT_EQ(typed.size(), 255u);
    Session session;
    SessionResult result = session.Run(TypeEnroll("f", 1, typed) + "-1\nSaveUsrfunc\nf.dat\n" +
                                       "-1\nSetUfList\nf.dat\n1\n-1\nCheckUfList\nf\n0\n2\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + AtPrompt(Enrolled(1, "double f( a0 ) = " + stored)) +
                             AtPrompt(kAskPath) + AtPrompt(LoadAsked()) +
                             AtPrompt(CheckAnswer("f", 2)) + SaveQuestion(),
                         result.output));
    EXPECT_EQ(session.ReadFile("f.dat"), FileId() + Record("f", 1, stored));
}

TEST(EndOfRunScenario, AnEvaluationErrorAsksBeforeEndingTheRun) {
    Session session;
    // Re-enrolling g makes f and g call each other without end.
    SessionResult result = session.Run(TypeEnroll("g", 1, "a0") + TypeEnroll("f", 1, "g(a0)") +
                                       TypeEnroll("g", 1, "f(a0)") + "1\nf(1)\nr.txt\n1\nfg.dat\n");
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_TRUE(SameText(
        Start() + AtPrompt(Enrolled(1, "double g( a0 ) = a0")) +
            AtPrompt(Enrolled(1, "double f( a0 ) = g(a0)")) +
            AtPrompt(Enrolled(1, "double g( a0 ) = f(a0)")) +
            "計算したい式を入力してくださいな\n---------------------------------\n"
            "出力先のファイル名を入力してください(max79) :関数計算中にエラーが発生しました\n" +
            SaveQuestion() + kAskPath,
        result.output));
    EXPECT_EQ(session.ReadFile("fg.dat"),
              FileId() + Record("f", 1, "g(a0)") + Record("g", 1, "f(a0)"));
}

}  // namespace
