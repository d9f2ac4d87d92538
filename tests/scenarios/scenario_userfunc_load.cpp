// The commands SetUfList and SetUfdef, which load save files into the registry.
#include <string>
#include <vector>

#include "session.h"
#include "userfunc_dialogue.h"

namespace {
using namespace userfunc_test;

const std::string kNotASaveFile = "指定ファイルはユーザ関数保存ファイルではありません\n";
const std::string kCannotOpen = "指定ファイルをオープンするのに失敗しました。\n";
const std::string kReadOneOfDamaged =
    "関数を 1 個読み込みました。ファイルの残りのレコードは壊れているため読み込めません\n";
const std::string kFgFile = FileId() + Record("f", 1, "a0*2") + Record("g", 2, "a0+a1");

TEST(LoadScenario, Dialogues) {
    const FileList fg = {{"fg.dat", kFgFile}};
    const std::string no_file = AtPrompt(AskDefName() + "保存ファイルが存在しません\n");
    std::vector<DialogueCase> cases = {
        // A refused load keeps the unsaved f: the end still asks.
        {"a missing file leaves the registry as it was",
         TypeEnroll("f", 1, "a0*2") + "-1\nSetUfList\nnone.dat\n0\n-1\nCheckUfList\nf\n0\n2\n",
         Start() + AtPrompt(Enrolled(1, "double f( a0 ) = a0*2")) +
             AtPrompt(LoadAsked() + kCannotOpen) + AtPrompt(CheckAnswer("f", 2)) + SaveQuestion()},
        {"no path at the end of input", "-1\nSetUfList\n",
         Start() + AtPrompt("ユーザ関数の保存ファイルパスを入力して下さい(半角255文字以内) : "
                            "ファイルパスが未入力です\n")},
        {"names only, then one definition",
         "-1\nSetUfList\nfg.dat\n0\n0\n-1\nShowUfList\n0\n0\n-1\nCheckUfList\nf\n"
         "-1\nSetUfdef\ng\n0\n-1\nShowUfList\n0\n1\n-1\nCheckUfList\ng\n0\n2\n",
         Start() + AtPrompt(LoadAsked() + AskChooseNow()) +
             AtPrompt(ListQuestions() + "f : 関数未定義\ng : 関数未定義\n\n") +
             AtPrompt(CheckAnswer("f", 1)) + AtPrompt(AskDefName() + AskDefMore()) +
             AtPrompt(ListQuestions() +
                      "double f( a0 ) = ___undef\n\ndouble g( a0 , a1 ) = a0+a1\n\n\n") +
             AtPrompt(CheckAnswer("g", 2)) + SaveQuestion(),
         fg, fg},
        {"names only is no change", "-1\nSetUfList\nfg.dat\n0\n0\n0\n",
         Start() + AtPrompt(LoadAsked() + AskChooseNow()), fg},
        {"definitions chosen right after loading names",
         "-1\nSetUfList\nfg.dat\n0\n1\nf\n1\nnothere\n-1\nShowUfList\n0\n0\n0\n2\n",
         Start() +
             AtPrompt(LoadAsked() + AskChooseNow() + AskDefName() + AskDefMore() + AskDefName() +
                      "指定関数は未定義または未保存です\n") +
             AtPrompt(ListQuestions() + "f : 関数定義済み\ng : 関数未定義\n\n") + SaveQuestion(),
         fg},
        {"SetUfdef without a source file",
         TypeEnroll("f", 1, "a0*2") + "-1\nSetUfdef\nf\n-1\nSetUfdef\nh\n0\n2\n",
         Start() + AtPrompt(Enrolled(1, "double f( a0 ) = a0*2")) + no_file + no_file +
             SaveQuestion()},
        {"SetUfdef for a function never saved",
         "-1\nSetUfList\nfg.dat\n0\n0\n" + TypeEnroll("h", 1, "a0^3") + "-1\nSetUfdef\nh\n0\n2\n",
         Start() + AtPrompt(LoadAsked() + AskChooseNow()) +
             AtPrompt(Enrolled(1, "double h( a0 ) = a0^3")) +
             AtPrompt(AskDefName() + "指定関数は未定義または未保存です\n") + SaveQuestion(),
         fg},
        // The listing overwrites the save file after its names were read.
        {"SetUfdef of a record no longer where it was read",
         "-1\nSetUfList\nfg.dat\n0\n0\n-1\nShowUfList\n1\n0\nfg.dat\n-1\nSetUfdef\ng\n0\n",
         Start() + AtPrompt(LoadAsked() + AskChooseNow()) +
             AtPrompt(ListQuestions() + AskListFile()) +
             AtPrompt(AskDefName() +
                      "保存ファイルの関数のレコードが壊れているか、ほかの kansu が書き換えました。"
                      "SetUfList で読み込み直してください\n"),
         fg},
        {"SetUfdef without a name at the end of input", "-1\nSetUfdef\n",
         Start() + AtPrompt(AskDefName() + "関数名が未入力です\n")},
        // f is read before g exists and stays undefined; once g is defined, f loads.
        {"all definitions where a call precedes its function",
         "-1\nSetUfList\nfg.dat\n1\n-1\nShowUfList\n0\n1\n-1\nSetUfdef\nf\n0\n"
         "-1\nCheckUfList\nf\n0\n2\n",
         Start() + AtPrompt(LoadAsked() + NotAFormula()) +
             AtPrompt(ListQuestions() +
                      "double f( a0 ) = ___undef\n\ndouble g( a0 ) = a0*2\n\n\n") +
             AtPrompt(AskDefName() + AskDefMore()) + AtPrompt(CheckAnswer("f", 2)) + SaveQuestion(),
         {{"fg.dat", FileId() + Record("f", 1, "g(a0)+1") + Record("g", 1, "a0*2")}}},
        {"loading replaces the registry",
         TypeEnroll("h", 1, "a0^3") + "-1\nSetUfList\nfg.dat\n1\n-1\nShowUfList\n0\n1\n0\n2\n",
         Start() + AtPrompt(Enrolled(1, "double h( a0 ) = a0^3")) + AtPrompt(LoadAsked()) +
             AtPrompt(ListQuestions() +
                      "double f( a0 ) = a0*2\n\ndouble g( a0 , a1 ) = a0+a1\n\n\n") +
             SaveQuestion(),
         fg},
    };
    for (const std::string& content :
         {std::string("hello, world\n"), std::string("QVRLX1"), std::string(),
          std::string("QVRLX11") + Record("f", 1, "a0")})
        cases.push_back(
            {"a file without the identifier is refused and the registry kept",
             TypeEnroll("f", 1, "a0*2") + "-1\nSetUfList\nother.dat\n1\n-1\nCheckUfList\nf\n0\n2\n",
             Start() + AtPrompt(Enrolled(1, "double f( a0 ) = a0*2")) +
                 AtPrompt(LoadAsked() + kNotASaveFile) + AtPrompt(CheckAnswer("f", 2)) +
                 SaveQuestion(),
             {{"other.dat", content}},
             {{"other.dat", content}}});
    ExpectDialogues(cases);
}

// Save files are untrusted: broken records end the load with what was read, said in one line.
TEST(LoadScenario, BrokenRecordsEndTheLoad) {
    const std::vector<std::string> files = BrokenRecordsAfter(FileId() + Record("f", 1, "a0*2"));
    for (size_t i = 0; i < files.size(); ++i) {
        for (const char* answer : {"0\n0", "1"}) {
            Session session;
            session.WriteFile("bad.dat", files[i]);
            SessionResult result = session.Run(std::string("-1\nSetUfList\nbad.dat\n") + answer +
                                               "\n-1\nShowUfList\n0\n0\n0\n2\n");
            EXPECT_EQ(result.exit_status, 0) << "file " << i;
            bool names_only = answer[0] == '0';
            EXPECT_TRUE(SameText(
                Start() +
                    AtPrompt(LoadAsked() + kReadOneOfDamaged + (names_only ? AskChooseNow() : "")) +
                    AtPrompt(ListQuestions() +
                             (names_only ? "f : 関数未定義\n\n" : "f : 関数定義済み\n\n")) +
                    (names_only ? "" : SaveQuestion()),
                result.output))
                << "file " << i << " answer " << answer;
        }
    }
}

TEST(LoadScenario, OddRecordsNeverCrashTheLoad) {
    const std::string good = FileId() + Record("f", 1, "a0*2");
    const std::vector<std::string> files = {
        good + U32(0) + Record("h", 1, "a0*3").substr(4),  // record length 0
        good + U32(17) + U32(1) + "h" + U16(0) + U16(8) + U32(1) + std::string(1, '\0'),
        good + U32(16) + U32(1) + "h" + U16(0) + U16(8) + U32(0),  // definition length 0
        good + Record("h", 1, "").substr(0, 4) + U32(2) + "h\x01" + U16(1) + U16(8) + U16(8) +
            U32(1) + std::string(1, '\0'),
        FileId(),
        FileId() + std::string(64, '\xFF'),
        FileId() + std::string(64, '\0'),
    };
    for (size_t i = 0; i < files.size(); ++i) {
        // Names only with a definition loaded afterwards, and all definitions.
        for (const char* answer : {"0\n0\n-1\nSetUfdef\nh\n0", "1"}) {
            Session session;
            session.WriteFile("odd.dat", files[i]);
            SessionResult result = session.Run(std::string("-1\nSetUfList\nodd.dat\n") + answer +
                                               "\n-1\nShowUfList\n0\n1\n0\n2\n");
            EXPECT_EQ(result.exit_status, 0) << "file " << i << " answer " << answer;
            EXPECT_NE(result.output.find(Cp932("入力スタイルを選んで下さい")), std::string::npos);
        }
    }
}

}  // namespace
