// Steps shared by the four calculation modes: the range line, the value
// dialogue and the report file. The modes use these and never each other.
#ifndef KANSU_MODECOMMON_H
#define KANSU_MODECOMMON_H

#include <fstream>

#include "formula/ascarray.h"
#include "formula/fmula.h"
#include "formula/formulaargument.h"
#include "report/reportfile.h"
#include "report/reportwriter.h"
#include "report/sweeppoint.h"

const int RANGE_LINE_SIZE = 419;  // a typed range line: at most 418 characters
const int VALUE_LINE_SIZE = 256;  // a typed value: at most 255 characters
const int FILE_NAME_SIZE = 80;    // a report file name: at most 79 characters

// Parses a typed range line. Prints the refusal message and returns 0 for a
// malformed line, a bound that is not finite or a division count of 0; 1
// when accepted. An empty line is
// not handled here: callers test it first.
int Parse_RangeLine(const char* line, char* var_name, double* min_value, double* max_value,
                    int* step_num);
void Show_RangeError();
// Reads a range line of RANGE_LINE_SIZE bytes (kept in the ranges' history);
// true when it names no variable.
bool Read_RangeLine(char* varia_info);

// Asks the value of every listed name except the excluded ones (an empty or null
// excluded name excludes nothing): the header, then name "=" and one line each.
void Ask_FixedValues(AscArray<double>& array, NameBuffer* copy_label, int count,
                     const char* excluded1, const char* excluded2);

// 0 for a formula without variables (nothing asked); else asks the value of
// every variable except operand_label (empty: none excepted) and returns 1.
int Input_Operand(FormulaArgument& formula, const char* operand_label);

// Writes "name\tvalue\n" for every listed name except the excluded ones.
void Write_FixedValues(ReportWriter& out, AscArray<double>& array, NameBuffer* copy_label,
                       int count, const char* excluded1, const char* excluded2);

// The file-name dialogue, opening for appending and the report header.
// On failure prints the failure message and returns 0.
int Open_ReportFile(ReportFile& output_stream);
// The header every report begins with: an empty line and the asterisk line.
void Write_ReportHead(std::ostream& out);
void Write_ResultRule(ReportWriter& out);
// Number of listed names other than the excluded ones.
int Count_OtherNames(NameBuffer* copy_label, int count, const char* excluded1,
                     const char* excluded2);

#endif
