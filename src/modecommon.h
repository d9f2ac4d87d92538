// Steps shared by the four calculation modes: console lines, the range line,
// the value dialogue, the report file, the sweep and the number format.
#ifndef KANSU_MODECOMMON_H
#define KANSU_MODECOMMON_H

#include <fstream>

#include "ascarray.h"
#include "evalprog.h"
#include "fmula.h"
#include "interrupt.h"
#include "progress.h"
#include "reportwriter.h"

class UsrFuncArray;

const int NAME_SIZE = 256;         // variable names, formulas, paths
const int RANGE_LINE_SIZE = 419;   // a typed range line: at most 418 characters
const int VALUE_LINE_SIZE = 256;   // a typed value: at most 255 characters
const int FILE_NAME_SIZE = 80;     // a report file name: at most 79 characters

typedef char NameBuffer[NAME_SIZE];

// Parses a typed range line. Prints the refusal message and returns 0 for a
// malformed line or a division count of 0; 1 when accepted. An empty line is
// not handled here: callers test it first.
int Parse_RangeLine(const char* line, char* var_name, double* min_value, double* max_value,
                    int* step_num);
void Show_RangeError();

// Asks the value of every listed name except the excluded ones (an empty or null
// excluded name excludes nothing): the header, then name "=" and one line each.
void Ask_FixedValues(AscArray<double>& array, NameBuffer* copy_label, int count,
                     const char* excluded1, const char* excluded2);

// Writes "name\tvalue\n" for every listed name except the excluded ones.
void Write_FixedValues(ReportWriter& out, AscArray<double>& array, NameBuffer* copy_label,
                       int count, const char* excluded1, const char* excluded2);

// The file-name dialogue, opening for appending and the report header.
// On failure prints the failure message and returns 0.
int Open_ReportFile(std::ofstream& output_stream);
void Write_ResultRule(ReportWriter& out);
// Closes the report. When any write failed (a full disk) the user is told with
// the failure message rather than left believing the report is there; 0 then.
// After Ctrl-C the user is told the calculation was interrupted.
int Close_ReportFile(std::ofstream& output_stream);

// Point i of a sweep: i * step + min, computed from i every time.
double Step_Width(double min_value, double max_value, int step_number);
double Sweep_Point(int index, double step_value, double min_value);

// Calls visit(point) for the step_number + 1 points of [min, max] in order; a
// negative count visits nothing. The index is wide so that a count of INT_MAX ends.
// Ctrl-C stops the sweep between points; long sweeps show a progress line.
template <class Visit>
void For_EachPoint(double min_value, double max_value, int step_number, Visit visit) {
    double step_value = Step_Width(min_value, max_value, step_number);
    CalculationScope calculation;
    ProgressReporter progress(step_number + 1LL);
    for (long long index = 0; index <= step_number; ++index) {
        if ((index & INTERRUPT_POLL_MASK) == 0 && Calculation_Interrupted()) break;
        visit(Sweep_Point(static_cast<int>(index), step_value, min_value));
        progress.Tick();
    }
}

// Number of listed names other than the excluded ones.
int Count_OtherNames(NameBuffer* copy_label, int count, const char* excluded1,
                     const char* excluded2);

// Runs a compiled formula. When the evaluation fails the report written so far
// is flushed, the message is printed, unsaved functions may be saved
// (Ask_SaveChanges) and the program ends with status 1. An evaluation cut short
// by Ctrl-C instead flushes the report and stops all further writes to it, so no
// cut-short value is ever written.
double Evaluate_Or_Exit(EvalMachine& machine, int* error_code, UsrFuncArray& ufunc_list,
                        ReportWriter& report, const char* message);

#endif
