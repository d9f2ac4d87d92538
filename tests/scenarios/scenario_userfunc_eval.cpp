// User-defined functions called in formulas of the explicit mode (menu 1).
#include <string>
#include <vector>

#include "session.h"
#include "userfunc_dialogue.h"

namespace {
using namespace userfunc_test;

const std::string kAskFormula = "計算したい式を入力してくださいな\n";
const std::string kAskReportFile =
    "---------------------------------\n出力先のファイル名を入力してください(max79) :";
const std::string kReportHead = "\n****************************計算結果を記録します\n";
const std::string kResultRule = "----------関数計算の結果-------------\n";

// A formula without variables typed at menu 1 and its report into r.txt.
std::string TypeNoVarFormula(const std::string& formula) { return "1\n" + formula + "\nr.txt\n"; }
std::string NoVarRun() { return kAskFormula + kAskReportFile + ClosingRule() + MenuText(); }
std::string NoVarReport(const std::string& formula, const std::string& value) {
    return kReportHead + kResultRule + formula + "=" + value + "\n";
}

// The report r.txt as the program writes it.
FileList Report(const std::string& text) { return {{"r.txt", Cp932(PlatformText(text))}}; }

TEST(UserFunctionEvaluation, Reports) {
    const std::string twelve = "a0+a1+a2+a3+a4+a5+a6+a7+a8+a9+a10+a11*100";
    ExpectDialogues({
        // The inner call completes before the outer call binds a0 and a1.
        {"calls and nested calls of a two-argument function",
         TypeEnroll("f", 2, "a0^2+a1") + TypeNoVarFormula("f(3,1)") +
             TypeNoVarFormula("f(f(1,1),0)") + "0\n2\n",
         Start() + AtPrompt(Enrolled(2, "double f( a0 , a1 ) = a0^2+a1")) + NoVarRun() +
             NoVarRun() + SaveQuestion(),
         {},
         Report(NoVarReport("f(3,1)", "10") + NoVarReport("f(f(1,1),0)", "4"))},
        // 3 * 7, then 7 * 3: q reads its own argument after its call of g.
        {"each call reads its own arguments",
         TypeEnroll("g", 1, "a0+1") + TypeEnroll("p", 1, "a0*g(a0*2)") +
             TypeEnroll("q", 1, "g(a0*2)*a0") + TypeNoVarFormula("p(3)") +
             TypeNoVarFormula("q(3)") + "0\n2\n",
         Start() + AtPrompt(Enrolled(1, "double g( a0 ) = a0+1")) +
             AtPrompt(Enrolled(1, "double p( a0 ) = a0*g(a0*2)")) +
             AtPrompt(Enrolled(1, "double q( a0 ) = g(a0*2)*a0")) + NoVarRun() + NoVarRun() +
             SaveQuestion(),
         {},
         Report(NoVarReport("p(3)", "21") + NoVarReport("q(3)", "21"))},
        {"a no-argument function is called with empty parentheses",
         TypeEnroll("g", 0, "3.14*2") + TypeNoVarFormula("g()") + TypeNoVarFormula("g()*2+1") +
             "1\ng(1)\n0\n2\n",
         Start() + AtPrompt(Enrolled(0, "double g( void ) = 3.14*2")) + NoVarRun() + NoVarRun() +
             kAskFormula + "これは式になってないぞ！プンプン\nおかしいところはg(1…なんです。" +
             ClosingRule() + MenuText() + SaveQuestion(),
         {},
         Report(NoVarReport("g()", "6.28") + NoVarReport("g()*2+1", "13.56"))},
        // 1 + 2 + ... + 11 = 66, and 12 * 100.
        {"twelve arguments",
         TypeEnroll("k", 12, twelve) + TypeNoVarFormula("k(1,2,3,4,5,6,7,8,9,10,11,12)") + "0\n2\n",
         Start() + AtPrompt(Enrolled(12, "double k( " + ArgNames(12, " , ") + " ) = " + twelve)) +
             NoVarRun() + SaveQuestion(),
         {},
         Report(NoVarReport("k(1,2,3,4,5,6,7,8,9,10,11,12)", "1266"))},
        {"a varying variable as an argument",
         TypeEnroll("f", 2, "a0^2+a1") + "1\nf(x,1)\nx(0,2)[2]\nr.txt\n0\n2\n",
         Start() + AtPrompt(Enrolled(2, "double f( a0 , a1 ) = a0^2+a1")) + kAskFormula +
             "値を変化させる変数名と変化範囲を入力してください。(例) x(1,10) :\n" + kAskReportFile +
             ClosingRule() + MenuText() + SaveQuestion(),
         {},
         Report(kReportHead + "計算した式はf(x,1)\n値可変変数 x :範囲 [0] - [2] :分割2\n" +
                "変数(値固定)と、その値は以下の通りです\n" + kResultRule +
                "変数x\t関数計算値\n0\t1\n1\t2\n2\t5\n")},
        {"functions loaded from a save file",
         "-1\nSetUfList\nfg.dat\n1\n" + TypeNoVarFormula("g(4)") + "0\n2\n",
         Start() + AtPrompt(LoadAsked()) + NoVarRun() + SaveQuestion(),
         {{"fg.dat", FileId() + Record("f", 1, "a0*2") + Record("g", 1, "f(a0)+1")}},
         Report(NoVarReport("g(4)", "9"))},
    });
}

TEST(UserFunctionEvaluation, AnUndefinedFunctionCannotBeCalled) {
    Session session;
    session.WriteFile("fg.dat", FileId() + Record("f", 1, "a0*2"));
    SessionResult result = session.Run("-1\nSetUfList\nfg.dat\n0\n0\n1\nf(4)\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + AtPrompt(LoadAsked() + AskChooseNow()) + kAskFormula +
                             "これは式になってないぞ！プンプン\nおかしいところはf(…なんです。" +
                             ClosingRule() + MenuText(),
                         result.output));
    EXPECT_TRUE(session.Files() == std::vector<std::string>{"fg.dat"});
}

}  // namespace
