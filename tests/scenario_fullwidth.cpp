// Numbers typed in full width (a Japanese input method in full-width mode):
// every numeric prompt and range text reads them as the half-width session
// does; a formula refused at a full-width character gets a hint line.
#include <string>
#include <utility>
#include <vector>

#include "session.h"
#include "userfunc_dialogue.h"

namespace {
using namespace userfunc_test;

struct TwinCase {
    const char* what;
    std::string full_width;
    std::string half_width;
    std::string shown;  // a text the half-width run prints, so that it did the work
    std::vector<std::string> files_after;  // f.dat is there before
};

const std::string kFRecordFile = FileId() + Record("f", 1, "a0*2");

TEST(FullWidthScenario, NumericPromptsReadFullWidthAsHalfWidth) {
    const TwinCase cases[] = {
        {"menu", "１\nx^2\nx(0,1)[4]\nout.txt\n０\n", "1\nx^2\nx(0,1)[4]\nout.txt\n0\n", "", {"f.dat", "out.txt"}},
        {"command prompt", "－１\nCheckUfList\nf\n０\n", "-1\nCheckUfList\nf\n0\n", "関数 f は登録されていません。", {"f.dat"}},
        {"minus sign", "−１\nCheckUfList\nf\n0\n", "-1\nCheckUfList\nf\n0\n", "関数 f は", {"f.dat"}},
        {"blank after the number", "　２　\n", " 2 \n", "式が入力されていません", {"f.dat"}},
        {"signed help", "＋５\n０\n", "+5\n0\n", "sigma   :総和", {"f.dat"}},
        {"full stop", "１．\n", "1.\n", "式が入力されていません", {"f.dat"}},
        {"fixed values", "1\nx*y+z\nx(0,1)[2]\n－２．５\n＋１２　\nout.txt\n0\n",
         "1\nx*y+z\nx(0,1)[2]\n-2.5\n+12 \nout.txt\n0\n", "", {"f.dat", "out.txt"}},
        {"range text", "1\nx^2\nx（－１．５，　＋１．５）［４］\nout.txt\n0\n",
         "1\nx^2\nx(-1.5, +1.5)[4]\nout.txt\n0\n", "", {"f.dat", "out.txt"}},
        {"implicit ranges", "2\nx^2+y^2-1\nx（−１，１）［４］\ny(-1,1)[２]\nout.txt\n0\n",
         "2\nx^2+y^2-1\nx(-1,1)[4]\ny(-1,1)[2]\nout.txt\n0\n", "", {"f.dat", "out.txt"}},
        {"full-width name", "1\nx\nｘ（０，１）\n0\n", "1\nx\n#(0,1)\n0\n", "変数、範囲の与え方", {"f.dat"}},
        {"enrol and save at the end", "－１\nEnrUsrfunc\n１\nf\n２\na0+a1\n０\n１\ng.dat\n",
         "-1\nEnrUsrfunc\n1\nf\n2\na0+a1\n0\n1\ng.dat\n", "a0+a1", {"f.dat", "g.dat"}},
        {"load choices", "－１\nSetUfList\nf.dat\n１\n－１\nCheckUfList\nf\n０\n２\n",
         "-1\nSetUfList\nf.dat\n1\n-1\nCheckUfList\nf\n0\n2\n", "内容も定義済みです", {"f.dat"}},
    };
    for (const TwinCase& c : cases) {
        Session full, half;
        full.WriteFile("f.dat", kFRecordFile);
        half.WriteFile("f.dat", kFRecordFile);
        SessionResult full_result = full.Run(c.full_width);
        SessionResult half_result = half.Run(c.half_width);
        EXPECT_EQ(full_result.exit_status, half_result.exit_status) << c.what;
        EXPECT_EQ(full_result.output, half_result.output) << c.what;
        EXPECT_NE(half_result.output.find(Cp932(c.shown)), std::string::npos) << c.what;
        EXPECT_EQ(half.Files(), c.files_after) << c.what;
        for (const std::string& name : half.Files())
            EXPECT_EQ(full.ReadFile(name), half.ReadFile(name)) << c.what << ": " << name;
    }
}

const std::string kHint = "全角の英数字・記号は半角で入力して下さい。\n";
const std::string kRefused = "これは式になってないぞ！プンプン\n";

TEST(FullWidthScenario, FormulaErrorsAtFullWidthCharactersGetAHint) {
    const std::pair<std::string, std::string> cases[] = {
        {"1+ｘ", "1+ｘ…なんです。\n" + kHint},
        {"1+　2", "1+　…なんです。\n" + kHint},
        {"（x)", "（…なんです。\n" + kHint},
        {"x*２", "x*２…なんです。\n" + kHint},
        {"1+表", "1+表…なんです。"},
        {"1+x)", "1+x)…なんです。"},
        {"1+", "1+…なんです。"},
    };
    for (const auto& c : cases) {
        Session session;
        SessionResult result = session.Run("1\n" + c.first + "\n0\n");
        EXPECT_TRUE(SameText(Start() + "計算したい式を入力してくださいな\n" + kRefused +
                                 "おかしいところは" + c.second + ClosingRule() + MenuText(),
                             result.output))
            << c.first;
    }
    Session definition;
    SessionResult result = definition.Run("-1\nEnrUsrfunc\n1\nf\n1\na0＋1\n0\n");
    EXPECT_TRUE(SameText(
        Start() + AtPrompt(EnrollAsked(1) + kRefused + "\n" + kHint + EnrollRefused()),
        result.output));
}

}  // namespace
