// The polar mode (menu 3): dialogue, report head, the sweep of the angle and
// the plane coordinates of each point.
#include "mode_dialogue.h"
#include "session.h"

#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kIntro = "r=f(θ)の形の式でf(θ)の部分を入力してください\nr=";
const std::string kAnglePrompt =
    "角度変数名と変化範囲(ラジアン単位)を入力してください。(例) tht(-2,2) :";

std::string Console(const std::string& after_intro) {
    return HelpScreen() + MenuText() + kIntro + after_intro + ClosingRule() + MenuText();
}

std::string Reported(const std::string& dialogue) {
    return Console(kAnglePrompt + "\n" + dialogue + kFilePrompt);
}

std::string Section(const std::string& name, const std::string& range_text) {
    return "角度変数" + name + " :範囲 " + range_text + "\n\n" + kResultRule +
           "動径 : r\t 角度 : " + name + "\t 横軸 : x\t 縦軸 : y\n";
}

TEST(PolarScenario, Runs) {
    Check_Runs({
        {"radius equal to the angle", "3\ntht\ntht(0,2)[2]\nout.txt\n0\n", Reported(""),
         "計算式 : r = tht  :角度変数 tht\n"
         "角度変数tht :範囲 [0] - [2] :分割2\n"
         "\n" +
             kResultRule +
             "動径 : r\t 角度 : tht\t 横軸 : x\t 縦軸 : y\n"
             "0\t0\t0\t0\n"
             "1\t1\t0.540302\t0.841471\n"
             "2\t2\t-0.832294\t1.81859\n"},
        {"a constant radius gives a quarter circle", "3\n2\ntht(0,1.5707963)[2]\nout.txt\n0\n",
         Reported(""),
         "計算式 : r = 2  :角度変数 tht\n" + Section("tht", "[0] - [1.5708] :分割2") +
             "2\t0\t2\t0\n"
             "2\t0.785398\t1.41421\t1.41421\n"
             "2\t1.5708\t5.35898e-08\t2\n"},
        {"an angle absent from the formula is accepted", "3\na\nphi(0,1)[1]\n3\nout.txt\n0\n",
         Reported(kValueHeader + "a="),
         "計算式 : r = a  :角度変数 phi\n"
         "変数(角度変数除く)と、その値\n"
         "a\t3\n" +
             Section("phi", "[0] - [1] :分割1") +
             "3\t0\t3\t0\n"
             "3\t1\t1.62091\t2.52441\n"},
        {"a further variable is asked and listed", "3\na*tht\ntht(0,2)[2]\n2\nout.txt\n0\n",
         Reported(kValueHeader + "a="),
         "計算式 : r = a*tht  :角度変数 tht\n"
         "変数(角度変数除く)と、その値\n"
         "a\t2\n" +
             Section("tht", "[0] - [2] :分割2") +
             "0\t0\t0\t0\n"
             "2\t1\t1.0806\t1.68294\n"
             "4\t2\t-1.66459\t3.63719\n"},
        {"a negative radius lies opposite the origin", "3\ntht-3\ntht(1,2)[1]\nout.txt\n0\n",
         Reported(""),
         "計算式 : r = tht-3  :角度変数 tht\n" + Section("tht", "[1] - [2] :分割1") +
             "-2\t1\t-1.0806\t-1.68294\n"
             "-1\t2\t0.416147\t-0.909297\n"},
        // sqrt(-1) is a NaN with its sign bit set; the report writes it as nan.
        {"a radius that is not a number", "3\nsqrt(tht)\ntht(-1,0)[1]\nout.txt\n0\n", Reported(""),
         "計算式 : r = sqrt(tht)  :角度変数 tht\n" + Section("tht", "[-1] - [0] :分割1") +
             "nan\t-1\tnan\tnan\n"
             "0\t0\t0\t0\n"},
        // Runs abandoned at the angle line, or before it.
        {"no angle", "3\ntht\n\n0\n", Console(kAnglePrompt + "変数が指定されていません\n"), ""},
        {"no angle, no variable", "3\n2\n\n0\n",
         Console(kAnglePrompt + "変数が指定されていません\n"), ""},
        {"a count of 0", "3\ntht\ntht(0,1)[0]\n0\n", Console(kAnglePrompt + kRangeError), ""},
        {"a malformed range", "3\ntht\ntht(0;1)\n0\n", Console(kAnglePrompt + kRangeError), ""},
        {"a line of blanks", "3\ntht\n  \n0\n", Console(kAnglePrompt + kRangeError), ""},
        {"end of input during the formula", "3\n", Console("\n入力失敗しました\n"), ""},
        {"a report file that cannot be opened", "3\ntht\ntht(0,1)[1]\nno/such/dir.txt\n0\n",
         Console(kAnglePrompt + "\n" + kFilePrompt + "ファイル書き込みに失敗しました。\n"), ""},
    });
}

TEST(PolarScenario, RangeWithoutCountGivesOneHundredDivisions) {
    Check_HundredDivisions(
        "3\ntht\ntht(0,1)\nout.txt\n0\n",
        "計算式 : r = tht  :角度変数 tht\n" + Section("tht", "[0] - [1] :分割100"),
        {{0, "0\t0\t0\t0"}, {100, "1\t1\t0.540302\t0.841471"}});
}

TEST(PolarScenario, EvaluationErrorEndsTheProgramWithTheHeadWritten) {
    const std::string fault = "sigma[n(1,1e10),n]";
    // With and without the angle in the formula.
    for (const std::string& formula : {"tht+" + fault, fault}) {
        Session session;
        SessionResult result = session.Run("3\n" + formula + "\ntht(0,1)[1]\nout.txt\n0\n");
        EXPECT_EQ(result.exit_status, 1) << formula;
        EXPECT_TRUE(SameText(HelpScreen() + MenuText() + kIntro + kAnglePrompt + "\n" +
                                 kFilePrompt + "関数計算中にエラーが発生しました\n",
                             result.output));
        EXPECT_TRUE(SameText(kReportHead + "計算式 : r = " + formula + "  :角度変数 tht\n" +
                                 Section("tht", "[0] - [1] :分割1"),
                             session.ReadFile("out.txt")));
    }
}

}  // namespace
