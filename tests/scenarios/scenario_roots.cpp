// kansu roots: formulas through the real evaluator (NAME=VALUE, a sum, a
// user function of a save file), each finding a line of kind, x and f(x) in
// the console's encoding, x within one double of its closed form; --csv and
// --digits; refusals end with their message on standard error and status 1,
// a command line not understood with status 2.
#include "mode_dialogue.h"
#include "session.h"
#include "userfunc_dialogue.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
const long double PI = 3.141592653589793238462643383279502884L;

struct Line {
    std::string kind;
    double x;
    double value;
};

std::vector<Line> Findings(const std::string& output_utf8, char separator) {
    std::vector<Line> lines;
    for (const std::string& text : Lines(output_utf8)) {
        size_t first = text.find(separator);
        size_t second = text.find(separator, first + 1);
        if (first == std::string::npos || second == std::string::npos) {
            lines.push_back(Line{text, NAN, NAN});
            continue;
        }
        lines.push_back(Line{text.substr(0, first), std::strtod(text.c_str() + first + 1, nullptr),
                             std::strtod(text.c_str() + second + 1, nullptr)});
    }
    return lines;
}

// x is the double nearest wanted or the one beside it.
::testing::AssertionResult Within_OneDouble(double x, long double wanted) {
    double nearest = static_cast<double>(wanted);
    if (x == nearest || std::nextafter(nearest, x) == x) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << x << " is not beside " << nearest;
}

struct RootsCase {
    std::string arguments;
    std::vector<std::pair<std::string, long double>> findings;  // label, closed form
};

const std::vector<RootsCase> CASES = {
    {"'sin(x)' 'x(-10,10)'",
     {{"根", -3 * PI},
      {"根", -2 * PI},
      {"根", -PI},
      {"根", 0},
      {"根", PI},
      {"根", 2 * PI},
      {"根", 3 * PI}}},
    {"'x^2-a' 'x(-3,3)' a=3", {{"根", -std::sqrt(3.0L)}, {"根", std::sqrt(3.0L)}}},
    {"'x^3-2*x-5' 'x(-3,3)[999]'", {{"根", 2.0945514815423265L}}},
    {"'sigma[n(1,2),x^n]-1' 'x(-3,3)'",
     {{"根", (-1 - std::sqrt(5.0L)) / 2}, {"根", (-1 + std::sqrt(5.0L)) / 2}}},
    {"'tan(x)/3' 'x(-2,2)'", {{"極", -PI / 2}, {"根", 0}, {"極", PI / 2}}},
    {"'1/(x-0.1)' 'x(-1,1)'", {{"極", 0.1L}}},
    {"--extrema 'cos(x)' 'x(-4,4)'",
     {{"極小", -PI}, {"根", -PI / 2}, {"極大", 0}, {"根", PI / 2}, {"極小", PI}}},
    {"--extrema '(x-0.1)^2' 'x(-1,1)[999]'", {{"極小", 0.1L}}},
    // Extrema where f is flat in doubles, one rule of the derivative after another.
    {"--extrema 'x^3-3*x' 'x(-3,3)'",
     {{"根", -std::sqrt(3.0L)}, {"極大", -1}, {"根", 0}, {"極小", 1}, {"根", std::sqrt(3.0L)}}},
    {"--extrema 'x^3-2*x' 'x(0.1,1.3)'", {{"極小", std::sqrt(2 / 3.0L)}}},
    {"--extrema 'exp(x)-2*x' 'x(-1,2)'", {{"極小", std::log(2.0L)}}},
    {"--extrema 'ln(x)/x' 'x(2,4)'", {{"極大", std::exp(1.0L)}}},
    {"--extrema '2^x-3*x' 'x(1,3)'", {{"極小", std::log(3 / std::log(2.0L)) / std::log(2.0L)}}},
    // f' infinite at the grid's first point, beside the turn.
    {"--extrema 'sqrt(x)-20*x' 'x(0,1)'", {{"根", 0}, {"極大", 1 / 1600.0L}, {"根", 1 / 400.0L}}},
    {"--extrema 'log(2,x)-x' 'x(0.5,3)'", {{"極大", 1 / std::log(2.0L)}}},
    {"--extrema 'log10(x)-x/10' 'x(2,8)'", {{"極大", 10 / std::log(10.0L)}}},
    {"--extrema 'atan(x)-x/3' 'x(-3,3)'",
     {{"極小", -std::sqrt(2.0L)}, {"根", 0}, {"極大", std::sqrt(2.0L)}}},
    {"--extrema 'sinh(x)-2*x' 'x(1,2)'", {{"極小", std::acosh(2.0L)}}},
    {"--extrema 'cosh(x)-2*x' 'x(1,2)'", {{"極小", std::asinh(2.0L)}}},
    {"--extrema 'tanh(x)-x/3' 'x(0.5,2)'", {{"極大", std::atanh(std::sqrt(2 / 3.0L))}}},
    {"--extrema 'asin(x)-2*x' 'x(0.5,0.99)'", {{"極小", std::sqrt(3.0L) / 2}}},
    {"--extrema 'acos(x)+2*x' 'x(0.5,0.99)'", {{"極大", std::sqrt(3.0L) / 2}}},
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

// A user function of a save file; CSV in ASCII; --digits as in the reports.
TEST(RootsScenario, FunctionsCsvAndDigits) {
    using userfunc_test::FileId;
    using userfunc_test::Record;
    Session session;
    session.WriteFile("funcs.dat", FileId() + Record("g", 2, "a0^2-a1"));
    SessionResult result =
        session.RunWithArguments("roots --csv 'g(x,b)' 'x(0,3)' b=0.7 --functions funcs.dat", "");
    EXPECT_EQ(result.exit_status, 0);
    std::vector<Line> lines = Findings(UnixText(result.output), ',');
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].kind, "kind");
    EXPECT_EQ(lines[1].kind, "root");
    EXPECT_TRUE(Within_OneDouble(lines[1].x, std::sqrt(0.7L)));
    result = session.RunWithArguments("roots --digits 6 'x^2-2' 'x(0,2)'", "");
    EXPECT_TRUE(SameText("根\t1.41421\t-4.44089e-16\n", result.output));
    result = session.RunWithArguments("roots 'x-x' 'x(0,1)'", "");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(
        SameText("範囲のすべての点で式の値は 0 です / the formula is 0 at every point of "
                 "the range\n",
                 result.output));
    // Roots at the grid's resolution: a word that more divisions may find more.
    result = session.RunWithArguments("roots 'x*sin(1/x)' 'x(0.003,0.1)'", "");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_NE(Utf8(result.error_output).find("more divisions may find more"), std::string::npos);
    result = session.RunWithArguments("roots --csv 'x-x' 'x(0,1)'", "");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(UnixText(result.output), "kind,x,f\n");
    EXPECT_NE(Utf8(result.error_output).find("the formula is 0 at every point"), std::string::npos);
}

