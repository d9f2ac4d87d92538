// The values and ranges of a command line, and its formulas analysed with
// the registry. On the command line pi and e are known, and values and range
// bounds may be constant formulas (a=1/3, t(0,2*pi)[360]).
#ifndef KANSU_APP_ARGUMENTVALUES_H
#define KANSU_APP_ARGUMENTVALUES_H

#include <string>
#include <vector>

#include "formula/formulaargument.h"
#include "modes/modecommon.h"

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

// Takes and analyses a command line's formula with the registry, whose
// --functions save file first defines the functions the formula calls; a
// refusal reported as FormulaArgument::Analyse_Argument reports it.
bool Analyse_Argument(FormulaArgument& formula, const std::string& text, bool quiet = false);

#endif
