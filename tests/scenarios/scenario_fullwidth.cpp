// Numbers typed in full width (a Japanese input method in full-width mode):
// every numeric prompt and range text reads them as the half-width twin of the
// session does; a formula refused at a full-width character gets a hint line.
#include <string>
#include <vector>

#include "halfwidth_twin.h"
#include "session.h"
#include "userfunc_dialogue.h"

namespace {
using namespace userfunc_test;

struct TwinCase {
    std::string typed;                     // full width; its twin is typed in a second session
    std::string shown;                     // a text the twin prints, so that it did the work
    std::vector<std::string> files_after;  // f.dat is there before
};

TEST(FullWidthScenario, NumericPromptsReadFullWidthAsHalfWidth) {
    const TwinCase cases[] = {
        {"１\nx^2\nx(0,1)[4]\nout.txt\n０\n", "", {"f.dat", "out.txt"}},
        {"－１\nCheckUfList\nf\n０\n", "関数 f は登録されていません。", {"f.dat"}},
        {"−１\nCheckUfList\nf\n0\n", "関数 f は", {"f.dat"}},
        {"　２　\n", "式が入力されていません", {"f.dat"}},  // the line feed is left
        {"＋５\n１．\n", "式が入力されていません", {"f.dat"}},
        {"1\nx*y+z\nx(0,1)[2]\n－２．５\n＋１２　\nout.txt\n0\n", "", {"f.dat", "out.txt"}},
        {"1\nx^2\nx（－１．５，　＋１．５）［４］\nout.txt\n0\n", "", {"f.dat", "out.txt"}},
        {"2\nx^2+y^2-1\nx（−１，１）［４］\ny(-1,1)[２]\nout.txt\n0\n", "", {"f.dat", "out.txt"}},
        {"1\nx\nｘ（０，１）\n0\n", "変数、範囲の与え方が間違っています", {"f.dat"}},
        {"－１\nEnrUsrfunc\n１\nf\n２\na0+a1\n０\n１\ng.dat\n", "a0+a1", {"f.dat", "g.dat"}},
        {"－１\nSetUfList\nf.dat\n１\n－１\nCheckUfList\nf\n０\n２\n",
         "内容も定義済みです",
         {"f.dat"}},
    };
    for (const TwinCase& c : cases) {
        Session full, half;
        full.WriteFile("f.dat", FileId() + Record("f", 1, "a0*2"));
        half.WriteFile("f.dat", FileId() + Record("f", 1, "a0*2"));
        SessionResult full_result = full.Run(c.typed);
        SessionResult half_result = half.Run(HalfWidthTwin(c.typed));
        EXPECT_EQ(full_result.exit_status, half_result.exit_status) << c.typed;
        EXPECT_EQ(full_result.output, half_result.output) << c.typed;
        EXPECT_NE(half_result.output.find(Cp932(c.shown)), std::string::npos) << c.typed;
        EXPECT_EQ(half.Files(), c.files_after) << c.typed;
        for (const std::string& name : half.Files())
            EXPECT_EQ(full.ReadFile(name), half.ReadFile(name)) << c.typed << name;
    }
}

TEST(FullWidthScenario, FormulaErrorsAtFullWidthCharactersGetAHint) {
    const std::string hint = "\n全角の英数字・記号・空白は半角で入力してください。\n";
    const std::string refused = "これは式になってないぞ！プンプン\n";
    const std::pair<std::string, std::string> cases[] = {
        {"1+ｘ", "1+ｘ…なんです。" + hint}, {"1+　2", "1+　…なんです。" + hint},
        {"（x)", "（…なんです。" + hint},   {"x*２", "x*２…なんです。" + hint},
        {"1+表", "1+表…なんです。"},        {"1+x)", "1+x)…なんです。"},
    };
    for (const auto& c : cases) {
        Session session;
        EXPECT_TRUE(SameText(Start() + "計算したい式を入力してくださいな\n" + refused +
                                 "おかしいところは" + c.second + ClosingRule() + MenuText(),
                             session.Run("1\n" + c.first + "\n0\n").output))
            << c.first;
    }
    Session definition;  // reported without the text: the hint follows the message
    EXPECT_TRUE(SameText(Start() + AtPrompt(EnrollAsked(1) + refused + hint + EnrollRefused()),
                         definition.Run("-1\nEnrUsrfunc\n1\nf\n1\na0＋1\n0\n").output));
}

}  // namespace