// A refused formula or range (1): its message, all of standard error; a
// command line not understood (2): the part of the usage that says why.
struct Refusal {
    std::string arguments;
    int exit_status;
    std::string error;
};

TEST(RootsScenario, RefusalsAndUsage) {
    const std::vector<Refusal> refusals = {
        {"roots 'x+*2' 'x(0,1)'", 1,
         "これは式になってないぞ！プンプン\nおかしいところはx+*…なんです。\n"},
        {"roots 'x' 'x(0,'", 1, "変数、範囲の与え方が間違っています\n"},
        {"roots 'x' ''", 1, "変数、範囲の与え方が間違っています\n"},
        // A count out of range is answered by the range alone, as the main program does.
        {"roots 'x' 'x(0,1)[-3]'", 1, "変数、範囲の与え方が間違っています\n"},
        {"roots 'x' 'y(0,1)'", 1, "そんな変数名は存在しません。\n"},
        {"roots 'a*x' 'x(0,1)'", 1,
         "kansu: 値が与えられていない変数です / no value given for the variable: a\n"},
        {"roots 'sigma[n(1,1e10),n]*x' 'x(0,1)'", 1, "関数計算中にエラーが発生しました\n"},
        {"roots", 2, "roots [OPTIONS] EXPR RANGE"},
        {"roots x", 2, "roots [OPTIONS] EXPR RANGE"},
        {"roots x 'x(0,1)' 'y(0,1)'", 2, "roots [OPTIONS] EXPR RANGE"},
        {"roots --plot x 'x(0,1)'", 2, "roots [OPTIONS] EXPR RANGE"},
        {"roots --digits 0 x 'x(0,1)'", 2, "1 to 17"},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.arguments);
        Session session;
        SessionResult result = session.RunWithArguments(refusal.arguments, "");
        EXPECT_EQ(result.exit_status, refusal.exit_status);
        EXPECT_EQ(result.output, "");
        if (refusal.exit_status == 1)
            EXPECT_TRUE(SameText(refusal.error, result.error_output));
        else
            EXPECT_NE(Utf8(result.error_output).find(refusal.error), std::string::npos);
    }
    Session session;
    SessionResult help = session.RunWithArguments("roots --help", "");
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_NE(Utf8(help.output).find("kansu [--utf8 | --cp932] roots [OPTIONS] EXPR RANGE"),
              std::string::npos);
}
}  // namespace
