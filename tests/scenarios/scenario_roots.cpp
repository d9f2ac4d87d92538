// kansu roots: formulas through the real evaluator (NAME=VALUE, a sum, a
// user function of a save file), each finding a line of kind, x and f(x) in
// the console's encoding, x within one double of its closed form; --csv and
// --digits; refusals end with their message on standard error and status 1,
// a command line not understood with status 2.
#include "mode_dialogue.h"
#include "session.h"
#include "userfunc_dialogue.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {
const long double PI = 3.141592653589793238462643383279502884L;

struct Line {
    std::string kind;
    double x;
    double value;
};

// The lines as kind, x and f(x); x and f(x) 0 where they are no number.
std::vector<Line> Findings(const std::string& output_utf8, char separator) {
    std::vector<Line> lines;
    for (std::string text : Lines(output_utf8)) {
        std::replace(text.begin(), text.end(), separator, ' ');
        Line line{"", NAN, NAN};
        std::istringstream(text) >> line.kind >> line.x >> line.value;
        lines.push_back(line);
    }
    return lines;
}

// x is the double nearest wanted or the one beside it.
::testing::AssertionResult Within_OneDouble(double x, long double wanted) {
    double nearest = static_cast<double>(wanted);
    if (x == nearest || std::nextafter(nearest, x) == x) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << x << " is not beside " << nearest;
}

typedef std::vector<std::pair<std::string, long double>> Labelled;  // label, closed form
Labelled Roots(std::vector<long double> xs) {
    Labelled roots;
    for (long double x : xs) roots.push_back({"根", x});
    return roots;
}
const long double R2 = std::sqrt(2.0L), R3 = std::sqrt(3.0L), R5 = std::sqrt(5.0L);

struct RootsCase {
    std::string arguments;
    Labelled findings;
};

const std::vector<RootsCase> CASES = {
    {"'sin(x)' 'x(-10,10)'", Roots({-3 * PI, -2 * PI, -PI, 0, PI, 2 * PI, 3 * PI})},
    {"'x^2-a' 'x(-3,3)' a=3", {{"根", -R3}, {"根", R3}}},
    {"'x^3-2*x-5' 'x(-3,3)[999]'", {{"根", 2.0945514815423265L}}},
    {"'sigma[n(1,2),x^n]-1' 'x(-3,3)'", {{"根", (-1 - R5) / 2}, {"根", (-1 + R5) / 2}}},
    {"'tan(x)/3' 'x(-2,2)'", {{"極", -PI / 2}, {"根", 0}, {"極", PI / 2}}},
    {"'1/(x-0.1)' 'x(-1,1)'", {{"極", 0.1L}}},
    {"--extrema 'cos(x)' 'x(-4,4)'",
     {{"極小", -PI}, {"根", -PI / 2}, {"極大", 0}, {"根", PI / 2}, {"極小", PI}}},
    {"--extrema '(x-0.1)^2' 'x(-1,1)[999]'", {{"極小", 0.1L}}},
    // Extrema where f is flat in doubles, one rule of the derivative after another.
    {"--extrema 'x^3-3*x' 'x(-3,3)'",
     {{"根", -R3}, {"極大", -1}, {"根", 0}, {"極小", 1}, {"根", R3}}},
    {"--extrema 'x^3-2*x' 'x(0.1,1.3)'", {{"極小", std::sqrt(2 / 3.0L)}}},
    {"--extrema 'exp(x)-2*x' 'x(-1,2)'", {{"極小", std::log(2.0L)}}},
    {"--extrema 'ln(x)/x' 'x(2,4)'", {{"極大", std::exp(1.0L)}}},
    {"--extrema '2^x-3*x' 'x(1,3)'", {{"極小", std::log(3 / std::log(2.0L)) / std::log(2.0L)}}},
    // f' infinite at the grid's first point, beside the turn.
    {"--extrema 'sqrt(x)-20*x' 'x(0,1)'", {{"根", 0}, {"極大", 1 / 1600.0L}, {"根", 1 / 400.0L}}},
    {"--extrema 'log(2,x)-x' 'x(0.5,3)'", {{"極大", 1 / std::log(2.0L)}}},
    {"--extrema 'log10(x)-x/10' 'x(2,8)'", {{"極大", 10 / std::log(10.0L)}}},
    {"--extrema 'atan(x)-x/3' 'x(-3,3)'", {{"極小", -R2}, {"根", 0}, {"極大", R2}}},
    {"--extrema 'sinh(x)-2*x' 'x(1,2)'", {{"極小", std::acosh(2.0L)}}},
    {"--extrema 'cosh(x)-2*x' 'x(1,2)'", {{"極小", std::asinh(2.0L)}}},
    {"--extrema 'tanh(x)-x/3' 'x(0.5,2)'", {{"極大", std::atanh(std::sqrt(2 / 3.0L))}}},
    {"--extrema 'asin(x)-2*x' 'x(0.5,0.99)'", {{"極小", R3 / 2}}},
    {"--extrema 'acos(x)+2*x' 'x(0.5,0.99)'", {{"極大", R3 / 2}}},
    {"--extrema 'tan(x)-2*x' 'x(0.2,1)'", {{"極小", PI / 4}}},
    {"--extrema 'sin(x)-x/2' 'x(0.5,1.8)'", {{"極大", PI / 3}}},
    {"--extrema 'abs(x-0.1)' 'x(-1,1)[999]'", {{"極小", 0.1L}}},
    {"--extrema 'sigma[n(1,3),x^n]-2*x' 'x(0.1,0.5)'", {{"極小", 1 / 3.0L}}},
    {"--extrema 'g(x,2)' 'x(0.1,1.3)' --define 'h(a0)=a0^3' --define 'g(a0,a1)=h(a0)-a1*a0'",
     {{"極小", std::sqrt(2 / 3.0L)}}},
    {"'exp(x)+1' 'x(-1,1)'", {}},
};

