// The report of a calculation run: how an evaluation ends, and a report that
// ends at a failed evaluation or at Ctrl-C; the points of a range and the
// numbers written.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "formula/formulatext.h"
#include "formula/crtbtree.h"
#include "formula/fmulaopfc.h"
#include "progress/calcstop.h"
#include "text/messages.h"
#include "report/parallelsweep.h"
#include "report/reportwriter.h"
#include "report/sweeppoint.h"
#include "session.h"
#include "report/sweepreport.h"
#include "formula/symbol.h"
#include "userfunc/usrfunc.h"

namespace {

// A formula analysed and linked as a mode does it; x is its variable cell.
struct Formula {
    explicit Formula(const char* text) {
        CompForm* raw = nullptr;
        int item_count = Analyse_FormulaText(&raw, text, g_ufunc_list, ERROR_MESSAGE_ONLY);
        if (item_count == 0) return;
        items.reset(raw);
        Create_SymbolTable(raw, item_count, table);
        root = Build_Tree(raw, item_count);
    }
    std::unique_ptr<CompForm[]> items;
    AscArray<double> table;
    CompForm* root = nullptr;
};

struct OutcomeCase {
    const char* text;
    bool interrupted;  // Ctrl-C came before the evaluation
    EvalOutcome outcome;
    double value;  // stored only for EVAL_OK
};

TEST(EvaluateProgram, OutcomeAndValue) {
    const OutcomeCase cases[] = {
        {"1+2*3", false, EVAL_OK, 7.0},
        {"sigma[n(1,4),n^2]", false, EVAL_OK, 30.0},
        {"1+2*3", true, EVAL_OK, 7.0},  // only sums look at Ctrl-C
        {"sigma[n(1,100000),n]", true, EVAL_INTERRUPTED, -1.0},
    };
    for (const OutcomeCase& c : cases) {
        Formula formula(c.text);
        ASSERT_NE(formula.root, nullptr) << c.text;
        EvalProgram program(formula.root, g_ufunc_list);
        EvalMachine machine(program);
        double value = -1.0;
        EvalOutcome outcome;
        {
            CalculationScope calculation;
            if (c.interrupted) Interrupt_Calculation();
            outcome = Evaluate_Program(machine, &value);
        }
        Clear_CalculationInterrupt();
        EXPECT_EQ(outcome, c.outcome) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    // An item without a value (a bracket) fails; the value is not stored.
    CompForm bracket;
    bracket.kind = KIND_OPEN_PAR;
    EvalProgram program(&bracket, g_ufunc_list);
    EvalMachine machine(program);
    double value = -1.0;
    EXPECT_EQ(Evaluate_Program(machine, &value), EVAL_FAILED);
    EXPECT_EQ(value, -1.0);
}

// A report into a file of its own (in a scratch directory), the console captured.
class SweepReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        file_.open(scratch_.Path("out.txt"));
        saved_out_ = std::cout.rdbuf(shown_.rdbuf());
    }
    void TearDown() override {
        std::cout.rdbuf(saved_out_);
        Clear_CalculationInterrupt();
    }
    std::string Report() const { return scratch_.ReadFile("out.txt"); }

    Session scratch_;
    ReportFile file_;
    std::ostringstream shown_;
    std::streambuf* saved_out_ = nullptr;
};

// Writes "point=value" rows of x*x over [0, 4] in 4 steps; ends the report
// with the outcome given at the point numbered end_at.
RunResult Write_Squares(ReportFile& file, int end_at, EvalOutcome ending) {
    Formula square("x*x");
    SweepReport report(file, g_ufunc_list);
    ReportFormula formula(report, square.root, "failed\n");
    double& x_cell = square.table["x"];
    int point_number = 0;
    report.For_EachPoint(0.0, 4.0, 4, [&](double x) {
        x_cell = x;
        if (point_number++ == end_at) {
            if (ending == EVAL_INTERRUPTED) Interrupt_Calculation();  // inside the sweep's scope
            report.Note(ending, "failed\n");
        }
        double value = formula.Value();
        report.Out() << NumText(x) << "=" << NumText(value) << "\n";
    });
    EXPECT_EQ(point_number, end_at < 0 ? 5 : end_at + 1);
    return report.Close();
}

TEST_F(SweepReportTest, EveryPointWhenNothingFails) {
    RunResult result = Write_Squares(file_, -1, EVAL_OK);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.evaluation_error, nullptr);
    EXPECT_EQ(Report(), "0=0\n1=1\n2=4\n3=9\n4=16\n");
    EXPECT_EQ(shown_.str(), "");
}

