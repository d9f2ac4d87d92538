#include "app/rootscommand.h"

#include <iostream>

#include "app/formulaargument.h"
#include "report/sweepreport.h"
#include "roots/rootsearch.h"
#include "text/messages.h"
#include "userfunc/usrfunc.h"

namespace {
// A finding's label on the console and its word in CSV, by kind.
struct KindLabel {
    FindingKind kind;
    const char* Messages::*label;
    const char* csv_word;
};
const KindLabel KIND_LABELS[] = {
    {FindingKind::ROOT, &Messages::ROOTS_ROOT, "root"},
    {FindingKind::POLE, &Messages::ROOTS_POLE, "pole"},
    {FindingKind::JUMP, &Messages::ROOTS_JUMP, "jump"},
    {FindingKind::MINIMUM, &Messages::ROOTS_MINIMUM, "minimum"},
    {FindingKind::MAXIMUM, &Messages::ROOTS_MAXIMUM, "maximum"},
};

const KindLabel& Label_Of(FindingKind kind) {
    for (const KindLabel& label : KIND_LABELS)
        if (label.kind == kind) return label;
    return KIND_LABELS[0];
}

// The compiled formula as the search calls it: x into the range variable's
// cell, the value out; false once the evaluation failed or Ctrl-C came.
class FormulaFunction : public SearchedFunction {
public:
    FormulaFunction(double& cell, LaneFormula& formula, SweepLane& lane)
        : cell_(cell), formula_(formula), lane_(lane) {}
    bool Value(double x, double* value) override {
        if ((++calls_ & INTERRUPT_POLL_MASK) == 0 && Calculation_Interrupted())
            lane_.Note(EVAL_INTERRUPTED, nullptr);
        cell_ = x;
        *value = formula_.Value();
        return !lane_.Ended();
    }

private:
    double& cell_;
    LaneFormula& formula_;
    SweepLane& lane_;
    long long calls_ = 0;
};

// The formula and its range, read as `kansu table` reads an explicit report's.
struct RootsInput {
    FormulaArgument formula;
    NameBuffer name = "";
    SearchGrid grid{0.0, 0.0, ROOTS_DEFAULT_DIVISIONS};

    bool Read(const ScriptOptions& options, const VariableValues& values) {
        if (!formula.Analyse(options.texts[0]) ||
            !Read_RangeText(options.texts[1], name, &grid.min_value, &grid.max_value,
                            &grid.step_number))
            return false;
        // The search needs a variable to vary and a grid to walk.
        if (name[0] == '\0' || grid.step_number < 1) {
            Show_RangeError();
            return false;
        }
        if (!formula.Has(name)) {
            std::cout << Msg().EXPLICIT_NO_SUCH_NAME;
            return false;
        }
        return formula.Assign(values, name, nullptr);
    }
};

void Write_Findings(const SearchResult& result, bool csv, ReportWriter& out) {
    if (csv) out << "kind,x,f\n";
    if (result.zero_everywhere && !csv) out << Msg().ROOTS_ZERO_EVERYWHERE;
    if (result.zero_everywhere && csv) std::cout << Msg().ROOTS_ZERO_EVERYWHERE;
    for (const Finding& found : result.findings) {
        const KindLabel& label = Label_Of(found.kind);
        if (csv)
            out << label.csv_word << "," << NumText(found.x) << "," << NumText(found.value) << "\n";
        else
            out << Msg().*label.label << "\t" << NumText(found.x) << "\t" << NumText(found.value)
                << "\n";
    }
}
}  // namespace

int Run_Roots(const ScriptOptions& options, std::ostream& out) {
    VariableValues values;
    if (!Read_VariableValues(options.assignments, &values)) return SCRIPT_FAILED;
    RootsInput input;
    if (!input.Read(options, values)) return SCRIPT_FAILED;
    SweepReport report(out, g_ufunc_list);
    ReportFormula formula(report, input.formula.the_root, Msg().EVALUATION_ERROR);
    SweepLane& lane = report.Own_Lane();
    FormulaFunction f(input.formula.array[input.name], formula.On(lane), lane);
    SearchResult result;
    {
        CalculationScope calculation;
        result = Search_Range(f, input.grid, options.extrema);
    }
    if (lane.Outcome() == EVAL_INTERRUPTED) {
        std::cout << Msg().CALCULATION_INTERRUPTED;
        return SCRIPT_FAILED;
    }
    if (!result.failed) Write_Findings(result, options.csv, report.Out());
    RunResult written = report.Close();
    if (written.evaluation_error != nullptr) {
        std::cout << written.evaluation_error;
        return SCRIPT_FAILED;
    }
    return written.status == 1 ? SCRIPT_DONE : SCRIPT_FAILED;
}
