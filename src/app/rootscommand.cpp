#include "app/rootscommand.h"

#include <iostream>

#include "app/argumentvalues.h"
#include "app/formulasearch.h"
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

// The formula and its range, read as `kansu table` reads an explicit report's.
struct RootsInput {
    FormulaArgument formula;
    NameBuffer name = "";
    SearchGrid grid{0.0, 0.0, ROOTS_DEFAULT_DIVISIONS};

    bool Read(const ScriptOptions& options, const VariableValues& values) {
        if (!Analyse_Argument(formula, options.texts[0]) ||
            !Read_RangeText(options.texts[1], values, name, &grid.min_value, &grid.max_value,
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

// One line per finding; a formula 0 everywhere says so instead, in CSV on
// standard error with the messages (std::cout here), so that the rows stay rows.
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
    SearchResult result =
        Search_Formula(input.formula, input.name, input.grid, options.extrema, report);
    if (report.Own_Lane().Outcome() == EVAL_INTERRUPTED) {
        std::cout << Msg().CALCULATION_INTERRUPTED;
        return SCRIPT_FAILED;
    }
    if (!result.failed) Write_Findings(result, options.csv, report.Out());
    if (!result.failed && result.crowded) std::cout << Msg().ROOTS_CROWDED;
    RunResult written = report.Close();
    if (written.evaluation_error != nullptr) {
        std::cout << written.evaluation_error;
        return SCRIPT_FAILED;
    }
    return written.status == 1 ? SCRIPT_DONE : SCRIPT_FAILED;
}
