// The fuzz harnesses' work budget: numbers are judged as the program reads
// them, blanks removed, so no input that is slow by design gets through.
#include "../../fuzz/fuzz_budget.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct BudgetCase {
    std::string text;
    size_t max_sigma;
    bool line_reader;  // a typed session: blanks as the line reader drops them
    bool kept;
};

TEST(FuzzBudget, NumbersAreJudgedWithoutBlanks) {
    const BudgetCase cases[] = {
        // 51 x 3e7 terms once the range parser has dropped the form feeds.
        {"sigma[n(,50),sigma[m(0,3\f\fe+\f\f\f\f\f\f7\f),n*m]]", 2, false, false},
        {"sigma[n(,50),sigma[m(0,3),n*m]]", 2, false, true},
        {"sigma[n(0,3 e7),n]", 2, false, false},
        {"sigma[n(0,3\te7),n]", 2, false, false},
        {"sigma[n(0,3\ne7),n]", 2, false, false},
        {"sigma[n(0,3\ve7),n]", 2, false, false},
        {"sigma[n(0,3\re7),n]", 2, false, false},
        {"sigma[n(0,1 0 0),n]", 2, false, false},
        {"sigma[n(0,1.\f5e1),n]", 2, false, false},
        {"sigma[n(0,99),n]", 2, false, true},
        {"x+1 23", 2, false, false},
        {"x+1\xef\xbc\x92", 2, false, true},  // no byte of 0x80 or above is a blank
        {"s i g m a[n(1,2),s igma[m(1,2),sig\fma[k(1,2),k]]]", 2, false, false},
        {"sigma[n(1,2),sigma[m(1,2),n*m]]", 2, false, true},
        // In a session a line feed ends a line: numbers on two lines stay two.
        {"1\n23\nx\n", 1, true, true},
        {"1\n2 34\nx\n", 1, true, false},
        {"1\n2\f34\nx\n", 1, true, false},
        {"1\n23\nx\n", 1, false, false},
    };
    for (const BudgetCase& c : cases) {
        bool kept = c.line_reader ? fuzz::Within_Budget(c.text, c.max_sigma, Is_LineBlank)
                                  : fuzz::Within_Budget(c.text, c.max_sigma);
        EXPECT_EQ(kept, c.kept) << c.text;
    }
}

}  // namespace
