// A formula given on the command line, made ready as the dialogue makes a
// typed one: read without blanks, analysed, its variables entered in a table
// and listed in order, their values taken from NAME=VALUE, its tree built.
#ifndef KANSU_APP_FORMULAARGUMENT_H
#define KANSU_APP_FORMULAARGUMENT_H

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "formula/ascarray.h"
#include "formula/fmula.h"
#include "formula/functionnames.h"
#include "modes/modecommon.h"

// The NAME=VALUE values of a command line, in order.
typedef std::vector<std::pair<std::string, double>> VariableValues;

// Reads every NAME=VALUE; false (the first bad one named on std::cout) when
// a value is not a whole number text or a name is empty.
bool Read_VariableValues(const std::vector<std::string>& assignments, VariableValues* values);

// A range text as the dialogue takes a typed range line: true with the name
// left empty for an empty text, true when parsed, false when refused (the
// dialogue's message shown on std::cout).
bool Read_RangeText(const std::string& text, char* var_name, double* min_value, double* max_value,
                    int* step_num);

class FormulaArgument {
public:
    // Reads and analyses text, allowing the calls function_names knows (the
    // registry). false when refused, with the dialogue's error report on std::cout.
    bool Analyse(const std::string& text, const FunctionNames& function_names);
    // Gives every variable but the varying ones (null or empty: none) its
    // value, the last given for its name. false when one has none: it is
    // named on std::cout.
    bool Assign(const VariableValues& values, const char* varying1, const char* varying2);
    // Whether name is a variable of the formula.
    bool Has(const char* name) { return array(name) != 0; }

    char line_array[NAME_SIZE] = "";
    AscArray<double> array;
    std::unique_ptr<NameBuffer[]> copy_label;  // null when there is no variable
    int count_current = 0;
    CompForm* the_root = nullptr;

private:
    std::unique_ptr<CompForm[]> the_formlist_;
};

#endif
