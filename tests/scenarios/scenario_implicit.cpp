// The implicit mode (menu 2): dialogue, report head, grid scan and the
// vertical and horizontal solution lines.
#include "mode_dialogue.h"
#include "session.h"

#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kIntro = "F(x,y)=0の形の式でF(x,y)の部分を入力してください\n";
const std::string kIndependentPrompt = "独立変数名と変化範囲を入力してください。(例) x(1,10) :";
const std::string kDependentPrompt = "従属変数名と変化範囲を入力してください。(例) y(1,10) :";
const std::string kBothNamed = kIndependentPrompt + "\n" + kDependentPrompt + "\n";

std::string Console(const std::string& after_intro) {
    return HelpScreen() + MenuText() + kIntro + after_intro + ClosingRule() + MenuText();
}

std::string Reported(const std::string& dialogue) { return Console(dialogue + kFilePrompt); }

std::string BothSection(const std::string& x_range, const std::string& y_range) {
    return "独立変数" + x_range + "\n従属変数" + y_range + "\n\n" + kResultRule +
           "独立変数x\t従属変数y\t  関数計算値\n";
}

// The report after its head (whose length in code page 932 is that of head_utf8).
std::vector<std::string> DataLines(const std::string& report, const std::string& head_utf8) {
    std::string head = PlatformText(Cp932(head_utf8));
    EXPECT_TRUE(SameText(head_utf8, report.substr(0, head.size())));
    return Lines(UnixText(report.substr(head.size())));
}

