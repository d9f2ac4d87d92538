#include "app/markfinder.h"

#include <climits>
#include <iostream>
#include <sstream>

#include "app/argumentvalues.h"
#include "app/formulasearch.h"
#include "userfunc/usrfunc.h"

namespace {
// What the dialogue code would say of a formula refused on the way is not
// the picture's business: standard output may carry the picture itself.
class QuietConsole {
public:
    QuietConsole() : kept_(std::cout.rdbuf(quiet_.rdbuf())) {}
    ~QuietConsole() { std::cout.rdbuf(kept_); }
    QuietConsole(const QuietConsole&) = delete;
    QuietConsole& operator=(const QuietConsole&) = delete;

private:
    std::ostringstream quiet_;
    std::streambuf* kept_;
};

// The picture's kind of mark for each kind of finding.
const MarkKind MARK_OF_FINDING[] = {MarkKind::ROOT, MarkKind::POLE, MarkKind::JUMP,
                                    MarkKind::MINIMUM, MarkKind::MAXIMUM};
static_assert(static_cast<int>(FindingKind::MAXIMUM) == 4, "MARK_OF_FINDING is indexed by kind");

// "name = value" as the report reader gives each fixed value, as NAME=VALUE.
bool Read_FixedValues(const std::vector<std::string>& fixed, VariableValues* values) {
    std::vector<std::string> assignments;
    for (const std::string& text : fixed) {
        size_t equals = text.find(" = ");
        if (equals == std::string::npos) return false;
        assignments.push_back(text.substr(0, equals) + "=" + text.substr(equals + 3));
    }
    return Read_VariableValues(assignments, values);
}

// The one variable of the formula without a fixed value; null when not one.
const char* Varying_Name(const FormulaArgument& formula, const VariableValues& values) {
    const char* varying = nullptr;
    for (int i = 0; i < formula.count_current; ++i) {
        bool fixed = false;
        for (const auto& value : values)
            if (value.first == formula.copy_label[i]) fixed = true;
        if (fixed) continue;
        if (varying != nullptr) return nullptr;
        varying = formula.copy_label[i];
    }
    return varying;
}
}  // namespace

bool Find_CurveMarks(const MarkedRun& run, std::vector<CurveMark>* marks) {
    QuietConsole quiet;
    FormulaArgument formula;
    VariableValues values;
    if (run.divisions > INT_MAX || !Read_FixedValues(run.fixed_values, &values) ||
        !Analyse_Argument(formula, run.formula))
        return false;
    const char* name = Varying_Name(formula, values);
    if (name == nullptr || !formula.Assign(values, name, nullptr)) return false;
    std::ostringstream unused;
    SweepReport report(unused, g_ufunc_list);
    SearchGrid grid{run.x_min, run.x_max, static_cast<int>(run.divisions)};
    SearchResult result = Search_Formula(formula, name, grid, true, report);
    if (result.failed) return false;
    for (const Finding& found : result.findings)
        marks->push_back(
            CurveMark{MARK_OF_FINDING[static_cast<int>(found.kind)], found.x, found.value});
    return true;
}
