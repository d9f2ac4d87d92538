// The parametric mode (menu 4): dialogue, report head, result sections,
// evaluation errors.
#include "mode_dialogue.h"
#include "session.h"

#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kIntro = "計算したい式を x= ,y= の順に入力してください\nx= y= ";
const std::string kRangePrompt = "媒介変数名と変化範囲を入力してください。(例) t(1,10) :";
const std::string kSigmaFault = "sigma[n(1,1e10),n]";

// The whole console of one parametric run followed by the end of the program.
std::string Console(const std::string& after_formulas) {
    return HelpScreen() + MenuText() + kIntro + after_formulas + ClosingRule() + MenuText();
}

// Console and report of a run that reached the report file out.txt.
std::string Reported(const std::string& dialogue) { return Console(dialogue + kFilePrompt); }

std::string Section(const std::string& name, const std::string& range_text) {
    return "媒介変数" + name + " :範囲 " + range_text + "\n\n" + kResultRule + "媒介変数" + name +
           "\tx成分\ty成分\n";
}

TEST(ParamScenario, Runs) {
    Check_Runs({
        {"cosine and sine over four steps", "4\ncos(t)\nsin(t)\nt(0,1)[4]\nout.txt\n0\n",
         Reported(kRangePrompt + "\n"),
         "計算式 x=cos(t) :y=sin(t)\n"
         "媒介変数 t\n"
         "媒介変数t :範囲 [0]- [1] :分割4\n"
         "\n" +
             kResultRule +
             "媒介変数t\tx成分\ty成分\n"
             "0\t1\t0\n"
             "0.25\t0.968912\t0.247404\n"
             "0.5\t0.877583\t0.479426\n"
             "0.75\t0.731689\t0.681639\n"
             "1\t0.540302\t0.841471\n"},
        {"constant formulas ask nothing and write two lines", "4\n2*3\n4\nout.txt\n0\n",
         Reported(""), "計算式 x=2*3 :y=4\n" + kResultRule + "2*3=6\n4=4\n"},
        {"an empty parameter line asks every variable of each table",
         "4\na*t\nt+b\n\n2\n3\n10\n5\nout.txt\n0\n",
         Reported(kRangePrompt + kValueHeader + "a=t=" + kValueHeader + "b=t="),
         "計算式 x=a*t :y=t+b\n"
         "x成分の変数(媒介変数除く)と、その値\n"
         "a\t2\n"
         "t\t3\n"
         "\n"
         "y成分の変数(媒介変数除く)と、その値\n"
         "b\t10\n"
         "t\t5\n" +
             kResultRule + "a*t=6\nt+b=15\n"},
        {"the parameter only in x repeats the fixed y", "4\nr*t\na\nt(0,1)[2]\n2\n7\nout.txt\n0\n",
         Reported(kRangePrompt + "\n" + kValueHeader + "r=" + kValueHeader + "a="),
         "計算式 x=r*t :y=a\n"
         "媒介変数 t\n"
         "x成分の変数(媒介変数除く)と、その値\n"
         "r\t2\n"
         "\n"
         "y成分の変数(媒介変数除く)と、その値\n"
         "a\t7\n" +
             Section("t", "[0]- [1] :分割2") +
             "0\t0\t7\n"
             "0.5\t1\t7\n"
             "1\t2\t7\n"},
        {"the parameter only in y repeats the fixed x", "4\n5\nt^2\nt(0,2)[2]\nout.txt\n0\n",
         Reported(kRangePrompt + "\n"),
         "計算式 x=5 :y=t^2\n媒介変数 t\n" + Section("t", "[0]- [2] :分割2") +
             "0\t5\t0\n"
             "1\t5\t1\n"
             "2\t5\t4\n"},
        {"a variable in both formulas is asked once per table",
         "4\na+t\na*t\nt(0,1)[1]\n1\n3\nout.txt\n0\n",
         Reported(kRangePrompt + "\n" + kValueHeader + "a=" + kValueHeader + "a="),
         "計算式 x=a+t :y=a*t\n"
         "媒介変数 t\n"
         "x成分の変数(媒介変数除く)と、その値\n"
         "a\t1\n"
         "\n"
         "y成分の変数(媒介変数除く)と、その値\n"
         "a\t3\n" +
             Section("t", "[0]- [1] :分割1") +
             "0\t1\t0\n"
             "1\t2\t3\n"},
        {"the parameter in neither formula gives the two-line form",
         "4\na\nb\ns(0,1)[2]\n1\n2\nout.txt\n0\n",
         Reported(kRangePrompt + "\n" + kValueHeader + "a=" + kValueHeader + "b="),
         "計算式 x=a :y=b\n"
         "媒介変数 s\n"
         "x成分の変数(媒介変数除く)と、その値\n"
         "a\t1\n"
         "\n"
         "y成分の変数(媒介変数除く)と、その値\n"
         "b\t2\n" +
             kResultRule + "a=1\nb=2\n"},
        // Refused range lines abandon the run.
        {"a count of 0", "4\nt\nt\nt(0,1)[0]\n0\n", Console(kRangePrompt + kRangeError), ""},
        {"a malformed line", "4\nt\nt\nt(0,1\n0\n", Console(kRangePrompt + kRangeError), ""},
        {"a line of blanks", "4\nt\nt\n   \n0\n", Console(kRangePrompt + kRangeError), ""},
        {"a report file that cannot be opened", "4\nt\n1\nt(0,1)[2]\nno/such/dir.txt\n0\n",
         Console(kRangePrompt + "\n" + kFilePrompt + "ファイル書き込みに失敗しました。\n"), ""},
        {"a report on a full device", "4\ncos(t)\nsin(t)\nt(0,1)[4]\n/dev/full\n0\n",
         Console(kRangePrompt + "\n" + kFilePrompt + "ファイル書き込みに失敗しました。\n"), ""},
        {"end of input during x", "4\n",
         HelpScreen() + MenuText() +
             "計算したい式を x= ,y= の順に入力してください\nx= \n入力失敗しました\n" +
             ClosingRule() + MenuText(),
         ""},
        {"end of input during y", "4\nt\n", Console("\n入力失敗しました\n"), ""},
        {"a malformed formula", "4\nt\n\n0\n", Console("式が入力されていません\n"), ""},
        // The empty parameter line at end of input: both t asked as values (0),
        // then an empty file name cannot be opened.
        {"end of input after the formulas", "4\nt\nt\n",
         Console(kRangePrompt + kValueHeader + "t=" + kValueHeader + "t=" + kFilePrompt +
                 "ファイル書き込みに失敗しました。\n"),
         ""},
    });
}

