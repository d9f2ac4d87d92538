// Long reports evaluated on several threads, or by the run loop instead of
// machine code: the console and every file the same, byte for byte, as on one
// thread, in every mode; Ctrl-C keeps whole rows in order.
#include <signal.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "modes/modecommon.h"
#include "report/reportwriter.h"
#include "process_watch.h"
#include "session.h"
#include "terminal.h"
#include "userfunc_dialogue.h"

namespace {
using namespace userfunc_test;

struct ThreadCase {
    const char* name;
    std::string typed;
    std::string arguments = "";
};

TEST(ThreadsScenario, ReportsAreTheSameOnAnyNumberOfThreads) {
    // Each sweep holds more points than two chunks, so that it is shared.
    const ThreadCase cases[] = {
        {"explicit, every built-in function and operator",
         TypeEnroll("p", 2, "a0^2+a1") +
             "1\n3*x^2+2*x+1-x/7+(x*2-1)^3-log(x+4,x^2+1)+ln(x+5)-log10(x+9)+sqrt(abs(x))*"
             "tan(x)-exp(0-x)*cos(x*1e22)+p(x*2,x)-2^x\nx(-3,3)[20000]\nr.txt\n0\n2\n"},
        {"explicit, inlined calls",
         TypeEnroll("g", 1, "a0+1") + TypeEnroll("f", 1, "a0*g(a0*2)") +
             "1\nf(x)-sigma[n(1,3),x^n/n]\nx(-5,5)[30000]\nr.txt\n0\n2\n"},
        {"explicit, fixed variable and 10 digits",
         "1\na*sin(x)+x^2\nx(0,100)[40001]\n2.5\nr.txt\n0\n", "--digits 10"},
        {"explicit, a call past the depth limit fails",
         TypeEnroll("r", 1, "a0") + TypeEnroll("t", 1, "r(a0)+1") + TypeEnroll("r", 1, "t(a0)*2") +
             "1\nx+t(x)\nx(0,1)[20000]\nr.txt\n2\n"},
        {"polar", "3\nsin(t)*3+t\nt(0,30)[20000]\nr.txt\n0\n"},
        {"polar, constant radius", "3\n2\nt(0,30)[20000]\nr.txt\n0\n"},
        {"parametric, both vary", "4\ncos(t)*t\nsin(t)/(t+1)\nt(0,30)[20000]\nr.txt\n0\n"},
        {"parametric, y fixed", "4\ncos(t)*t\n7\nt(0,30)[20000]\nr.txt\n0\n"},
        {"implicit grid", "2\nx^2+y^2-1\nx(-1.5,1.5)[300]\ny(-1.5,1.5)[300]\nr.txt\n0\n"},
    };
    for (const ThreadCase& c : cases) {
        SCOPED_TRACE(c.name);
        Session one;
        SessionResult alone = one.RunWithArguments(c.arguments + " --threads 1", c.typed);
        ASSERT_GT(one.ReadFile("r.txt").size(), 0u);
        struct Variant {
            const char* environment;
            const char* threads;
        };
        for (const Variant& variant :
             {Variant{"", "2"}, Variant{"", "8"}, Variant{"KANSU_MACHINE_CODE=0", "1"}}) {
            SCOPED_TRACE(std::string(variant.environment) + " --threads " + variant.threads);
            Session shared;
            SessionResult result = shared.RunWithEnvironment(
                variant.environment, c.arguments + " --threads " + variant.threads, c.typed);
            EXPECT_EQ(alone.exit_status, result.exit_status);
            EXPECT_EQ(alone.output, result.output);
            EXPECT_EQ(alone.error_output, result.error_output);
            EXPECT_EQ(one.Files(), shared.Files());
            for (const std::string& name : one.Files())
                EXPECT_TRUE(one.ReadFile(name) == shared.ReadFile(name)) << name;
        }
    }
}

// Ctrl-C typed at the terminal while a long sweep runs on threads: the report
// keeps the rows of the first points, in order and whole, and the menu returns.
TEST(ThreadsScenario, CtrlCKeepsTheFirstRowsInOrder) {
    if (WindowsProgram()) GTEST_SKIP() << "Ctrl-C is signalled to the native binary only";
    const int divisions = 100000000;
    const int terms = 2000;
    for (const char* threads : {"2", "8"}) {
        SCOPED_TRACE(threads);
        Session session;
        TerminalSession terminal(session, {"--utf8", "--no-edit", "--threads", threads});
        terminal.Type("1\nsigma[n(1," + std::to_string(terms) + "),x*n]\nx(0,1)[" +
                      std::to_string(divisions) + "]\nout.txt\n");
        ASSERT_TRUE(terminal.WaitFor("(max79) :"));
        // The report is opened just before the sweep starts; a fifth of a
        // second of work after that is the sweep, which takes far longer.
        ASSERT_TRUE(WaitUntil([&] { return session.Exists("out.txt"); }, "out.txt"));
        ASSERT_TRUE(WaitForCpuTime(terminal.Pid(), 0.2));
        terminal.Type("\003");
        ASSERT_TRUE(terminal.WaitFor("計算を中断しました。"));
        terminal.Type("0\n");
        int status = terminal.Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

        std::string report = session.ReadFile("out.txt");
        size_t at = report.find("\n0\t0\n");
        ASSERT_NE(at, std::string::npos);
        ASSERT_EQ(report.back(), '\n');
        double step = Step_Width(0, 1, divisions);
        long long index = 0;
        char text[REPORT_NUMBER_SIZE];
        for (++at; at < report.size(); ++index) {
            size_t end = report.find('\n', at);
            // Every 997th row, and the last, is the row of its point.
            if (index % 997 == 0 || end + 1 == report.size()) {
                double x = Sweep_Point(static_cast<int>(index), step, 0);
                double sum = 0.0;
                for (int n = 1; n <= terms; ++n) sum += x * n;
                std::string row(text, Format_ReportNumber(x, text));
                row += "\t" + std::string(text, Format_ReportNumber(sum, text));
                ASSERT_EQ(report.substr(at, end - at), row) << "row " << index;
            }
            at = end + 1;
        }
        EXPECT_GT(index, 0);
        EXPECT_LT(index, divisions + 1LL);
    }
}

}  // namespace