TEST(ImplicitScenario, Runs) {
    const std::string only_x = kIndependentPrompt + "\n" + kDependentPrompt;
    const std::string x_only_columns = "独立変数x\t従属変数(文字指定なし) \t  関数値\n";
    Check_Runs({
        {"the unit circle on a five by three grid",
         "2\nx^2+y^2-1\nx(-1,1)[4]\ny(-1,1)[2]\nout.txt\n0\n", Reported(kBothNamed),
         kUnitCircleReport},
        {"only the independent variable named draws a vertical line",
         "2\nx-2\nx(0,4)[4]\n\nout.txt\n0\n", Reported(only_x),
         "計算式 x-2= 0 \n"
         "独立変数 x  :従属変数 \n"
         "独立変数x :範囲 [0] - [4] :分割4\n"
         "\n" +
             kResultRule + x_only_columns +
             "2\t0\t0\n"
             "2\t1\t0\n"
             "2\t2\t0\n"
             "2\t3\t0\n"
             "2\t4\t0\n"},
        {"only the dependent variable named draws a horizontal line",
         "2\ny-1\n\ny(0,2)[2]\nout.txt\n0\n",
         Reported(kIndependentPrompt + kDependentPrompt + "\n"),
         "計算式 y-1= 0 \n"
         "独立変数   :従属変数 y\n"
         "従属変数y :範囲 [0] - [2] :分割2\n"
         "\n" +
             kResultRule +
             "独立変数(文字指定なし)\t 従属変数y\t  関数値\n"
             "0\t1\t0\n"
             "1\t1\t0\n"
             "2\t1\t0\n"},
        {"a further variable is asked and listed",
         "2\nx^2+y^2-r\nx(-2,2)[4]\ny(-2,2)[2]\n4\nout.txt\n0\n",
         Reported(kBothNamed + kValueHeader + "r="),
         "計算式 x^2+y^2-r= 0 \n"
         "独立変数 x  :従属変数 y\n"
         "変数(独立・従属変数除く)と、その値\n"
         "r\t4\n" +
             BothSection("x :範囲 [-2] - [2] :分割4", "y :範囲 [-2] - [2] :分割2") +
             "0\t-2\t0\n"
             "-2\t0\t0\n"
             "2\t0\t0\n"
             "0\t2\t0\n"},
        {"a sign change of a single variable", "2\nx-0.3\nx(0,1)[2]\n\nout.txt\n0\n",
         Reported(only_x),
         "計算式 x-0.3= 0 \n独立変数 x  :従属変数 \n"
         "独立変数x :範囲 [0] - [1] :分割2\n\n" +
             kResultRule + x_only_columns +
             "0.5\t0\t0.2\n"
             "0.5\t0.5\t0.2\n"
             "0.5\t1\t0.2\n"},
        // F is 1, then 0*(0/0) = nan, then -1: the nan point is no solution and
        // its product with -1 is no sign change either, so no line is written.
        {"not a number hides the sign change after it",
         "2\n(1-x)*((x-1)/(x-1))\nx(0,2)[2]\n\nout.txt\n0\n", Reported(only_x),
         "計算式 (1-x)*((x-1)/(x-1))= 0 \n独立変数 x  :従属変数 \n"
         "独立変数x :範囲 [0] - [2] :分割2\n\n" +
             kResultRule + x_only_columns},
        // One variable for both makes no curve: refused after the second line.
        {"the same name for both variables", "2\nx-1\nx(0,2)[2]\nx(5,6)[1]\n0\n",
         Console(kBothNamed + "独立変数と従属変数には、別々の変数を指定してください\n"), ""},
        // y is not named: it is asked like any other variable and listed in the head.
        {"the value dialogue skips only named variables",
         "2\nx-y-a\nx(0,4)[4]\n\n1\n2\nout.txt\n0\n", Reported(only_x + kValueHeader + "a=y="),
         "計算式 x-y-a= 0 \n独立変数 x  :従属変数 \n"
         "変数(独立・従属変数除く)と、その値\n"
         "a\t1\n"
         "y\t2\n"
         "独立変数x :範囲 [0] - [4] :分割4\n\n" +
             kResultRule + x_only_columns +
             "3\t0\t0\n"
             "3\t1\t0\n"
             "3\t2\t0\n"
             "3\t3\t0\n"
             "3\t4\t0\n"},
        // Runs abandoned during the input.
        {"no variables", "2\n2+3\n0\n",
         Console("独立変数と従属変数に設定できる変数がないので計算できません\n"), ""},
        {"neither variable named", "2\nx+y\n\n\n0\n",
         Console(kIndependentPrompt + kDependentPrompt +
                 "独立変数,従属変数ともに指定されていないので計算できません\n"),
         ""},
        {"an independent variable not in the formula", "2\nx+y\nz(0,1)\n0\n",
         Console(kIndependentPrompt + "この変数は与式に存在していません.\n"), ""},
        {"a dependent variable not in the formula", "2\nx+y\nx(0,1)\nz(0,1)\n0\n",
         Console(only_x + "この変数は与式に存在していません.\n"), ""},
        {"a line of blanks", "2\nx+y\n   \n0\n", Console(kIndependentPrompt + kRangeError), ""},
        {"a count of 0", "2\nx+y\nx(0,1)[0]\n0\n", Console(kIndependentPrompt + kRangeError), ""},
        {"a count of 0 for y", "2\nx+y\n\ny(0,1)[0]\n0\n",
         Console(kIndependentPrompt + kDependentPrompt + kRangeError), ""},
        {"a malformed range", "2\nx+y\nx(0,\n0\n", Console(kIndependentPrompt + kRangeError), ""},
        {"a bound beyond the doubles for y", "2\nx+y\n\ny(-1e309,1)\n0\n",
         Console(kIndependentPrompt + kDependentPrompt + kRangeError), ""},
        {"no formula", "2\n\n0\n", Console("式が入力されていません\n"), ""},
        {"end of input during the formula", "2\n", Console("\n入力失敗しました\n"), ""},
        {"a report file that cannot be opened",
         "2\nx+y\nx(0,1)[1]\ny(0,1)[1]\nno/such/dir.txt\n0\n",
         Console(kBothNamed + kFilePrompt + "ファイル書き込みに失敗しました。\n"), ""},
    });
}