TEST(ParamScenario, RangeWithoutCountGivesOneHundredDivisions) {
    Check_HundredDivisions(
        "4\nt\nt*2\nt(0,1)\nout.txt\n0\n",
        "計算式 x=t :y=t*2\n媒介変数 t\n" + Section("t", "[0]- [1] :分割100"),
        {{0, "0\t0\t0"}, {1, "0.01\t0.01\t0.02"}, {50, "0.5\t0.5\t1"}, {100, "1\t1\t2"}});
}

TEST(ParamScenario, DescendingRangeAndNegativeCount) {
    Session session;
    SessionResult result =
        session.Run("4\nt\n1\nt(1,0)[2]\ndown.txt\n4\nt\n1\nt(0,1)[-3]\nneg.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(kReportHead + "計算式 x=t :y=1\n媒介変数 t\n" +
                             Section("t", "[1]- [0] :分割2") + "1\t1\t1\n0.5\t0.5\t1\n0\t0\t1\n",
                         session.ReadFile("down.txt")));
    EXPECT_TRUE(
        SameText(kReportHead + "計算式 x=t :y=1\n媒介変数 t\n" + Section("t", "[0]- [1] :分割-3"),
                 session.ReadFile("neg.txt")));
}

TEST(ParamScenario, ExistingReportKeepsItsContents) {
    Session session;
    session.WriteFile("out.txt", PlatformText("old line\n"));
    SessionResult result = session.Run("4\n1\n2\nout.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(
        SameText("old line\n" + kReportHead + "計算式 x=1 :y=2\n" + kResultRule + "1=1\n2=2\n",
                 session.ReadFile("out.txt")));
}

// Each evaluation that fails ends the program with its own message; what the
// report already holds reaches the file.
struct EvaluationFault {
    std::string x_formula;
    std::string y_formula;
    std::string range_answer;  // with the values that follow it
    std::string console_after_formulas;
    std::string report_after_head;
    std::string message;
};

TEST(ParamScenario, EvaluationErrorsEndTheProgram) {
    const std::string both = Section("t", "[0]- [1] :分割1");
    const std::vector<EvaluationFault> faults = {
        {"t+" + kSigmaFault, "t", "t(0,1)[1]\n", kRangePrompt + "\n", both,
         "関数計算中(x成分)にエラーが発生しました\n"},
        {"t", "t+" + kSigmaFault, "t(0,1)[1]\n", kRangePrompt + "\n", both,
         "関数計算中(y成分)にエラーが発生しました\n"},
        {"t", kSigmaFault, "t(0,1)[1]\n", kRangePrompt + "\n", both,
         "y成分(固定)計算中にエラーが発生しました\n"},
        {"t+" + kSigmaFault, "1", "t(0,1)[1]\n", kRangePrompt + "\n", both,
         "x成分関数計算中にエラーが発生しました\n"},
        {kSigmaFault, "t", "t(0,1)[1]\n", kRangePrompt + "\n", both,
         "x成分(固定)計算中にエラーが発生しました\n"},
        {"1", "t+" + kSigmaFault, "t(0,1)[1]\n", kRangePrompt + "\n", both,
         "y成分関数計算中にエラーが発生しました\n"},
        {kSigmaFault, "1", "", "", kResultRule, "x成分計算中にエラーが発生しました\n"},
        {"1", kSigmaFault, "", "", kResultRule, "y成分計算中にエラーが発生しました\n"},
    };
    for (const EvaluationFault& fault : faults) {
        Session session;
        SessionResult result = session.Run("4\n" + fault.x_formula + "\n" + fault.y_formula + "\n" +
                                           fault.range_answer + "out.txt\n0\n");
        EXPECT_EQ(result.exit_status, 1) << fault.message;
        EXPECT_TRUE(SameText(HelpScreen() + MenuText() + kIntro + fault.console_after_formulas +
                                 kFilePrompt + fault.message,
                             result.output));
        std::string parameter_line = fault.range_answer.empty() ? "" : "媒介変数 t\n";
        EXPECT_TRUE(SameText(kReportHead + "計算式 x=" + fault.x_formula + " :y=" +
                                 fault.y_formula + "\n" + parameter_line + fault.report_after_head,
                             session.ReadFile("out.txt")));
    }
}

}  // namespace
