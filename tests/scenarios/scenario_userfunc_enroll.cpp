// The commands EnrUsrfunc, DelUsrfunc and CheckUfList at the command prompt.
#include <string>

#include "session.h"
#include "userfunc_dialogue.h"

namespace {
using namespace userfunc_test;

const std::string kBuiltinRefused =
    "ユーザ定義関数を登録します。続ける-->1 やめる--->0\n"
    "関数名を入力して下さい (半角79字以内) :"
    "同じ名前のアプリケーション定義の関数が存在します。\n違う名前にして下さい\n";

const std::string kCancelled =
    "ユーザ定義関数を登録します。続ける-->1 やめる--->0\n"
    "関数登録に失敗しました\n関数名の入力に失敗しました。\n";

const std::string kNameFailed =
    "ユーザ定義関数を登録します。続ける-->1 やめる--->0\n"
    "関数名を入力して下さい (半角79字以内) :"
    "関数登録に失敗しました\n関数名の入力に失敗しました。\n";

const std::string kAskDelete = "削除するユーザ関数名を入力して下さい。(79字以内)\n";

TEST(EnrollScenario, Dialogues) {
    const std::string twelve = "a0+a1+a2+a3+a4+a5+a6+a7+a8+a9+a10+a11";
    const std::string refused = AtPrompt(EnrollAsked(2) + EnrollRefused());
    ExpectDialogues({
        {"registers, lists, asks to save at the end",
         TypeEnroll("f", 1, "a0 * 2") + "-1\nCheckUfList\nf\n0\n2\n",
         Start() + AtPrompt(Enrolled(1, "double f( a0 ) = a0*2")) + AtPrompt(CheckAnswer("f", 2)) +
             SaveQuestion()},
        // Nothing was registered, so the end asks no question.
        {"built-in names are refused before the argument count",
         "-1\nEnrUsrfunc\n1\nsin\n-1\nEnrUsrfunc\n1\nlog10\n"
         "-1\nEnrUsrfunc\n1\nsqrt\n-1\nEnrUsrfunc\n1\nlog\n-1\nCheckUfList\nlog\n0\n",
         Start() + AtPrompt(kBuiltinRefused) + AtPrompt(kBuiltinRefused) +
             AtPrompt(kBuiltinRefused) + AtPrompt(kBuiltinRefused) +
             AtPrompt(CheckAnswer("log", 0))},
        {"a definition must use exactly its arguments",
         TypeEnroll("h", 2, "a0+a2") + TypeEnroll("h", 2, "a0") + TypeEnroll("h", 2, "a0*a1*x") +
             "-1\nCheckUfList\nh\n" + TypeEnroll("h", 2, "a0*a1+a0") + "0\n2\n",
         Start() + refused + refused + refused + AtPrompt(CheckAnswer("h", 0)) +
             AtPrompt(Enrolled(2, "double h( a0 , a1 ) = a0*a1+a0")) + SaveQuestion()},
        {"no arguments takes a constant definition only",
         TypeEnroll("g", 0, "x*2") + TypeEnroll("g", 0, "3.14*2") + "0\n2\n",
         Start() + AtPrompt(EnrollAsked(0) + EnrollRefused()) +
             AtPrompt(Enrolled(0, "double g( void ) = 3.14*2")) + SaveQuestion()},
        {"twelve arguments are named in the prompt and the listing",
         TypeEnroll("k", 12, twelve) + "0\n2\n",
         Start() + AtPrompt(Enrolled(12, "double k( " + ArgNames(12, " , ") + " ) = " + twelve)) +
             SaveQuestion()},
        {"anything but 1 cancels", "-1\nEnrUsrfunc\n0\n-1\nEnrUsrfunc\n2\n0\n",
         Start() + AtPrompt(kCancelled) + AtPrompt(kCancelled)},
        {"end of input at the name", "-1\nEnrUsrfunc\n1\n", Start() + AtPrompt(kNameFailed)},
        {"end of input at the definition", "-1\nEnrUsrfunc\n1\nf\n1\n",
         Start() + AtPrompt(EnrollAsked(1) + "関数登録に失敗しました\n"
                                             "関数定義式の入力に失敗しました。\n")},
        // An empty name could never be called or deleted: it is refused like a missing one.
        {"an empty name is refused", "-1\nEnrUsrfunc\n1\n \n0\n", Start() + AtPrompt(kNameFailed)},
        {"re-enrolling with a call of itself leaves it undefined",
         TypeEnroll("f", 1, "a0*2") + TypeEnroll("f", 1, "f(a0)+1") + "-1\nCheckUfList\nf\n0\n2\n",
         Start() + AtPrompt(Enrolled(1, "double f( a0 ) = a0*2")) +
             AtPrompt(EnrollAsked(1) + NotAFormula() + "登録された関数は\n" +
                      "double f( a0 ) = ___undef\n") +
             AtPrompt(CheckAnswer("f", 1)) + SaveQuestion()},
        {"re-enrolling replaces arguments and definition",
         TypeEnroll("f", 1, "a0*2") + TypeEnroll("f", 2, "a1-a0") + "-1\nShowUfList\n0\n1\n0\n2\n",
         Start() + AtPrompt(Enrolled(1, "double f( a0 ) = a0*2")) +
             AtPrompt(Enrolled(2, "double f( a0 , a1 ) = a1-a0")) +
             AtPrompt(ListQuestions() + "double f( a0 , a1 ) = a1-a0\n\n\n") + SaveQuestion()},
        // The deleted function was the only change: the end asks nothing.
        {"deleting empty, unknown and enrolled names",
         TypeEnroll("f", 1, "a0*2") +
             "-1\nDelUsrfunc\n\n-1\nDelUsrfunc\ng\n-1\nDelUsrfunc\n f \n-1\nCheckUfList\nf\n0\n",
         Start() + AtPrompt(Enrolled(1, "double f( a0 ) = a0*2")) +
             AtPrompt(kAskDelete + "削除する関数名が入力されていません。") +
             AtPrompt(kAskDelete + "指定されたユーザ関数は存在しません。\n") +
             AtPrompt(kAskDelete) + AtPrompt(CheckAnswer("f", 0))},
        {"end of input at the name to delete", "-1\nDelUsrfunc\n",
         Start() + AtPrompt(kAskDelete + "入力が無効です。")},
        {"command words are cut to the name buffer",
         "-1\nCheckUfList\n" + std::string(100, 'q') + "\n0\n",
         Start() + AtPrompt(CheckAnswer(std::string(79, 'q'), 0))},
    });
}

TEST(EnrollScenario, NothingIsWrittenWithoutASave) {
    Session session;
    session.Run(TypeEnroll("f", 1, "a0 * 2") + "0\n2\n");
    EXPECT_TRUE(session.Files().empty());
}

TEST(DeleteScenario, DeletingSavedFunctionsCorrectsTheFile) {
    Session session;
    SessionResult result =
        session.Run(TypeEnroll("f", 1, "a0*2") + TypeEnroll("g", 2, "a0+a1") +
                    "-1\nSaveUsrfunc\nfg.dat\n-1\nDelUsrfunc\nf\n-1\nShowUfList2\nfg.dat\n0\n1\n"
                    "-1\nDelUsrfunc\ng\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + AtPrompt(Enrolled(1, "double f( a0 ) = a0*2")) +
                             AtPrompt(Enrolled(2, "double g( a0 , a1 ) = a0+a1")) +
                             AtPrompt("保存ファイルパスを指定して下さい :") + AtPrompt(kAskDelete) +
                             AtPrompt(AskSaveFile() + ListQuestions() +
                                      "double  g(double a0,double a1) = a0+a1\n\n") +
                             AtPrompt(kAskDelete),
                         result.output));
    // Deleting the last saved function deletes the file itself.
    EXPECT_TRUE(session.Files().empty());
}

}  // namespace
