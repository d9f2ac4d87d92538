#include "app/formulasearch.h"

#include "eval/evalslope.h"
#include "roots/rootsearch.h"
#include "text/messages.h"

namespace {
// The compiled formula as the search calls it: x into the range variable's
// cell, the value out; false once the evaluation failed or Ctrl-C came. The
// slope from the formula's tree, where it has one.
class FormulaFunction : public SearchedFunction {
public:
    FormulaFunction(double& cell, LaneFormula& formula, SweepLane& lane, CompForm* root,
                    UsrFuncArray& ufunc_list)
        : cell_(cell), formula_(formula), lane_(lane), slope_(root, &cell, ufunc_list) {}
    bool Value(double x, double* value) override {
        if ((++calls_ & INTERRUPT_POLL_MASK) == 0 && Calculation_Interrupted())
            lane_.Note(EVAL_INTERRUPTED, nullptr);
        cell_ = x;
        *value = formula_.Value();
        return !lane_.Ended();
    }
    // Ctrl-C looked at on each: a slope may run sums of thousands of terms.
    bool Slope(double x, long double* slope) override {
        if (Calculation_Interrupted()) lane_.Note(EVAL_INTERRUPTED, nullptr);
        cell_ = x;
        return !lane_.Ended() && slope_.Slope(slope);
    }

private:
    double& cell_;
    LaneFormula& formula_;
    SweepLane& lane_;
    SlopeProgram slope_;
    long long calls_ = 0;
};
}  // namespace

SearchResult Search_Formula(FormulaArgument& formula, const char* name, const SearchGrid& grid,
                            bool extrema, SweepReport& report) {
    ReportFormula compiled(report, formula.the_root, Msg().EVALUATION_ERROR);
    SweepLane& lane = report.Own_Lane();
    FormulaFunction f(formula.array[name], compiled.On(lane), lane, formula.the_root,
                      report.Registry());
    CalculationScope calculation;
    return Search_Range(f, grid, extrema);
}