TEST(ImplicitScenario, SignChangeIsReportedAtTheLaterPointWithItsValue) {
    // Row y=0: F goes -0.3, 0.2, 0.7; row y=0.1: -0.2, 0.3, 0.8. A square that
    // touches zero between two grid points gives no line.
    Session session;
    SessionResult result = session.Run(
        "2\nx-0.3+y\nx(0,1)[2]\ny(0,0.1)[1]\nout.txt\n"
        "2\n(x-1)^2+y\nx(0,2)[1]\ny(0,1)[1]\ntouch.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(kReportHead + "計算式 x-0.3+y= 0 \n独立変数 x  :従属変数 y\n" +
                             BothSection("x :範囲 [0] - [1] :分割2", "y :範囲 [0] - [0.1] :分割1") +
                             "0.5\t0\t0.2\n"
                             "0.5\t0.1\t0.3\n",
                         session.ReadFile("out.txt")));
    EXPECT_TRUE(SameText(kReportHead + "計算式 (x-1)^2+y= 0 \n独立変数 x  :従属変数 y\n" +
                             BothSection("x :範囲 [0] - [2] :分割1", "y :範囲 [0] - [1] :分割1"),
                         session.ReadFile("touch.txt")));
}

TEST(ImplicitScenario, DefaultDivisionsAreTwoHundredAndOneHundred) {
    Session rows;
    rows.Run("2\nx+0*y\nx(0,1)\ny(0,1)\nout.txt\n0\n");
    // Every row is zero at its first point only: one line per row, 101 rows.
    std::vector<std::string> data =
        DataLines(rows.ReadFile("out.txt"),
                  kReportHead + "計算式 x+0*y= 0 \n独立変数 x  :従属変数 y\n" +
                      BothSection("x :範囲 [0] - [1] :分割200", "y :範囲 [0] - [1] :分割100"));
    ASSERT_EQ(data.size(), 101u);
    EXPECT_EQ(data[0], "0\t0\t0");
    EXPECT_EQ(data[1], "0\t0.01\t0");
    EXPECT_EQ(data[100], "0\t1\t0");

    Session columns;
    columns.Run("2\nx\nx(0,1)\n\nout.txt\n0\n");
    // The root x=0 is drawn over 201 points of x's own range.
    data = DataLines(columns.ReadFile("out.txt"),
                     kReportHead +
                         "計算式 x= 0 \n独立変数 x  :従属変数 \n"
                         "独立変数x :範囲 [0] - [1] :分割200\n\n" +
                         kResultRule + "独立変数x\t従属変数(文字指定なし) \t  関数値\n");
    ASSERT_EQ(data.size(), 201u);
    EXPECT_EQ(data[1], "0\t0.005\t0");
    EXPECT_EQ(data[200], "0\t1\t0");
}

TEST(ImplicitScenario, EvaluationErrorEndsTheProgramWithTheHeadWritten) {
    const std::string fault = "sigma[n(1,1e10),n]";
    const std::string message = "関数計算中にエラーが発生しました\n";
    struct Case {
        std::string formula;
        std::string ranges;
        std::string console;
        std::string report;
    };
    const std::vector<Case> cases = {
        {"x+y+" + fault, "x(0,1)[1]\ny(0,1)[1]\n", kBothNamed,
         "独立変数 x  :従属変数 y\n" +
             BothSection("x :範囲 [0] - [1] :分割1", "y :範囲 [0] - [1] :分割1")},
        {"x+" + fault, "x(0,1)[1]\n\n", kIndependentPrompt + "\n" + kDependentPrompt,
         "独立変数 x  :従属変数 \n独立変数x :範囲 [0] - [1] :分割1\n\n" + kResultRule +
             "独立変数x\t従属変数(文字指定なし) \t  関数値\n"},
        {"y+" + fault, "\ny(0,1)[1]\n", kIndependentPrompt + kDependentPrompt + "\n",
         "独立変数   :従属変数 y\n従属変数y :範囲 [0] - [1] :分割1\n\n" + kResultRule +
             "独立変数(文字指定なし)\t 従属変数y\t  関数値\n"},
    };
    for (const Case& run : cases) {
        Session session;
        SessionResult result =
            session.Run("2\n" + run.formula + "\n" + run.ranges + "out.txt\n0\n");
        EXPECT_EQ(result.exit_status, 1) << run.formula;
        EXPECT_TRUE(
            SameText(HelpScreen() + MenuText() + kIntro + run.console + kFilePrompt + message,
                     result.output));
        EXPECT_TRUE(SameText(kReportHead + "計算式 " + run.formula + "= 0 \n" + run.report,
                             session.ReadFile("out.txt")));
    }
}

}  // namespace
