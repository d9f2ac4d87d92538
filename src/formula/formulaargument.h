// A formula made ready to evaluate, as every mode and command takes one: its
// text without blanks, analysed into items, its variables entered in a table
// and listed in name order, its tree built. The object owns all of these.
#ifndef KANSU_FORMULAARGUMENT_H
#define KANSU_FORMULAARGUMENT_H

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "formula/ascarray.h"
#include "formula/fmula.h"
#include "formula/formulatext.h"
#include "formula/functionnames.h"

const int NAME_SIZE = 256;  // variable names, formulas, paths

typedef char NameBuffer[NAME_SIZE];

// Values by variable name, in the order given: a name takes the last value
// given for it.
typedef std::vector<std::pair<std::string, double>> VariableValues;

// Whether name is a built-in function's (sigma included).
bool Is_BuiltinFunction(const std::string& name);
// The name before the "(" at a refused formula's fault when it calls a
// function that is neither built in nor one function_names defines; empty
// otherwise.
std::string Unknown_FunctionAt(const char* line, int fault, const FunctionNames& function_names);

class FormulaArgument {
public:
    // Takes text as the console reader takes a typed line, blanks dropped; a
    // text that would not fit that line, or holds a line end or a NUL, is
    // refused (said on std::cout unless quiet), never cut.
    bool Take_Text(const std::string& text, bool quiet = false);
    // Analyses line_array, allowing the calls function_names knows, and makes
    // the table, the name list and the tree. false when refused, reported in
    // style, with the fault's byte position in *fault when given (-1: none).
    bool Analyse_Line(const FunctionNames& function_names, FormulaErrorStyle style,
                      int* fault = nullptr);
    // Analyse_Line as a command line reports a refusal: a call of a function
    // function_names does not know is named ("kansu: NAME..."), any other
    // fault reported with its place; nothing said when quiet.
    bool Analyse_Argument(const FunctionNames& function_names, bool quiet = false);
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
    std::unique_ptr<CompForm[]> the_formlist_;
};

#endif
