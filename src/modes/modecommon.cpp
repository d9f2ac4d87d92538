#include "modes/modecommon.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iostream>
#include <string>

#include "console/consoleio.h"
#include "console/dialoguecancel.h"
#include "console/fullwidthhint.h"
#include "text/fullwidth.h"
#include "console/inputkind.h"
#include "text/messages.h"
#include "files/safefile.h"
#include "formula/varinput.h"
#include "modes/valuenote.h"

void Show_RangeError() { std::cout << Msg().RANGE_ERROR << std::endl; }

int Parse_RangeLine(const char* line, char* var_name, double* min_value, double* max_value,
                    int* step_num) {
    int given_steps = *step_num;
    std::string range_text = Fold_RangeText(line);
    int result = Analysis_Variable(range_text.c_str(), var_name, NAME_SIZE, min_value, max_value,
                                   &given_steps);
    // A count of 0 would make every point of the sweep a division by zero; a
    // bound beyond the doubles (1e309) a table of nan.
    bool finite = result < 1 || (std::isfinite(*min_value) && std::isfinite(*max_value));
    if (result < 1 || given_steps == 0 || !finite) {
        Show_RangeError();
        Hint_HalfWidth(line, true);
        return 0;
    }
    *step_num = given_steps;
    return 1;
}

bool Read_RangeLine(char* varia_info) {
    InputKindScope kind(InputKind::Range);
    Input_Line(std::cin, varia_info, RANGE_LINE_SIZE);
    return varia_info[0] == '\0';
}

namespace {
bool Is_Excluded(const char* name, const char* excluded1, const char* excluded2) {
    return (excluded1 != nullptr && std::strcmp(name, excluded1) == 0) ||
           (excluded2 != nullptr && std::strcmp(name, excluded2) == 0);
}
}  // namespace

void Ask_FixedValues(AscArray<double>& array, NameBuffer* copy_label, int count,
                     const char* excluded1, const char* excluded2) {
    bool any_asked = false;
    for (int i = 0; i < count; ++i) {
        if (Is_Excluded(copy_label[i], excluded1, excluded2)) continue;
        if (!any_asked) std::cout << Msg().VALUE_HEADING;
        any_asked = true;
        std::cout << copy_label[i] << "=";
        char value_line[VALUE_LINE_SIZE];
        InputKindScope kind(InputKind::Value);
        Input_Line(std::cin, value_line, VALUE_LINE_SIZE);
        if (Dialogue_Cancelled()) return;
        double value = 0.0;
        std::string folded = Fold_FullWidth(value_line, NUMBER_FORMS);
        C_To_Double(folded.c_str(), &value);
        Note_ValueTaken(value_line, folded.c_str(), value);
        array[copy_label[i]] = value;
    }
}

int Input_Operand(FormulaArgument& formula, const char* operand_label) {
    if (formula.count_current == 0) return 0;
    Ask_FixedValues(formula.array, formula.copy_label.get(), formula.count_current, operand_label,
                    nullptr);
    return 1;
}

int Count_OtherNames(NameBuffer* copy_label, int count, const char* excluded1,
                     const char* excluded2) {
    int others = 0;
    for (int i = 0; i < count; ++i)
        if (!Is_Excluded(copy_label[i], excluded1, excluded2)) ++others;
    return others;
}

void Write_FixedValues(ReportWriter& out, AscArray<double>& array, NameBuffer* copy_label,
                       int count, const char* excluded1, const char* excluded2) {
    for (int i = 0; i < count; ++i) {
        if (Is_Excluded(copy_label[i], excluded1, excluded2)) continue;
        out << copy_label[i] << "\t" << NumText(array[copy_label[i]]) << "\n";
    }
}

int Open_ReportFile(ReportFile& output_stream) {
    if (Dialogue_Cancelled()) return 0;
    std::cout << "---------------------------------\n";
    std::cout << Msg().REPORT_FILE_PROMPT;
    std::string optfile_name;
    // The name as typed; a longer one is refused (and said), never cut.
    if (Read_PathLine(std::cin, &optfile_name, FILE_NAME_SIZE - 1, false) == PATH_TOO_LONG ||
        Dialogue_Cancelled())
        return 0;
    // A folder, FIFO or device is never opened: a FIFO would block. The
    // report's lock keeps other runs' rows out of this one's.
    if (Check_OutputPath(optfile_name) == FILE_NOT_REGULAR ||
        output_stream.Open_Locked(optfile_name) != FILE_DONE) {
        std::cout << Msg().REPORT_WRITE_FAILURE;
        return 0;
    }
    Write_ReportHead(output_stream);
    const char* head = Msg().REPORT_HEAD;
    output_stream.head_lines = std::count(head, head + std::strlen(head), '\n');
    return 1;
}

void Write_ReportHead(std::ostream& out) { out << Msg().REPORT_HEAD; }

void Write_ResultRule(ReportWriter& out) { out << Msg().REPORT_RESULT_RULE; }