TEST_F(SweepReportTest, AFailureEndsTheReportSilentlyWithItsMessage) {
    RunResult result = Write_Squares(file_, 2, EVAL_FAILED);
    EXPECT_EQ(result.status, 0);
    EXPECT_STREQ(result.evaluation_error, "failed\n");
    EXPECT_EQ(Report(), "0=0\n1=1\n");
    EXPECT_EQ(shown_.str(), "");
}

TEST_F(SweepReportTest, CtrlCEndsTheReportAndSaysSo) {
    RunResult result = Write_Squares(file_, 1, EVAL_INTERRUPTED);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.evaluation_error, nullptr);
    EXPECT_EQ(Report(), "0=0\n");
    EXPECT_EQ(shown_.str(), Msg().CALCULATION_INTERRUPTED);
    EXPECT_FALSE(Calculation_Interrupted());
}

// Finite ends whose width overflows: every point is finite and between the
// ends; an ordinary range keeps its points bit for bit.
TEST(RangePoints, EveryPointOfFiniteEndsIsFinite) {
    const double most = std::numeric_limits<double>::max();
    for (int divisions : {1, 3, 7, 1000})
        for (double sign : {1.0, -1.0})
            for (int i = 0; i <= divisions; ++i) {
                double point = SweepSpacing(-sign * most, sign * most, divisions).At(i);
                EXPECT_TRUE(std::isfinite(point) && std::fabs(point) <= most) << divisions << i;
            }
    SweepSpacing ordinary(0.1, 1.0 / 3.0, 7);
    for (int i = 0; i <= 7; ++i) EXPECT_EQ(ordinary.At(i), i * ((1.0 / 3.0 - 0.1) / 7) + 0.1);
}

// A value that is not a number is written as nan, whatever its sign.
TEST(ReportNumbers, NotANumberIsWrittenAsNan) {
    char text[REPORT_NUMBER_SIZE];
    for (double value : {std::nan(""), -std::nan("")})
        EXPECT_EQ("nan", std::string(text, static_cast<size_t>(Format_ReportNumber(value, text))));
}

}  // namespace

// The ring of a sweep on several threads: chunks are written in order whatever
// order the lanes finish them in, and the first chunk not whole is the last
// written; the workers have stopped when Run returns.
TEST(ParallelSweepRing, ChunksAreWrittenInOrderUpToTheFirstNotWhole) {
    struct RingCase {
        int lanes;
        long long points;
        long long weight;
        long long short_chunk;  // index of the chunk that stops early, -1: none
    };
    const RingCase cases[] = {
        {2, 100000, 1, -1},  {8, 100000, 1, -1}, {3, 40000, 1, 5},
        {2, 1001, 2001, -1}, {2, 1001, 2001, 0}, {8, 50000, 1, 11},
    };
    for (const RingCase& c : cases) {
        SCOPED_TRACE(c.lanes * 100 + c.short_chunk);
        ParallelSweep sweep(c.lanes, c.points, c.weight);
        std::vector<long long> firsts;
        long long written = 0;
        long long chunk_points = 0;
        int last_lane = sweep.Run(
            [&](int lane, SweepChunk& chunk) {
                // Later chunks finish first now and then.
                if ((chunk.first / 7) % 3 == 0)
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                bool whole = chunk.first / chunk.count != c.short_chunk;
                chunk.done = whole ? chunk.count : chunk.count / 2;
                chunk.text = std::to_string(lane);
            },
            [&](const SweepChunk& chunk) {
                firsts.push_back(chunk.first);
                if (chunk_points == 0) chunk_points = chunk.count;
                written += chunk.done;
            });
        ASSERT_FALSE(firsts.empty());
        EXPECT_EQ(firsts[0], 0);
        for (size_t i = 1; i < firsts.size(); ++i)
            EXPECT_EQ(firsts[i], firsts[i - 1] + chunk_points);
        if (c.short_chunk < 0) {
            EXPECT_EQ(written, c.points);
        } else {
            EXPECT_EQ(static_cast<long long>(firsts.size()), c.short_chunk + 1);
            EXPECT_EQ(written, c.short_chunk * chunk_points + chunk_points / 2);
        }
        EXPECT_GE(last_lane, 0);
        EXPECT_LT(last_lane, c.lanes);
    }
}
