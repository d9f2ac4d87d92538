#include "app/tablereport.h"

#include <iostream>

#include "modes/explicit.h"
#include "modes/inplexp.h"
#include "modes/paramexp.h"
#include "modes/polarcord.h"
#include "text/messages.h"
#include "userfunc/usrfunc.h"

namespace {
const int DEFAULT_DIVISIONS = 100;

// The range of the one varying variable of the explicit, polar and parametric reports.
struct RangeText {
    NameBuffer name = "";
    double min_value = 0.0;
    double max_value = 0.0;
    int step_number = DEFAULT_DIVISIONS;

    bool Read(const std::string& text, const VariableValues& values) {
        return Read_RangeText(text, values, name, &min_value, &max_value, &step_number);
    }
};

class ExplicitTable : public TableReport {
public:
    bool Prepare(const std::vector<std::string>& texts, const VariableValues& values) {
        if (!Analyse_Argument(formula_, texts[0]) || !range_.Read(texts[1], values)) return false;
        if (range_.name[0] != '\0' && !formula_.Has(range_.name)) {
            std::cout << Msg().EXPLICIT_NO_SUCH_NAME;
            return false;
        }
        return formula_.Assign(values, range_.name, nullptr);
    }
    void Write(SweepReport& report) override {
        Write_ExplicitResults(report, ExplicitRun{formula_.line_array, &formula_.array, range_.name,
                                                  formula_.copy_label.get(), formula_.count_current,
                                                  range_.step_number, range_.min_value,
                                                  range_.max_value, formula_.the_root});
    }
    // Only a varying variable makes a table.
    const char* Csv_Header() override { return range_.name[0] != '\0' ? "x,y" : ""; }
    std::vector<int> Csv_Columns() override { return {0, 1}; }

private:
    FormulaArgument formula_;
    RangeText range_;
};

class PolarTable : public TableReport {
public:
    bool Prepare(const std::vector<std::string>& texts, const VariableValues& values) {
        if (!Analyse_Argument(formula_, texts[0])) return false;
        if (texts[1].empty()) {
            std::cout << Msg().POLAR_NO_VARIABLE << std::endl;
            return false;
        }
        if (!range_.Read(texts[1], values)) return false;
        return formula_.Assign(values, range_.name, nullptr);
    }
    void Write(SweepReport& report) override {
        Write_PolarReport(
            report,
            PolarRun{formula_.line_array, &formula_.array, formula_.copy_label.get(),
                     formula_.count_current, range_.name, formula_.Has(range_.name) ? 1 : 0,
                     range_.step_number, range_.min_value, range_.max_value, formula_.the_root});
    }
    // The angle first: the report's columns are r, angle, x, y.
    const char* Csv_Header() override { return "theta,r,x,y"; }
    std::vector<int> Csv_Columns() override { return {1, 0, 2, 3}; }

private:
    FormulaArgument formula_;
    RangeText range_;
};

class ParamTable : public TableReport {
public:
    bool Prepare(const std::vector<std::string>& texts, const VariableValues& values) {
        if (!Analyse_Argument(x_, texts[0]) || !Analyse_Argument(y_, texts[1]) ||
            !range_.Read(texts[2], values))
            return false;
        // Formulas without variables: the dialogue asks no parameter.
        if (x_.count_current == 0 && y_.count_current == 0) range_.name[0] = '\0';
        return x_.Assign(values, range_.name, nullptr) && y_.Assign(values, range_.name, nullptr);
    }
    void Write(SweepReport& report) override { Write_ParamReport(report, Run()); }
    // Without the parameter in either formula the report has no table.
    const char* Csv_Header() override {
        ParamRun run = Run();
        bool table = Param_Occurs(run.x, run.operand_label) != 0 ||
                     Param_Occurs(run.y, run.operand_label) != 0;
        return table ? "t,x,y" : "";
    }
    std::vector<int> Csv_Columns() override { return {0, 1, 2}; }

private:
    ParamRun Run() {
        return ParamRun{Param_Formula(x_),  Param_Formula(y_), range_.name,
                        range_.step_number, range_.min_value,  range_.max_value};
    }

    FormulaArgument x_;
    FormulaArgument y_;
    RangeText range_;
};

class ImplicitTable : public TableReport {
public:
    bool Prepare(const std::vector<std::string>& texts, const VariableValues& values) {
        if (!Analyse_Argument(formula_, texts[0])) return false;
        if (formula_.count_current == 0) {
            std::cout << Msg().IMPLICIT_NO_VARIABLES;
            return false;
        }
        if (!Read_Named(texts[1], values, 0, &ranges_.min_value_x, &ranges_.max_value_x,
                        &ranges_.step_number_x, NAMED_INDEPENDENT) ||
            !Read_Named(texts[2], values, 1, &ranges_.min_value_y, &ranges_.max_value_y,
                        &ranges_.step_number_y, NAMED_DEPENDENT) ||
            Distinct_ImplicitNames(names_) == 0)
            return false;
        if (variab_kind_ == 0) {
            std::cout << Msg().IMPLICIT_NONE_CHOSEN;
            return false;
        }
        return formula_.Assign(values, names_[0], names_[1]);
    }
    void Write(SweepReport& report) override {
        Write_InplicitReport(report, InplicitRun{formula_.line_array, &formula_.array,
                                                 formula_.copy_label.get(), formula_.count_current,
                                                 names_, variab_kind_, ranges_, formula_.the_root});
    }
    // The grid point: the formula's value, the third column, is left out.
    const char* Csv_Header() override { return "x,y"; }
    std::vector<int> Csv_Columns() override { return {0, 1}; }

private:
    // One of the two range texts; an empty one leaves its variable unnamed.
    bool Read_Named(const std::string& text, const VariableValues& values, int entry,
                    double* min_value, double* max_value, int* step_number, int flag) {
        if (!Read_RangeText(text, values, names_[entry], min_value, max_value, step_number))
            return false;
        if (names_[entry][0] == '\0') return true;
        if (!formula_.Has(names_[entry])) {
            std::cout << Msg().IMPLICIT_NOT_IN_FORMULA << std::endl;
            return false;
        }
        variab_kind_ += flag;
        return true;
    }

    FormulaArgument formula_;
    NameBuffer names_[2] = {"", ""};
    InplicitRanges ranges_;
    int variab_kind_ = 0;
};

template <class Table>
std::unique_ptr<TableReport> Prepared(const std::vector<std::string>& texts,
                                      const VariableValues& values) {
    std::unique_ptr<Table> table(new Table());
    if (!table->Prepare(texts, values)) return nullptr;
    return table;
}
}  // namespace

std::unique_ptr<TableReport> Prepare_TableReport(TableMode mode,
                                                 const std::vector<std::string>& texts,
                                                 const VariableValues& values) {
    switch (mode) {
    case TableMode::POLAR: return Prepared<PolarTable>(texts, values);
    case TableMode::PARAM: return Prepared<ParamTable>(texts, values);
    case TableMode::IMPLICIT: return Prepared<ImplicitTable>(texts, values);
    case TableMode::EXPLICIT: break;
    }
    return Prepared<ExplicitTable>(texts, values);
}
