// kansu plot against the real binary: a report written by the dialogue, drawn
// as SVG and on the terminal, --plot in the dialogue, and the one-line errors.
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "mode_dialogue.h"
#include "session.h"
#include "userfunc_dialogue.h"
#include "terminal.h"

namespace {

// x^2-1 over x(-1,2)[6], written by the explicit mode.
const std::string kTyped = "1\nx^2-1\nx(-1,2)[6]\nout.txt\n0\n";

const std::string kSvg = R"svg(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" xml:lang="ja" width="800" height="560" viewBox="0 0 800 560" font-family="'Hiragino Sans','Hiragino Kaku Gothic ProN','Yu Gothic','Meiryo','MS Gothic','Noto Sans CJK JP','Noto Sans JP','IPAexGothic','IPAGothic','TakaoGothic',sans-serif">
<title>x^2-1</title>
<rect width="800" height="560" fill="#ffffff"/>
<g stroke="#e3e3e3" stroke-width="1">
<line x1="80.0" y1="60.0" x2="80.0" y2="490.0"/>
<line x1="195.0" y1="60.0" x2="195.0" y2="490.0"/>
<line x1="310.0" y1="60.0" x2="310.0" y2="490.0"/>
<line x1="425.0" y1="60.0" x2="425.0" y2="490.0"/>
<line x1="540.0" y1="60.0" x2="540.0" y2="490.0"/>
<line x1="655.0" y1="60.0" x2="655.0" y2="490.0"/>
<line x1="770.0" y1="60.0" x2="770.0" y2="490.0"/>
<line x1="80.0" y1="474.1" x2="770.0" y2="474.1"/>
<line x1="80.0" y1="374.5" x2="770.0" y2="374.5"/>
<line x1="80.0" y1="275.0" x2="770.0" y2="275.0"/>
<line x1="80.0" y1="175.5" x2="770.0" y2="175.5"/>
<line x1="80.0" y1="75.9" x2="770.0" y2="75.9"/>
</g>
<rect x="80.0" y="60.0" width="690.0" height="430.0" fill="none" stroke="#000000"/>
<g font-size="12" fill="#333333">
<text x="80.0" y="507.0" text-anchor="middle">-1.0</text>
<text x="195.0" y="507.0" text-anchor="middle">-0.5</text>
<text x="310.0" y="507.0" text-anchor="middle">0.0</text>
<text x="425.0" y="507.0" text-anchor="middle">0.5</text>
<text x="540.0" y="507.0" text-anchor="middle">1.0</text>
<text x="655.0" y="507.0" text-anchor="middle">1.5</text>
<text x="770.0" y="507.0" text-anchor="middle">2.0</text>
<text x="74.0" y="478.1" text-anchor="end">-1</text>
<text x="74.0" y="378.5" text-anchor="end">0</text>
<text x="74.0" y="279.0" text-anchor="end">1</text>
<text x="74.0" y="179.5" text-anchor="end">2</text>
<text x="74.0" y="79.9" text-anchor="end">3</text>
</g>
<text x="425.0" y="26.0" text-anchor="middle" font-size="17">x^2-1</text>
<text x="425.0" y="534.0" text-anchor="middle" font-size="14">変数x</text>
<text x="22.0" y="275.0" text-anchor="middle" font-size="14" transform="rotate(-90 22.0 275.0)">関数計算値</text>
<polyline points="80.0,374.5 195.0,449.2 310.0,474.1 425.0,449.2 540.0,374.5 655.0,250.1 770.0,75.9" fill="none" stroke="#1f77b4" stroke-width="1.5" stroke-linejoin="round" stroke-linecap="round"/>
</svg>
)svg";

