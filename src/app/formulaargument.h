// A formula given on the command line, made ready as the dialogue makes a
// typed one: read without blanks, analysed, its variables entered in a table
// and listed in order, their values taken from NAME=VALUE, its tree built.
// On the command line pi and e are known, and values and range bounds may be
// constant formulas (a=1/3, t(0,2*pi)[360]).
#ifndef KANSU_APP_FORMULAARGUMENT_H
#define KANSU_APP_FORMULAARGUMENT_H

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "formula/ascarray.h"
#include "formula/fmula.h"
#include "modes/modecommon.h"

// The values of a command line in order: pi and e first, then every
// NAME=VALUE, so that a variable takes the last value given for its name.
typedef std::vector<std::pair<std::string, double>> VariableValues;

// Reads every NAME=VALUE after pi and e; false (the first bad one named on
// std::cout) when a name is empty or a value is not a constant formula (one
// that may use pi and e) with a finite value.
bool Read_VariableValues(const std::vector<std::string>& assignments, VariableValues* values);

// The value of a constant formula whose variables all have values; false
// (nothing said) when it is refused, fails or is not finite.
bool Evaluate_Constant(const std::string& text, const VariableValues& values, double* value);

// A range text as the command line takes it: true with the name left empty
// for an empty text, true when parsed, false when refused (the dialogue's
// range message shown on std::cout). The bounds are constant formulas with
// finite values; the division count a number of at least 1; nothing follows.
bool Read_RangeText(const std::string& text, const VariableValues& values, char* var_name,
                    double* min_value, double* max_value, int* step_num);

// Whether name is a built-in function's (sigma included).
bool Is_BuiltinFunction(const std::string& name);
// The name before the "(" at a refused formula's fault when it calls a
// function that is neither built in nor a defined user function; empty
// otherwise.
std::string Unknown_FunctionAt(const char* line, int fault);

class FormulaArgument {
public:
    // Reads and analyses text. false when refused, with the dialogue's error
    // report on std::cout (or, for a call of an unknown function, its name),
    // nothing said when quiet.
    bool Analyse(const std::string& text, bool quiet = false);
    // Gives every variable but the varying ones (null or empty: none) its
    // value, the last given for its name. false when one has none: it is
    // named on std::cout.
    bool Assign(const VariableValues& values, const char* varying1, const char* varying2);
    // The first variable but the varying ones that values do not give; null
    // when there is none. The others get their values.
    const char* Unassigned(const VariableValues& values, const char* varying1,
                           const char* varying2);
    // Whether name is a variable of the formula.
    bool Has(const char* name) { return array(name) != 0; }

    char line_array[NAME_SIZE] = "";
    AscArray<double> array;
    std::unique_ptr<NameBuffer[]> copy_label;  // null when there is no variable
    int count_current = 0;
    CompForm* the_root = nullptr;

private:
    bool Analysed(bool quiet);

    std::unique_ptr<CompForm[]> the_formlist_;
};

#endif