TEST(RootsScenario, EachFindingALine) {
    for (const RootsCase& run : CASES) {
        SCOPED_TRACE(run.arguments);
        Session session;
        SessionResult result = session.RunWithArguments("roots " + run.arguments, "");
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_EQ(result.error_output, "");
        std::vector<Line> lines = Findings(UnixText(Utf8(result.output)), '\t');
        ASSERT_EQ(lines.size(), run.findings.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].kind, run.findings[i].first);
            EXPECT_TRUE(Within_OneDouble(lines[i].x, run.findings[i].second));
        }
    }
}

// A user function of a save file, CSV in ASCII.
TEST(RootsScenario, FunctionsInCsv) {
    Session session;
    session.WriteFile("funcs.dat",
                      userfunc_test::FileId() + userfunc_test::Record("g", 2, "a0^2-a1"));
    SessionResult result =
        session.RunWithArguments("roots --csv 'g(x,b)' 'x(0,3)' b=0.7 --functions funcs.dat", "");
    EXPECT_EQ(result.exit_status, 0);
    std::vector<Line> lines = Findings(UnixText(result.output), ',');
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].kind, "kind");
    EXPECT_EQ(lines[1].kind, "root");
    EXPECT_TRUE(Within_OneDouble(lines[1].x, std::sqrt(0.7L)));
}

// The whole of standard output (nullptr: unchecked); with status 1 the whole
// of standard error, else a part of it. A refused formula or range (1): its
// message; a command line not understood (2): the part of the usage that says
// why; --digits as in the reports; roots at the grid's resolution: a word that
// more divisions may find more.
struct Invocation {
    std::string arguments;
    int exit_status;
    const char* output;
    std::string error;
};

TEST(RootsScenario, OutputsRefusalsAndUsage) {
    const char* zero =
        "範囲のすべての点で式の値は 0 です / the formula is 0 at every point of the range\n";
    const char* usage = "roots [OPTIONS] EXPR RANGE";
    const char* range = "変数、範囲の与え方が間違っています\n";
    const std::vector<Invocation> runs = {
        {"roots --digits 6 'x^2-2' 'x(0,2)'", 0, "根\t1.41421\t-4.44089e-16\n", ""},
        {"roots 'x-x' 'x(0,1)'", 0, zero, ""},
        {"roots --csv 'x-x' 'x(0,1)'", 0, "kind,x,f\n", "the formula is 0 at every point"},
        {"roots 'x*sin(1/x)' 'x(0.003,0.1)'", 0, nullptr, "more divisions may find more"},
        {"roots 'x+*2' 'x(0,1)'", 1, "",
         "これは式になってないぞ！プンプン\nおかしいところはx+*…なんです。\n"},
        {"roots 'x' 'x(0,'", 1, "", range},
        {"roots 'x' ''", 1, "", range},
        // A count out of range is answered by the range alone, as the main program does.
        {"roots 'x' 'x(0,1)[-3]'", 1, "", range},
        {"roots 'x' 'y(0,1)'", 1, "", "そんな変数名は存在しません。\n"},
        {"roots 'a*x' 'x(0,1)'", 1, "",
         "kansu: 値が与えられていない変数です / no value given for the variable: a\n"},
        {"roots 'sigma[n(1,1e10),n]*x' 'x(0,1)'", 1, "", "関数計算中にエラーが発生しました\n"},
        {"roots", 2, "", usage},
        {"roots x", 2, "", usage},
        {"roots x 'x(0,1)' 'y(0,1)'", 2, "", usage},
        {"roots --plot x 'x(0,1)'", 2, "", usage},
        {"roots --digits 0 x 'x(0,1)'", 2, "", "1 to 17"},
    };
    for (const Invocation& run : runs) {
        SCOPED_TRACE(run.arguments);
        Session session;
        SessionResult result = session.RunWithArguments(run.arguments, "");
        EXPECT_EQ(result.exit_status, run.exit_status);
        if (run.output != nullptr) {
            EXPECT_TRUE(SameText(run.output, result.output));
        }
        if (run.exit_status == 1)
            EXPECT_TRUE(SameText(run.error, result.error_output));
        else
            EXPECT_NE(Utf8(result.error_output).find(run.error), std::string::npos);
    }
    SessionResult help = Session().RunWithArguments("roots --help", "");
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_NE(Utf8(help.output).find(std::string("kansu [--utf8 | --cp932] ") + usage),
              std::string::npos);
}
}  // namespace