// The same run on an 80-column terminal: ASCII marks on a code page 932
// console, braille with --utf8.
const std::string kTermAscii = R"svg(x^2-1
          3.2 +----------------------------------------------------------------+
              |                                                               .|
              |                                                              .'|
              |                                                             :' |
              |                                                           .:   |
              |                                                          .'    |
              |                                                         :'     |
              |                                                       .:       |
              |                                                      .'        |
              |                                                     :'         |
              |                                                   .:           |
              |                                                 .:'            |
              |                                               .:'              |
              |                                             .:'                |
              |                                            :'                  |
              |.                                        ..'                    |
              | ':.                                  ..''                      |
              |    ':..                           ..''                         |
              |       ''..                     .:'                             |
              |          '''':....    .....:''''                               |
              |                   '''''                                        |
         -1.2 +----------------------------------------------------------------+
              -1.0                                                           2.0
x: 変数x   y: 関数計算値
)svg";
const std::string kTermBraille = R"svg(x^2-1
          3.2 +----------------------------------------------------------------+
              |                                                               ⢠|
              |                                                              ⡠⠃|
              |                                                             ⡔⠁ |
              |                                                           ⢀⠎   |
              |                                                          ⢠⠃    |
              |                                                         ⡰⠁     |
              |                                                       ⢀⠜       |
              |                                                      ⢠⠊        |
              |                                                     ⡰⠁         |
              |                                                   ⢀⠎           |
              |                                                 ⢀⠔⠁            |
              |                                               ⢀⠖⠁              |
              |                                             ⢀⠔⠁                |
              |                                            ⡔⠁                  |
              |⣄                                        ⢀⡠⠊                    |
              | ⠑⠢⢄                                  ⢀⠤⠒⠁                      |
              |    ⠉⠢⢄⡀                           ⣀⠤⠊⠁                         |
              |       ⠈⠒⢄⡀                     ⣀⠔⠊                             |
              |          ⠈⠉⠒⠒⠢⠤⢄⣀⣀    ⢀⣀⣀⠤⠤⠔⠒⠒⠉⠁                               |
              |                   ⠉⠉⠊⠉⠁                                        |
         -1.2 +----------------------------------------------------------------+
              -1.0                                                           2.0
x: 変数x   y: 関数計算値
)svg";

// An SVG the test wrote; a copy is kept where CI checks it with xmllint.
std::string Kept_ForXmlCheck(const Session& session, const std::string& name) {
    std::string svg = session.ReadFile(name);
    const char* directory = std::getenv("KANSU_SVG_DIR");
    if (directory == nullptr || *directory == '\0') return svg;
    static int kept = 0;
    std::string copy = std::string(directory) + "/" + (Utf8Run() ? "utf8-" : "") +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                       std::to_string(++kept) + ".svg";
    std::ofstream(copy, std::ios::binary) << svg;
    return svg;
}

// The points of each polyline of an SVG.
std::vector<std::vector<std::pair<double, double>>> Polylines(const std::string& svg) {
    std::vector<std::vector<std::pair<double, double>>> lines;
    std::regex polyline("<polyline points=\"([^\"]*)\""), point("(-?[0-9.]+),(-?[0-9.]+)");
    for (std::sregex_iterator at(svg.begin(), svg.end(), polyline), end; at != end; ++at) {
        std::string points = (*at)[1];
        lines.emplace_back();
        for (std::sregex_iterator p(points.begin(), points.end(), point); p != end; ++p)
            lines.back().push_back({std::stod((*p)[1]), std::stod((*p)[2])});
    }
    return lines;
}

// The tick labels along an axis, each with its place along that axis.
std::vector<std::pair<double, double>> Ticks(const std::string& svg, bool x_axis) {
    std::regex label(x_axis
                         ? "<text x=\"([-0-9.]+)\" y=\"[-0-9.]+\" text-anchor=\"middle\">([^<]*)<"
                         : "<text x=\"[-0-9.]+\" y=\"([-0-9.]+)\" text-anchor=\"end\">([^<]*)<");
    std::vector<std::pair<double, double>> ticks;
    for (std::sregex_iterator at(svg.begin(), svg.end(), label), end; at != end; ++at)
        ticks.push_back({std::stod((*at)[1]), std::stod((*at)[2])});
    return ticks;
}

// Picture units per unit of value along an axis, from its first two tick labels.
double Axis_Scale(const std::string& svg, bool x_axis) {
    std::vector<std::pair<double, double>> ticks = Ticks(svg, x_axis);
    if (ticks.size() < 2) return 0.0;
    return std::fabs((ticks[1].first - ticks[0].first) / (ticks[1].second - ticks[0].second));
}

// An error and, after it, the way to the usage.
std::string Plot_Error(const std::string& text) {
    return "kansu plot: " + text +
           "\nkansu plot: 使い方は kansu plot --help で表示されます / kansu plot --help shows the usage\n";
}

TEST(PlotScenario, ReportDrawnAsSvgByteForByte) {
    Session session;
    ASSERT_EQ(session.Run(kTyped).exit_status, 0);
    SessionResult result = session.RunWithArguments("plot out.txt", "");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.error_output, "");
    EXPECT_EQ(Kept_ForXmlCheck(session, "out.svg"), kSvg);
    result = session.RunWithArguments("plot out.txt -o other.svg --run 1", "");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(session.ReadFile("other.svg"), kSvg);
    result = session.RunWithArguments("plot out.txt -o .", "");
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_TRUE(SameText(Plot_Error(".: 図を書き込めません / cannot write the picture"),
                         result.error_output));
}

TEST(PlotScenario, TerminalPictureAsText) {
    Session session;
    ASSERT_EQ(session.Run(kTyped).exit_status, 0);
    SessionResult result = session.RunWithArguments("plot --term out.txt", "");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Utf8Run() ? kTermBraille : kTermAscii, result.output));
    EXPECT_FALSE(session.Exists("out.svg"));
}

TEST(PlotScenario, DialogueWithPlotDrawsEachReportAndSaysNothingMore) {
    Session plain;
    Session plotted;
    std::string typed =
        "1\nx^2-1\nx(-1,2)[6]\nout.txt\n"
        "4\ncos(t)\nsin(t)\nt(0,6.2832)[40]\nout.txt\n0\n";
    SessionResult expected = plain.Run(typed);
    SessionResult result = plotted.RunWithArguments("--plot", typed);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.output, expected.output);
    EXPECT_EQ(result.error_output, "");
    EXPECT_EQ(plotted.ReadFile("out.txt"), plain.ReadFile("out.txt"));
    // The picture shows the last run: the same as kansu plot draws.
    std::string beside = Kept_ForXmlCheck(plotted, "out.svg");
    EXPECT_NE(beside.find("<title>x = cos(t), y = sin(t)</title>"), std::string::npos);
    EXPECT_EQ(plotted.RunWithArguments("plot out.txt -o again.svg", "").exit_status, 0);
    EXPECT_EQ(plotted.ReadFile("again.svg"), beside);
    EXPECT_EQ(plotted.RunWithArguments("plot out.txt --run 1 -o first.svg", "").exit_status, 0);
    EXPECT_EQ(plotted.ReadFile("first.svg"), kSvg);
    // A picture that cannot be written is said; the dialogue and its reports go on.
    Session blocked;
    ASSERT_TRUE(std::filesystem::create_directory(blocked.Path("out.svg")));
    result = blocked.RunWithArguments("--plot", typed);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.output, expected.output);
    EXPECT_NE(result.error_output, "");
    EXPECT_EQ(blocked.ReadFile("out.txt"), plain.ReadFile("out.txt"));
}

// Three runs, of which the second has no table.
const char kThreeRuns[] =
    "1\nx^2-1\nx(-1,2)[6]\nout.txt\n1\n2+3\nout.txt\n"
    "1\na*x\nx(-1,2)[3]\n-1\nout.txt\n0\n";

TEST(PlotScenario, EveryRunWithALegend) {
    Session session;
    ASSERT_EQ(session.Run(kThreeRuns).exit_status, 0);
    EXPECT_EQ(session.RunWithArguments("plot --all out.txt", "").exit_status, 0);
    std::string svg = Kept_ForXmlCheck(session, "out.svg");
    for (const char* shown :
         {">x^2-1</text>", ">a*x  (a = -1)</text>", "stroke=\"#1f77b4\"", "stroke=\"#d62728\""})
        EXPECT_NE(svg.find(shown), std::string::npos) << shown;
    EXPECT_EQ(svg.find("2+3"), std::string::npos);
    EXPECT_NE(svg.find("<title>out.txt</title>"), std::string::npos);
    EXPECT_NE(svg.find(">out.txt</text>"), std::string::npos);
    // The legend lies below the frame (60..490) and its labels, inside the picture.
    std::string legend = svg.substr(svg.rfind("<g font-size=\"12\">"));
    std::smatch size;
    ASSERT_TRUE(std::regex_search(svg, size, std::regex("height=\"([0-9]+)\"")));
    double height = std::stod(size[1]);
    std::regex place("y1?=\"([0-9.]+)\"");
    int places = 0;
    for (std::sregex_iterator at(legend.begin(), legend.end(), place), end; at != end; ++at) {
        double y = std::stod((*at)[1]);
        EXPECT_TRUE(y > 540 && y + 4 <= height) << y;  // its descent inside too
        ++places;
    }
    EXPECT_EQ(places, 4);
}

TEST(PlotScenario, EveryRunInItsColourOnAColourTerminal) {
    Session session;
    ASSERT_EQ(session.Run(kThreeRuns).exit_status, 0);
    struct ColourCase {
        std::vector<std::string> environment;
        bool coloured;
    } cases[] = {{{}, true}, {{"NO_COLOR=1"}, false}, {{"TERM=dumb"}, false}};
    for (const ColourCase& c : cases) {
        TerminalSession terminal(session, {"plot", "--term", "--all", "out.txt"}, c.environment);
        EXPECT_TRUE(terminal.WaitFor("2: a*x"));
        terminal.Wait();
        std::string shown = terminal.Shown();
        EXPECT_EQ(shown.find("\x1b[34m==\x1b[0m 1: x^2-1") != std::string::npos, c.coloured);
        EXPECT_EQ(shown.find("\x1b[31m==\x1b[0m 2: a*x") != std::string::npos, c.coloured);
        EXPECT_EQ(shown.find('\x1b') == std::string::npos, !c.coloured);
    }
}

TEST(PlotScenario, NothingToDrawIsOneLineAndStatusOne) {
    Session session;
    ASSERT_EQ(
        session.Run("1\n2+3\nout.txt\n1\nx\nx(0,1)[1]\ntwo.txt\n1\nx\nx(0,1)[1]\ntwo.txt\n0\n")
            .exit_status,
        0);
    session.WriteFile("notes.txt", "x\ty\n1\t2\n");
    session.WriteFile("two.svg", "old\n");
    ASSERT_EQ(session.Run("1\nsqrt(-x)\nx(0.1,2)[3]\nnan.txt\n0\n").exit_status, 0);
    struct ErrorCase {
        const char* arguments;
        int status;
        std::string message;
        const char* shell_words = "";
    } cases[] = {
        {"plot out.txt", 1,
         "out.txt: この計算結果には表がありません (変数のない式) / the run has no table (a formula without variables)"},
        {"plot nan.txt", 1, "nan.txt: 描く点がありません / the run has no point to draw"},
        {"plot out.txt --run 2", 1,
         "out.txt: その番号の計算結果はありません (このファイルの計算結果は 1 個) / no such run "
         "(runs in the report: 1)"},
        {"plot --run=3 two.txt", 1,
         "two.txt: その番号の計算結果はありません (このファイルの計算結果は 2 個) / no such run "
         "(runs in the report: 2)"},
        {"plot -", 1, "-: kansu の結果ファイルではありません / not a kansu report"},
        {"plot notes.txt", 1, "notes.txt: kansu の結果ファイルではありません / not a kansu report"},
        {"plot missing.txt", 1, "missing.txt: ファイルを開けません / cannot open the file"},
        {"plot .", 1, ".: ファイルを開けません / cannot open the file"},
        {"plot out.txt --bogus", 2, "引数が正しくありません / invalid argument: --bogus"},
        {"plot", 2, "結果ファイルを指定してください / no report file given"},
    };
    std::vector<ErrorCase> all(std::begin(cases), std::end(cases));
    // The picture never goes over the report it draws, by any name.
    const std::string itself =
        ": 図の出力先が結果ファイルそのものです (上書きしません) / the picture would overwrite the report itself";
    all.push_back({"plot out.txt -o out.txt", 2, "out.txt" + itself});
    std::vector<std::string> files = {"nan.txt", "notes.txt", "out.txt", "two.svg", "two.txt"};
    if (!WindowsProgram()) {
        std::filesystem::create_symlink("out.txt", session.Path("link.txt"));
        std::filesystem::create_hard_link(session.Path("out.txt"), session.Path("hard.txt"));
        all.push_back({"plot out.txt -o link.txt", 2, "link.txt" + itself});
        all.push_back({"plot out.txt -o hard.txt", 2, "hard.txt" + itself});
        all.push_back({"plot link.txt -o out.txt", 2, "out.txt" + itself});
        // A picture not written whole leaves the old one, and no working copy.
        all.push_back({"plot two.txt", 1, "two.svg: 図を書き込めません / cannot write the picture",
                       "ulimit -f 1;"});
        files = {"hard.txt", "link.txt", "nan.txt", "notes.txt", "out.txt", "two.svg", "two.txt"};
    }
    std::string report = session.ReadFile("out.txt");
    for (const ErrorCase& c : all) {
        SessionResult result = session.RunAfterShellWords(c.shell_words, c.arguments);
        EXPECT_EQ(result.exit_status, c.status) << c.arguments;
        EXPECT_TRUE(SameText(Plot_Error(c.message), result.error_output)) << c.arguments;
        EXPECT_EQ(result.output, "") << c.arguments;
    }
    EXPECT_EQ(session.ReadFile("out.txt"), report);
    EXPECT_EQ(session.ReadFile("two.svg"), "old\n");
    EXPECT_EQ(session.Files(), files);
}

// Where a tick label stands along its axis (x for the x axis, else y); -1 when absent.
double Label_Position(const std::string& svg, bool x_axis, const std::string& label) {
    std::regex text(x_axis
                        ? "<text x=\"([-0-9.]+)\" y=\"507.0\" text-anchor=\"middle\">" + label + "<"
                        : "<text x=\"74.0\" y=\"([-0-9.]+)\" text-anchor=\"end\">" + label + "<");
    std::smatch found;
    return std::regex_search(svg, found, text) ? std::stod(found[1]) : -1.0;
}

TEST(PlotScenario, RangesGivenOnTheCommandLine) {
    Session session;
    ASSERT_EQ(session.Run("1\ntan(x)\nx(-3,3)[600]\nout.txt\n0\n").exit_status, 0);
    struct RangeCase {
        const char* arguments;
        // Tick labels and where they stand (80 left .. 770 right, 60 top .. 490 bottom).
        std::vector<std::pair<std::string, double>> x_labels, y_labels;
        std::vector<const char*> absent;
    } cases[] = {
        {"--yrange -5:5 --xrange -2:2",
         {{"-2.0", 80}, {"2.0", 770}},
         {{"-4", 451}, {"4", 107}},
         {">-3.0</text>"}},
        {"--yrange=-5:5 --xrange=-2:2", {{"-2.0", 80}, {"2.0", 770}}, {}, {}},
        // Given from high to low: mirrored.
        {"--xrange 2:-2 --yrange=5:-5",
         {{"-2.0", 770}, {"2.0", 80}},
         {{"-4", 107}, {"4", 451}},
         {}},
        // An open side takes the data's limit (x runs from -3 to 3).
        {"--xrange 1: --yrange -5:5", {{"1.0", 80}, {"3.0", 770}}, {}, {">-1.0</text>"}},
        {"--xrange=:-1 --yrange -5:5", {{"-3.0", 80}, {"-1.0", 770}}, {}, {">0.0</text>"}},
        {"--xrange : --yrange -5:5", {{"-3", 80}, {"3", 770}}, {}, {}},
        // A range that leaves no point: an empty frame, the other axis over the whole data.
        {"--xrange 5:6", {{"5.0", 80}}, {{"-1000", 437.5}, {"1000", 120.5}}, {"<polyline"}},
        {"--yrange 2000:3000", {{"-3", 80}, {"3", 770}}, {}, {"<polyline"}},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.arguments);
        ASSERT_EQ(
            session.RunWithArguments(std::string("plot out.txt ") + c.arguments, "").exit_status,
            0);
        std::string svg = Kept_ForXmlCheck(session, "out.svg");
        for (const auto& label : c.x_labels)
            EXPECT_NEAR(Label_Position(svg, true, label.first), label.second, 0.05) << label.first;
        for (const auto& label : c.y_labels)
            EXPECT_NEAR(Label_Position(svg, false, label.first), label.second, 0.05) << label.first;
        for (const char* absent : c.absent)
            EXPECT_EQ(svg.find(absent), std::string::npos) << absent;
    }
}

// The report from standard input, and the picture's texts from the command line.
TEST(PlotScenario, ReportFromStandardInputAndTextsGiven) {
    // The picture goes to standard output byte for byte and the titles come in
    // the console's encoding, neither of which a Windows console run shares.
    if (WindowsProgram()) GTEST_SKIP() << "standard output and arguments differ on Windows";
    Session session;
    ASSERT_EQ(session.Run(kTyped).exit_status, 0);
    std::string report = Utf8(session.ReadFile("out.txt"));  // typed in again as it is
    SessionResult result = session.RunWithArguments("plot -", report);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(UnixText(result.output), kSvg);
    result = session.RunWithArguments("plot - -o pipe.svg", report);
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(UnixText(session.ReadFile("pipe.svg")), kSvg);
    result = session.RunWithArguments("plot - --term", report);
    EXPECT_TRUE(SameText(Utf8Run() ? kTermBraille : kTermAscii, result.output));
    EXPECT_EQ(session.Files(), (std::vector<std::string>{"out.txt", "pipe.svg"}));
    result = session.RunWithArguments(
        "plot out.txt -o - --title 'y = x^2 - 1' --xlabel=Weite '--ylabel=Höhe'", "");
    EXPECT_EQ(result.exit_status, 0);
    std::string svg = UnixText(result.output);
    EXPECT_NE(svg.find("<title>y = x^2 - 1</title>"), std::string::npos);
    EXPECT_NE(svg.find("font-size=\"14\">Weite</text>"), std::string::npos);
    // A non-ASCII text reaches the picture only from a UTF-8 command line.
    EXPECT_NE(svg.find(Utf8Run() ? ">Höhe</text>" : ">H??he</text>"), std::string::npos);
    EXPECT_EQ(svg.find("変数x"), std::string::npos);
}

TEST(PlotScenario, PolesBreakTheCurveWithAndWithoutARange) {
    Session session;
    ASSERT_EQ(session.Run("1\ntan(x)\nx(-6,6)[1200]\ntan.txt\n1\n1/x\nx(-1,1)[20]\ninv.txt\n0\n")
                  .exit_status,
              0);
    struct PoleCase {
        const char* arguments;
        size_t branches;
    } cases[] = {{"plot tan.txt -o a.svg", 5},
                 {"plot tan.txt --yrange -5:5 -o a.svg", 5},
                 {"plot inv.txt -o a.svg", 2},
                 {"plot inv.txt --yrange -3:3 -o a.svg", 2}};
    for (const PoleCase& c : cases) {
        ASSERT_EQ(session.RunWithArguments(c.arguments, "").exit_status, 0) << c.arguments;
        std::string svg = Kept_ForXmlCheck(session, "a.svg");
        auto lines = Polylines(svg);
        EXPECT_EQ(lines.size(), c.branches) << c.arguments;
        // Without a range the y axis spans the branches, not the spikes at the poles.
        auto y = Ticks(svg, false);
        ASSERT_FALSE(y.empty());
        if (std::string(c.arguments).find("--yrange") == std::string::npos) {
            EXPECT_TRUE(y.front().second >= -100 && y.front().second <= -1 &&
                        y.back().second >= 1 && y.back().second <= 100)
                << c.arguments << ": " << y.front().second << " to " << y.back().second;
        }
        // No segment runs from near one edge of the 430-unit-high frame to the other.
        for (const auto& line : lines)
            for (size_t i = 1; i < line.size(); ++i)
                EXPECT_LT(std::fabs(line[i].second - line[i - 1].second), 400) << c.arguments;
    }
}

// --marks: a circle per root and extremum, a dashed line per pole, from the
// formula line and fixed values of the report; a run of another mode, or of a
// user function (which the plot does not load), gets a word, and the
// formula's refusal is kept off the picture on standard output.
TEST(PlotScenario, MarksFromTheReportsFormula) {
    Session session;
    ASSERT_EQ(session
                  .Run("1\ntan(x)\nx(-6,6)[1200]\ntan.txt\n1\na*cos(x)\nx(-4,4)[400]\n0.3\n"
                       "cos.txt\n3\ntht\ntht(0,3)\npolar.txt\n0\n")
                  .exit_status,
              0);
    session.WriteFile("funcs.dat",
                      userfunc_test::FileId() + userfunc_test::Record("g", 1, "a0-0.1"));
    ASSERT_EQ(
        session.RunWithArguments("table 'g(x)' 'x(-1,1)[10]' --functions funcs.dat -o u.txt", "")
            .exit_status,
        0);
    struct MarkCase {
        const char* arguments;
        size_t circles;
        size_t lines;
        bool word;
    } cases[] = {{"plot tan.txt --marks -o -", 3, 4, false},  // roots 0, +-pi
                 {"plot cos.txt --marks -o -", 5, 0, false},  // +-pi/2, +-pi, 0
                 {"plot cos.txt -o -", 0, 0, false},
                 {"plot polar.txt --marks -o -", 0, 0, true},
                 {"plot u.txt --marks -o -", 0, 0, true}};
    for (const MarkCase& c : cases) {
        SessionResult result = session.RunWithArguments(c.arguments, "");
        ASSERT_EQ(result.exit_status, 0) << c.arguments;
        EXPECT_EQ(result.output.rfind("<?xml", 0), 0u) << c.arguments;
        EXPECT_EQ(Occurrences(result.output, "<circle "), c.circles) << c.arguments;
        EXPECT_EQ(Occurrences(result.output, "stroke-dasharray=\"4 3\""), c.lines) << c.arguments;
        EXPECT_EQ(Occurrences(Utf8(result.error_output), "no marks"), c.word ? 1u : 0u);
    }
}

TEST(PlotScenario, EveryPointStaysInsideTheFrame) {
    Session session;
    session.WriteFile("damaged.txt", Read_WholeFile(std::string(KANSU_SOURCE_DIR) +
                                                    "/fuzz/seeds/report/point-outside-frame.txt"));
    ASSERT_EQ(session.RunWithArguments("plot damaged.txt --all --yrange -1:1", "").exit_status, 0);
    auto lines = Polylines(Kept_ForXmlCheck(session, "damaged.svg"));
    EXPECT_FALSE(lines.empty());
    for (const auto& line : lines) {
        for (const auto& point : line) {
            EXPECT_TRUE(point.first >= 80 && point.first <= 770) << point.first;
            EXPECT_TRUE(point.second >= 60 && point.second <= 490) << point.second;
        }
    }
}

TEST(PlotScenario, ScalesFollowTheRangeShownAndTheAspect) {
    Session session;
    ASSERT_EQ(
        session
            .Run(kTyped.substr(0, kTyped.size() - 2) + "4\nt\nsin(t)\nt(0,100)[500]\npar.txt\n"
                                                       "3\n1\ntht(0,6.2832)[100]\npolar.txt\n0\n")
            .exit_status,
        0);
    // x^2-1 seen over 0.5..1.5 only: y ticks of -0.75..1.25, not of -1..3.
    ASSERT_EQ(session.RunWithArguments("plot out.txt --xrange 0.5:1.5", "").exit_status, 0);
    std::string svg = Kept_ForXmlCheck(session, "out.svg");
    EXPECT_NE(svg.find("text-anchor=\"end\">0.5</text>"), std::string::npos);
    EXPECT_EQ(svg.find("text-anchor=\"end\">3</text>"), std::string::npos);
    struct AspectCase {
        const char* arguments;
        bool equal;
    } cases[] = {{"plot par.txt -o a.svg", false},
                 {"plot par.txt --aspect equal -o a.svg", true},
                 {"plot polar.txt -o a.svg", true},
                 {"plot polar.txt --aspect auto -o a.svg", false}};
    for (const AspectCase& c : cases) {
        ASSERT_EQ(session.RunWithArguments(c.arguments, "").exit_status, 0) << c.arguments;
        svg = Kept_ForXmlCheck(session, "a.svg");
        double ratio = Axis_Scale(svg, true) / Axis_Scale(svg, false);
        EXPECT_EQ(std::fabs(ratio - 1) < 0.01, c.equal) << c.arguments << " " << ratio;
    }
}

TEST(PlotScenario, TheCommandExplainsItself) {
    Session session;
    ASSERT_EQ(session.Run(kTyped).exit_status, 0);
    SessionResult result = session.RunWithArguments("plot --help", "");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.error_output, "");
    for (const char* shown : {"kansu [--utf8 | --cp932] plot REPORT|-", "--aspect equal", "--help"})
        EXPECT_NE(result.output.find(shown), std::string::npos) << shown;
    result = session.RunWithArguments("plot out.txt -o -", "");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(UnixText(result.output), kSvg);
    EXPECT_EQ(session.Files(), (std::vector<std::string>{"out.txt"}));
    // Rows damaged in the middle of the table: drawn without them, and told.
    std::string report = UnixText(session.ReadFile("out.txt"));
    std::string row = "-0.5\t-0.75\n";  // line 9
    struct DamageCase {
        std::string damage;  // in place of line 9; empty: the last row cut short instead
        std::string told;
    } cases[] = {
        {"-0.5\t-0.7x5\n", "9 行目を読み飛ばしました / skipped the damaged row on line 9"},
        {"x\n-0.5\t-0.75\n##\n",
         "9 行目など 2 行を読み飛ばしました / skipped 2 damaged rows, the first on line 9"},
        // A run killed mid-row leaves its last row without a line end.
        {"", "14 行目を読み飛ばしました / skipped the damaged row on line 14"},
    };
    for (const DamageCase& c : cases) {
        std::string damaged = report;
        if (c.damage.empty())
            damaged.pop_back();
        else
            damaged.replace(damaged.find(row), row.size(), c.damage);
        session.WriteFile("damaged.txt", damaged);
        result = session.RunWithArguments("plot damaged.txt", "");
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_TRUE(SameText("kansu plot: damaged.txt: " + std::string(c.told) + "\n",
                             result.error_output));
    }
}

// The session of the README's pictures: each run goes to its own report and
// --plot draws it beside; the README shows the SVGs committed in docs/.
TEST(PlotScenario, ReadmePicturesAreWhatKansuDraws) {
    Session session;
    SessionResult result =
        session.RunWithArguments("--plot",
                                 "1\nx^2 - 2*x\nx(-1,3)[200]\nexplicit.txt\n"
                                 "2\nx^2+y^2-1\nx(-1.2,1.2)[400]\ny(-1.2,1.2)[200]\nimplicit.txt\n"
                                 "3\n1+cos(tht)\ntht(0,6.28318)[400]\npolar.txt\n"
                                 "4\ncos(t)\n2*sin(t)\nt(0,6.28318)[400]\nparam.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.error_output, "");
    for (const char* name : {"explicit.svg", "implicit.svg", "polar.svg", "param.svg"}) {
        std::string expected = Read_WholeFile(std::string(KANSU_DOCS_DIR) + "/" + name);
        EXPECT_FALSE(expected.empty()) << name;
        EXPECT_TRUE(Kept_ForXmlCheck(session, name) == expected)
            << name << " differs from docs/" << name;
    }
}

}  // namespace
