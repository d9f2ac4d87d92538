// What Ctrl-C does, as sweeps and sums and the shell see it.
#include "console/interrupt.h"
#include "progress/calcstop.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// The handler's decision: inside a calculation a flag, outside the end (at
// once, or after the save question when work is unsaved).
TEST(Interrupt, WhatOneCtrlCDoes) {
    struct Case {
        bool inside, unsaved, ends_at_once, calculation_flag, end_flag;
    } cases[] = {
        {true, false, false, true, false},
        {true, true, false, true, false},
        {false, false, true, false, false},
        {false, true, false, false, true},
    };
    for (const Case& c : cases) {
        Note_UnsavedWork(c.unsaved);
        std::optional<CalculationScope> calculation;
        if (c.inside) calculation.emplace();
        EXPECT_EQ(Record_Interrupt(), c.ends_at_once);
        calculation.reset();
        EXPECT_EQ(Calculation_Interrupted(), c.calculation_flag);
        EXPECT_EQ(Program_EndRequested(), c.end_flag) << c.inside << c.unsaved;
        Clear_CalculationInterrupt();
    }
    Note_UnsavedWork(false);
}

}  // namespace
