// Compiled formulas against the reference evaluator (tests/support/tree_walker.*):
// the same bits, the same error flag and the same argument cells afterwards,
// for tabled and random formulas with sums, user functions, logarithms and
// powers.
#include <gtest/gtest.h>

#include <pthread.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <sstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "eval/calcbintree.h"
#include "formula/crtbtree.h"
#include "eval/evallisting.h"
#include "eval/evalprog.h"
#include "formula/fmulaopfc.h"
#include "progress/calcstop.h"
#include "formula/symbol.h"
#include "tree_walker.h"
#include "userfunc/usrfunc.h"

namespace {

uint64_t Bits(double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A typed formula: analysed, linked to its own table with x and y, tree built.
struct Typed {
    CompForm* items = nullptr;
    CompForm* root = nullptr;
    AscArray<double> table;
    explicit Typed(const std::string& text) {
        int item_count = Formula_Analysis(&items, text.c_str(), g_ufunc_list);
        if (item_count == 0) return;
        Create_SymbolTable(items, item_count, table);
        root = Build_Tree(items, item_count);
    }
    ~Typed() { delete[] items; }
};

class CompiledEvaluator : public ::testing::Test {
protected:
    void SetUp() override {
        // r and t, q and u, d and e call each other: r, q and d are enrolled
        // plainly first, so that the definitions calling them analyse.
        const char* const definitions[][3] = {
            {"r", "1", "a0"},
            {"q", "2", "a1"},
            {"d", "1", "a0"},
            {"g", "1", "a0+1"},
            {"f", "1", "a0*g(a0*2)"},
            {"h", "1", "g(a0*2)*a0"},
            {"p", "2", "a0^2+a1"},
            {"s", "1", "sigma[n(1,3),a0*n+g(n)]"},
            {"t", "1", "r(a0)+1"},
            {"u", "2", "q(a0,a1)+q(a1,a0)"},
            {"r", "1", "t(a0)*2"},
            {"q", "2", "u(a1,a0)"},
            {"k", "0", "log(2,8)-sigma[m(1,2),7]"},
            {"e", "1", "d(a0+1)"},
            {"w", "1", "a0+a1"},  // a1 is the shared cell: what the last call wrote
            {"v", "2", "w(a1)*a0+a1"},
        };
        for (const auto& one : definitions) {
            ASSERT_NE(0, g_ufunc_list.AddUFncElem(one[0], -1, std::stoi(one[1]), 8, one[2]));
            ASSERT_EQ(2, g_ufunc_list(one[0])) << one[2];
        }
        // d and e call each other, d from 126 tree levels down: the level limit
        // cuts them before the call depth limit does.
        std::string deep = "e(a0)";
        for (int i = 0; i < 125; ++i) deep += "+1";
        ASSERT_EQ(2, g_ufunc_list.AddUFncElem("d", -1, 1, 8, deep.c_str()));
    }
    void TearDown() override { g_ufunc_list.DeleteAllObject(); }

    static void Set_ArgumentCells() {
        ufunc_argArray["a0"] = 0.375;
        ufunc_argArray["a1"] = -2.5;
    }

    // Evaluates text at several points both ways, as machine code where it
    // can be made and by the run loop, and compares everything seen.
    static void Expect_SameAsReference(const std::string& text) {
        Typed formula(text);
        ASSERT_NE(formula.root, nullptr) << text;
        EvalProgram program(formula.root, g_ufunc_list);
        for (EvalCode code : {EVAL_NATIVE_WHERE_ABLE, EVAL_INTERPRETED}) {
            EvalMachine machine(program, true, code);
            // Exact binary fractions, and points that are none, where each
            // step's rounding shows in the last bits.
            for (double x :
                 {0.0, 0.5, -1.25, 3.0, 1e300, 0.1, 1.0 / 3, 2.718281828, -7.3e-5, 1e15 + 0.3}) {
                formula.table["x"] = x;
                formula.table["y"] = 2.0 - x;
                // A definition may read a shared cell no call wrote yet: both
                // ways start from the same cells.
                Set_ArgumentCells();
                int walk_flag = 1;
                double walked = Reference_Value(formula.root, &walk_flag, g_ufunc_list);
                std::vector<uint64_t> walk_cells;
                for (const char* cell : {"a0", "a1"})
                    walk_cells.push_back(Bits(ufunc_argArray[cell]));
                Set_ArgumentCells();
                int run_flag = 1;
                double run = Run_WithFlag(machine, &run_flag);
                SCOPED_TRACE(text + " at x=" + std::to_string(x) +
                             (machine.Runs_Native() ? " as machine code" : ""));
                EXPECT_EQ(Bits(walked), Bits(run));
                EXPECT_EQ(walk_flag, run_flag);
                EXPECT_EQ(walk_cells[0], Bits(ufunc_argArray["a0"]));
                EXPECT_EQ(walk_cells[1], Bits(ufunc_argArray["a1"]));
            }
        }
    }
};

TEST_F(CompiledEvaluator, TabledFormulasMatchTheReference) {
    const char* const formulas[] = {
        "sin(x)*exp(-x/10)+x^2",
        "sigma[n(1,10),x^n/n]",
        "f(x)",
        "3*x^2+2*x+1",
        "h(x)-f(x)",
        "p(p(x,1),y)",
        "p(x,p(y,x))",
        "log(x,y)+ln(x)-log10(y)",
        "sqrt(x)/0+0/x",
        "(0-8)^(1/3)",
        "2^3^2-x^y",
        "sigma[i(1,3),sigma[j(1,2),i*j+x]]",
        "sigma[i(3,1),x]+sigma[i(3,1),i]",
        "sigma[n(1.9,3.9),n]*sigma[n(5,1),2]",
        "sigma[k(1,3),s(k)+s(x)]",
        "s(sigma[k(1,2),g(k)*k])",
        "sigma[n(1,2147483648),n]+g(x)",
        "r(x)",
        "g(1)+r(x)+g(2)",
        "q(x,1)",
        "k()*k()+abs(0-x)",
        "e(x)",
        "g(e(x))+x",
        "atan(x)*tanh(y)+cosh(x)-sinh(y)",
        "acos(x)+asin(y)+tan(x)+cos(y)",
        "v(x,y)+w(2)",
        "w(y)+v(3,x)*w(x)",
        "v(v(x,1),y)-f(2)",
        "sigma[n(1,3),v(n,x)+w(n)]",
        "x*f(y)-y/g(x)+2^g(y)",
        "log(x,g(y))+x^g(y)-(x-h(y))",
        "x*0.1+1/3-y*2.718281828",
        "x*y-7.3e-5+(1e15+0.3)*x-x*1e15",
        "0.1*x*x+y/3-x*y*2.718281828+0.3",
        "sigma[n(1,7),x*n*0.1-n/3]+p(x*0.1,y*7.3e-5)",
        "f(x*0.3)-h(y/3)+w(x*2.718281828-1)",
    };
    for (const char* text : formulas) Expect_SameAsReference(text);
}

bool Holds_Op(const EvalProgram& program, EvalOp op) {
    for (const EvalStep& step : program.Steps())
        if (step.op == op) return true;
    return false;
}

// Calls of functions that do not recurse are compiled into the program; the
// rest keep the call path. Either way the values are the reference's.
TEST_F(CompiledEvaluator, CallsOfFunctionsThatDoNotRecurseAreInlined) {
    // c1 -> c2 -> ... -> c64: as deep as calls may nest; z one deeper.
    std::vector<std::pair<std::string, std::string>> chain{{"c64", "a0+1"}};
    for (int i = 63; i >= 1; --i)
        chain.emplace_back("c" + std::to_string(i), "c" + std::to_string(i + 1) + "(a0)*2");
    chain.emplace_back("z", "c1(a0)+1");
    for (const auto& one : chain) {
        ASSERT_NE(0, g_ufunc_list.AddUFncElem(one.first.c_str(), -1, 1, 8, one.second.c_str()));
        ASSERT_EQ(2, g_ufunc_list(one.first.c_str()));
    }
    struct Case {
        const char* text;
        bool calls;
    };
    const Case cases[] = {
        {"f(x)", false},        {"h(x)+p(x,y)", false}, {"s(x)", false},
        {"k()", false},         {"g(r(x))", true},      {"t(x)", true},
        {"u(x,y)", true},       {"e(x)", true},         {"c1(x)", false},
        {"c1(1)+c2(y)", false}, {"g(c1(x))", false},    {"sigma[n(1,3),c1(n)]", false},
        {"z(x)", true},         {"g(z(x))+f(y)", true},
    };
    for (const Case& one : cases) {
        Typed formula(one.text);
        ASSERT_NE(formula.root, nullptr) << one.text;
        EvalProgram program(formula.root, g_ufunc_list);
        EXPECT_EQ(one.calls, Holds_Op(program, OP_CALL)) << one.text;
        Expect_SameAsReference(one.text);
    }
}

// Programs without jumps, calls or sums run in the loop without their
// bookkeeping, those that call no routine either in one without calls, and on
// x86-64 Linux as machine code; every way gives the reference's values. The
// straight formulas hold every straight step at least once.
TEST_F(CompiledEvaluator, ProgramsWithoutFlowRunStraight) {
    ASSERT_NE(0, g_ufunc_list.AddUFncElem("j", -1, 2, 8,
                                          "a0^a0+a0*2-a0/a1+(x*a0)+(x*y-a0)*(a0/(x-a0))^a0+"
                                          "log(a0,2)+log(x,a0)+a0^3+x^a0+(x*y)^a1+(a0+1)+(x*y+a0)+"
                                          "(a0-2)*(a0/2)"));
    enum Loop { ARITHMETIC, STRAIGHT, FLOW };
    struct Case {
        const char* text;
        Loop loop;
    };
    const Case cases[] = {
        {"3*x^2+2*x+1", ARITHMETIC},
        {"f(x)+x*f(y)", ARITHMETIC},
        {"5", ARITHMETIC},
        {"x", ARITHMETIC},
        {"sigma[n(1,3),x]", ARITHMETIC},
        {"(x*y)+(y*x)-(x*y)*(y+x)/(y-x)", ARITHMETIC},
        {"(x*y)+2-(x*y)*2-(x*y)/2-2", ARITHMETIC},
        {"(x*y)+x-(x*y)*x/(x*y)-((x*y)/x)", ARITHMETIC},
        {"2+(x*y)-(2-(x*y))*(2*(x*y))/(2/(x*y))", ARITHMETIC},
        {"x+(x*y)-(x-(x*y))*(x*(x*y))/(x/(x*y))", ARITHMETIC},
        {"(x+2)*(x-2)*(x*2)*(x/2)", ARITHMETIC},
        {"3*x^2+((x*y)+2*x)-((x*y)-2*x)+((x*y)+x^2)-((x*y)-x^2)", ARITHMETIC},
        {"(x*y)^2+x^2*y", ARITHMETIC},
        {"sin(x)*exp(-x/10)+x^2", STRAIGHT},
        {"f(x)+p(y,x)", STRAIGHT},
        {"log(x,y)^x-2^y", STRAIGHT},
        {"(x*y)^(x*y)+(x*y)^3+(x*y)^x+3^(x*y)+x^(x*y)+x^3", STRAIGHT},
        {"j(x*y,y)+j(y,x*y)", STRAIGHT},
        {"log(x*y,x*y)+log(x*y,2)+log(x*y,x)+log(2,x*y)+log(x,x*y)+log(x,2)", STRAIGHT},
        {"ln(x*y)+ln(x)+sin(x*y)+cos(x*y)+tan(x*y)+exp(x*y)+sin(x)+cos(x)+tan(x)+exp(x)", STRAIGHT},
        {"v(x,y)+w(x*y)+p(x*y,y)+v(x*y,2)+f(x*y)", STRAIGHT},
        {"s(x)", FLOW},
        {"sigma[n(1,3),n]", FLOW},
        {"g(r(x))", FLOW},
    };
    std::set<EvalOp> seen;
    for (const Case& one : cases) {
        Typed formula(one.text);
        ASSERT_NE(formula.root, nullptr) << one.text;
        EvalProgram program(formula.root, g_ufunc_list);
        EXPECT_EQ(one.loop != FLOW, program.Straight()) << one.text;
        EXPECT_EQ(one.loop == ARITHMETIC, program.Arithmetic()) << one.text;
#if defined(__x86_64__) && defined(__linux__)
        EXPECT_EQ(one.loop != FLOW, EvalMachine(program).Runs_Native()) << one.text;
#endif
        if (one.loop != FLOW)
            for (const EvalStep& step : program.Steps()) seen.insert(step.op);
        Expect_SameAsReference(one.text);
    }
    // No typed formula makes these: every built-in function takes an
    // argument, its first one computed unless it is a cell; TERM_END ends
    // only the terms of a sum.
    const std::set<int> never_made = {OP_ROUTINE0, OP_NUMBER_ROUTINE2, OP_CELL_ROUTINE2_NUMBER,
                                      OP_LOCAL_ROUTINE2_NUMBER, OP_TERM_END};
    for (int op = 0; op < EVAL_OP_COUNT; ++op) {
        if (EVAL_OP_STRAIGHT[op] && never_made.count(op) == 0) {
            EXPECT_EQ(1u, seen.count(static_cast<EvalOp>(op))) << EVAL_OP_NAME[op];
        }
    }
}

// Turned off, machine code leaves every formula to the run loop; allowed, it
// is made where it can.
TEST_F(CompiledEvaluator, MachineCodeCanBeTurnedOff) {
    Typed formula("3*x^2+2*x+1");
    ASSERT_NE(formula.root, nullptr);
    EvalProgram program(formula.root, g_ufunc_list);
    for (bool allowed : {false, true}) {
        Allow_NativeCode(allowed);
        bool native = EvalMachine(program).Runs_Native();
#if defined(__x86_64__) && defined(__linux__)
        EXPECT_EQ(allowed, native);
#else
        EXPECT_FALSE(native);
#endif
    }
}

// A write of an argument cell that a later call writes again before anything
// reads it is left out of a straight program; the cells end the same.
TEST_F(CompiledEvaluator, DeadArgumentWritesAreLeftOut) {
    struct Case {
        const char* text;
        int writes;
    };
    const Case cases[] = {
        {"f(x)", 1}, {"f(x)+f(y)", 1}, {"w(x)+w(y)", 1}, {"v(x,y)", 2}, {"sigma[n(1,2),f(n)]", 2},
    };
    for (const Case& one : cases) {
        Typed formula(one.text);
        ASSERT_NE(formula.root, nullptr) << one.text;
        EvalProgram program(formula.root, g_ufunc_list);
        int writes = 0;
        for (const EvalStep& step : program.Steps())
            if (step.op == OP_ARGUMENT || step.op == OP_ARGUMENTS || step.op == OP_LEAF_ARGUMENTS)
                ++writes;
        EXPECT_EQ(one.writes, writes) << one.text;
        Expect_SameAsReference(one.text);
    }
}

// A worker thread's copy of a program runs over cells of its own and leaves
// the originals alone. A program that reads as a cell what one of its calls
// writes as an argument may carry a value from one evaluation to the next.
TEST_F(CompiledEvaluator, ProgramsMovedOntoCellsOfTheirOwn) {
    ASSERT_NE(0, g_ufunc_list.AddUFncElem("m", -1, 1, 8, "a0+a1"));
    struct Case {
        const char* text;
        bool carries;
    };
    const Case cases[] = {{"x*y+sin(x)", false},
                          {"f(x)+p(x,y)-sigma[n(1,3),s(n*x)]", false},
                          {"t(x)+u(x,y)", false},
                          {"m(x)+p(x,x*3)", true},
                          {"m(x)", false}};
    for (const Case& one : cases) {
        SCOPED_TRACE(one.text);
        Typed formula(one.text);
        ASSERT_NE(formula.root, nullptr);
        EvalProgram program(formula.root, g_ufunc_list);
        EXPECT_EQ(one.carries, program.Carries_Values());
        double& x = formula.table["x"];
        double& y = formula.table["y"];
        x = 0.75;
        y = -2.0;
        std::deque<double> copies;
        std::map<const double*, double*> moved_to;
        for (const double* cell : program.Cells()) {
            copies.push_back(*cell);
            moved_to[cell] = &copies.back();
        }
        EvalProgram copy = program.Relocated(moved_to);
        EvalMachine original_machine(program);
        EvalMachine copy_machine(copy);
        double original_value = 0.0;
        double copy_value = 0.0;
        EvalOutcome outcome = original_machine.Run(&original_value);
        std::vector<uint64_t> shared_cells;
        for (const char* cell : {"a0", "a1"}) shared_cells.push_back(Bits(ufunc_argArray[cell]));
        x = 9.0;
        EXPECT_EQ(outcome, copy_machine.Run(&copy_value));
        EXPECT_EQ(Bits(original_value), Bits(copy_value));
        EXPECT_EQ(shared_cells[0], Bits(ufunc_argArray["a0"]));
        EXPECT_EQ(shared_cells[1], Bits(ufunc_argArray["a1"]));
        // The copy's argument cells end as the original's did, whatever x holds now.
        for (const char* name : {"a0", "a1"}) {
            auto moved = moved_to.find(&ufunc_argArray[name]);
            if (moved != moved_to.end()) {
                EXPECT_EQ(Bits(ufunc_argArray[name]), Bits(*moved->second)) << name;
            }
        }
    }
}

// Random formulas over x, y, the built-in functions, the functions above and
// sums whose index may or may not appear in the summand.
std::string Random_Formula(std::mt19937& random, int depth, std::string indices) {
    auto pick = [&](int count) { return static_cast<int>(random() % count); };
    if (depth == 0 || pick(4) == 0) {
        const char* const leaves[] = {"x",   "y",   "2",           "0.5",    "0.001",   "3",
                                      "0.1", "1/3", "2.718281828", "7.3e-5", "1e15+0.3"};
        if (!indices.empty() && pick(2) == 0) return std::string(1, indices[pick(indices.size())]);
        return leaves[pick(11)];
    }
    std::string a = Random_Formula(random, depth - 1, indices);
    std::string b = Random_Formula(random, depth - 1, indices);
    switch (pick(7)) {
    case 0: return a + "+-*/^"[pick(5)] + b;
    case 1: return "(" + a + ")" + "+-*/^"[pick(5)] + "(" + b + ")";
    case 2: {
        const char* const names[] = {"sin", "exp", "ln", "sqrt", "abs", "atan", "g", "f", "h", "w"};
        return std::string(names[pick(10)]) + "(" + a + ")";
    }
    case 3: return (pick(3) == 0 ? "log(" : pick(2) ? "p(" : "v(") + a + "," + b + ")";
    case 4: {
        if (indices.size() >= 3) return a;
        std::string index(1, "ijk"[indices.size()]);
        const char* const ranges[] = {"(1,3)", "(3,1)", "(0.5,2.7)", "(-2,0)"};
        return "sigma[" + index + ranges[pick(4)] + "," +
               Random_Formula(random, depth - 1, indices + index) + "]";
    }
    case 5: return "s(" + a + ")";
    default: return "(0-" + a + ")";
    }
}

TEST_F(CompiledEvaluator, RandomFormulasMatchTheReference) {
    std::mt19937 random(20261207);
    int compared = 0;
    while (compared < 400) {
        std::string text = Random_Formula(random, 4, "");
        if (text.size() > 255) continue;
        Expect_SameAsReference(text);
        ++compared;
    }
}

// v^2 is v*v exactly, whatever v is; at these arguments glibc's pow(x,2) is
// one bit off the correctly rounded square. Other powers stay pow.
TEST_F(CompiledEvaluator, SquareIsTheProduct) {
    for (const char* text : {"x^2", "(x+0)^2", "sigma[n(1,1),x^2.0]", "x^3"}) {
        Typed formula(text);
        EvalProgram program(formula.root, g_ufunc_list);
        EvalMachine machine(program);
        for (double x : {0.51019999999999999, 1.0204, 1.2704, 2.2311000000000001}) {
            formula.table["x"] = x;
            double operands[2] = {x, 3.0};
            double expected = std::strcmp(text, "x^3") == 0 ? OprFun[OPR_POWER](operands) : x * x;
            int flag = 1;
            EXPECT_EQ(Bits(expected), Bits(Run_WithFlag(machine, &flag))) << text << " at " << x;
        }
    }
}

// A product and the sum after it are rounded one after the other, never
// fused into one rounding: at these values std::fma gives other bits, so a
// build whose evaluator fused a*b+c would fail here, by machine code, by the
// run loop and by the tree evaluator alike.
TEST_F(CompiledEvaluator, ProductAndSumRoundedOneAfterTheOther) {
    struct Case {
        const char* text;
        double x;
        double y;
        // The formula's value is a*b+c, the product made by this step.
        double a;
        double b;
        double c;
        const char* listing;  // the whole program: the fused step, and nothing fused besides
    };
    const double third = 1.0 / 3;
    const double quarter_turn = 1.5707963267948966;
    const Case cases[] = {
        // The product and the sum in one step of the run loop.
        {"sin(y)+x^2", 0.1, -0.01, 0.1, 0.1, std::sin(-0.01),
         "0 SIN_CELL s0 c0\n1 ADD_CELL_SQUARE c1\n2 END\n"},
        {"sin(y)-x^2", 0.1, 0.01, -0.1, 0.1, std::sin(0.01),
         "0 SIN_CELL s0 c0\n1 SUB_CELL_SQUARE c1\n2 END\n"},
        {"sin(y)+0.1*x", 10.0, -quarter_turn, 0.1, 10.0, std::sin(-quarter_turn),
         "0 SIN_CELL s0 c0\n1 ADD_NUMBER_MUL_CELL c1 0.10000000000000001\n2 END\n"},
        {"sin(y)-0.1*x", 10.0, quarter_turn, -0.1, 10.0, std::sin(quarter_turn),
         "0 SIN_CELL s0 c0\n1 SUB_NUMBER_MUL_CELL c1 0.10000000000000001\n2 END\n"},
        {"sin(y)+x^2", third, -0.11111111111111, third, third, std::sin(-0.11111111111111),
         "0 SIN_CELL s0 c0\n1 ADD_CELL_SQUARE c1\n2 END\n"},
        // The product and the sum in steps of their own.
        {"x*y-1", 0.1, 10.0, 0.1, 10.0, -1.0,
         "0 CELL s0 c0\n1 MUL_CELL c1\n2 SUB_NUMBER 1\n3 END\n"},
        {"x*3-1", third, 0.0, third, 3.0, -1.0,
         "0 CELL_MUL_NUMBER s0 c0 3\n1 SUB_NUMBER 1\n2 END\n"},
        {"x*2.718281828-y", third, 0.906093942666666, third, 2.718281828, -0.906093942666666,
         "0 CELL_MUL_NUMBER s0 c0 2.7182818279999998\n1 SUB_CELL c1\n2 END\n"},
        {"y-x*x", 2.718281828, 7.389056096, -2.718281828, 2.718281828, 7.389056096,
         "0 CELL s0 c0\n1 MUL_CELL c0\n2 CELL_SUB c1\n3 END\n"},
        {"sigma[n(1,1),x*y-1]", 0.1, 10.0, 0.1, 10.0, -1.0,
         "0 CELL s0 c0\n1 MUL_CELL c1\n2 SUB_NUMBER 1\n3 MUL_NUMBER 1\n4 END\n"},
        {"p(x,y)", 0.1, -0.01, 0.1, 0.1, -0.01,
         "0 LEAF_ARGUMENTS call 0\n1 CELL_SQUARE s0 c0\n2 ADD_CELL c1\n3 END\n"
         "call 0: 2 arguments c2 c3, inlined, from c0 c1\n"},
    };
    for (const Case& one : cases) {
        SCOPED_TRACE(one.text);
        volatile double product = one.a * one.b;  // rounded here whatever the flags
        double separate = product + one.c;
        double fused = std::fma(one.a, one.b, one.c);
        ASSERT_NE(Bits(separate), Bits(fused));  // else the case tells nothing
        Typed formula(one.text);
        ASSERT_NE(formula.root, nullptr);
        formula.table["x"] = one.x;
        formula.table["y"] = one.y;
        EvalProgram program(formula.root, g_ufunc_list);
        EXPECT_EQ(one.listing, List_Program(program));
        for (EvalCode code : {EVAL_NATIVE_WHERE_ABLE, EVAL_INTERPRETED}) {
            EvalMachine machine(program, true, code);
            int flag = 1;
            EXPECT_EQ(Bits(separate), Bits(Run_WithFlag(machine, &flag)))
                << (machine.Runs_Native() ? "as machine code" : "by the run loop");
            EXPECT_EQ(1, flag);
        }
        int flag = 1;
        EXPECT_EQ(Bits(separate),
                  Bits(BinTreeFunc(formula.root, &flag, formula.table, g_ufunc_list, EmptyArray)));
        EXPECT_EQ(Bits(separate), Bits(Reference_Value(formula.root, &flag, g_ufunc_list)))
            << "reference";
    }
}

// Ctrl-C inside a calculation ends a running sum: the evaluation says so.
TEST_F(CompiledEvaluator, CtrlCEndsASumAsAnInterruption) {
    // A sum of its index runs as one step, one whose summand runs straight
    // through as one loop; the others term by term.
    const double sum = 20000100000.0;
    struct Case {
        const char* text;
        const char* listing;  // how the sums were compiled
        double value;
    };
    const Case cases[] = {
        {"sigma[n(1,200000),n]", "0 SUM_OF_INDEX s0 1..200000\n1 END\n", sum},
        {"sigma[n(1,200000),n*x]",
         "0 SIGMA_ARITHMETIC s0 1..200000 ->4\n1 LOCAL s4 l3\n2 MUL_CELL c0\n3 TERM_END\n4 END\n",
         sum},
        {"sigma[n(1,200000),n^x]",
         "0 SIGMA_STRAIGHT s0 1..200000 ->4\n1 LOCAL s4 l3\n2 POW_CELL c0\n3 TERM_END\n4 END\n",
         sum},
        {"1+sigma[m(1,2),sigma[n(1,200000),n]]",
         "0 SUM_OF_INDEX s0 1..200000\n1 MUL_NUMBER 2\n2 NUMBER_ADD 1\n3 END\n", 1.0 + 2 * sum},
        {"sigma[m(1,2),sigma[n(1,200000),n]*m]",
         "0 SIGMA_BEGIN s0 1..2 ->4\n1 SUM_OF_INDEX s4 1..200000\n2 MUL_LOCAL l3\n"
         "3 SIGMA_NEXT 1..2 ->1\n4 END\n",
         3 * sum},
        {"sigma[m(1,2),sigma[n(1,200000),n*m]]",
         "0 SIGMA_BEGIN s0 1..2 ->6\n1 SIGMA_ARITHMETIC s4 1..200000 ->5\n2 LOCAL s8 l7\n"
         "3 MUL_LOCAL l3\n4 TERM_END\n5 SIGMA_NEXT 1..2 ->1\n6 END\n",
         3 * sum},
    };
    for (const Case& one : cases) {
        Typed formula(one.text);
        formula.table["x"] = 1.0;
        EvalProgram program(formula.root, g_ufunc_list);
        EXPECT_EQ(one.listing, List_Program(program));
        EvalMachine machine(program);
        double value = -1.0;
        EvalOutcome outcome;
        {
            CalculationScope calculation;
            Interrupt_Calculation();
            outcome = machine.Run(&value);
            Clear_CalculationInterrupt();
        }
        EXPECT_EQ(EVAL_INTERRUPTED, outcome) << one.text;
        EXPECT_EQ(0.0, value) << one.text;
        // The machine starts afresh: the next run sums every term.
        EXPECT_EQ(EVAL_OK, machine.Run(&value)) << one.text;
        EXPECT_EQ(one.value, value) << one.text;
    }
}

// A callee enrolled again is what the next evaluation calls.
TEST_F(CompiledEvaluator, CalleeEnrolledAgainBetweenTwoCalls) {
    Typed formula("f(x)");
    formula.table["x"] = 2.0;
    int flag = 1;
    EXPECT_EQ(10.0, BinTreeFunc(formula.root, &flag, formula.table, g_ufunc_list, EmptyArray));
    ASSERT_EQ(2, g_ufunc_list.AddUFncElem("g", -1, 1, 8, "a0*10"));
    EXPECT_EQ(80.0, BinTreeFunc(formula.root, &flag, formula.table, g_ufunc_list, EmptyArray));
    EXPECT_EQ(1, flag);
    ASSERT_EQ(2, g_ufunc_list.AddUFncElem("g", -1, 1, 8, "a0+"));  // now undefined
    BinTreeFunc(formula.root, &flag, formula.table, g_ufunc_list, EmptyArray);
    EXPECT_EQ(0, flag);
}

// Deep trees and the deepest call nesting need no more than a small stack.
void* Evaluate_Deep(void* result) {
    Typed chain("e(1)+r(2)");
    int flag = 1;
    BinTreeFunc(chain.root, &flag, chain.table, g_ufunc_list, EmptyArray);
    std::vector<CompForm> items(2 * 100000 - 1);
    for (size_t i = 0; i < items.size(); ++i) {
        std::strcpy(items[i].CompArray, i % 2 == 0 ? "1" : "+");
        items[i].kind = i % 2 == 0 ? KIND_NUMBER : KIND_OPERATOR;
        items[i].SetOperatorKind();
    }
    int deep_flag = 1;
    BinTreeFunc(Build_Tree(items.data(), static_cast<int>(items.size())), &deep_flag, chain.table,
                g_ufunc_list, EmptyArray);
    *static_cast<int*>(result) = flag + 2 * deep_flag;
    return nullptr;
}

TEST_F(CompiledEvaluator, DeepNestingOnASmallStack) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    int result = -1;
    ASSERT_EQ(0, pthread_create(&thread, &attributes, Evaluate_Deep, &result));
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(0, result);  // both cut by their limits, neither crashed
}

}  // namespace
