#include "formula/formulatext.h"

#include <cstring>
#include <iostream>

#include "formula/fmulaopfc.h"
#include "formula/symbol.h"
#include "text/fullwidth.h"
#include "text/messages.h"
#include "text/textchar.h"

namespace {
const int ERROR_LINE_SIZE = 256;
}  // namespace

int My_Strncpy(char* dest_array, const char* source_array, int copied_num, int dest_size) {
    if (copied_num < 1 || dest_size < 1) return 0;
    int count = copied_num >= dest_size ? dest_size - 1 : copied_num;
    // Nothing past the source's terminator is read: what follows it is not text.
    int copied = 0;
    while (copied < count && source_array[copied] != '\0') {
        dest_array[copied] = source_array[copied];
        ++copied;
    }
    dest_array[copied] = '\0';
    return 1;
}

CompForm* Create_TempCompForm(const char* line_array, int* array_length) {
    int capacity = static_cast<int>(std::strlen(line_array));
    if (line_array[0] == '-' || line_array[0] == '+') ++capacity;
    for (int i = 0; line_array[i] != '\0'; ++i) {
        if (line_array[i] == '(' && (line_array[i + 1] == '-' || line_array[i + 1] == '+'))
            ++capacity;
    }
    *array_length = capacity;
    return new CompForm[capacity];
}

int Copy_CompFormArray(CompForm* the_source, CompForm* the_copy, int array_num) {
    for (int i = 0; i < array_num; ++i) the_copy[i] = the_source[i];
    return 1;
}

void Write_ErrorMessage(const char* message) { std::cout << message << std::endl; }

namespace {
void Show_FormulaError(const ErrorInfo& the_error, const char* line_array,
                       FormulaErrorStyle style) {
    if (style == ERROR_SILENT) return;
    const char* message = Msg().FORMULA_EMPTY;
    if (the_error.error_kind == 1) message = Msg().FORMULA_MALFORMED;
    if (the_error.error_kind == 2) message = Msg().FORMULA_TOO_LONG;
    // A full-width character at the fault gets a hint line after the report.
    bool fullwidth_fault =
        the_error.error_kind == 1 && Is_FullWidthAt(line_array, the_error.formula_position);
    if (style == ERROR_MESSAGE_ONLY) {
        Write_ErrorMessage(message);
        if (fullwidth_fault) Write_ErrorMessage(Msg().FORMULA_FULLWIDTH_HINT);
        return;
    }
    std::cout << message;
    if (the_error.error_kind != 1) return;
    char error_line[ERROR_LINE_SIZE] = {};
    // A two-byte (or UTF-8 multi-byte) character at the fault is shown whole.
    int shown = the_error.formula_position +
                Character_Bytes(line_array, the_error.formula_position, Utf8_Active());
    My_Strncpy(error_line, line_array, shown, ERROR_LINE_SIZE);
    std::cout << Msg().FORMULA_FAULT_BEFORE << Visible_Controls(error_line)
              << Msg().FORMULA_FAULT_AFTER;
    if (fullwidth_fault) std::cout << "\n" << Msg().FORMULA_FULLWIDTH_HINT << std::endl;
}
}  // namespace

int Analyse_FormulaText(CompForm** the_formlist, const char* line_array, FormulaErrorStyle style,
                        int* fault_position) {
    int elem_number = 0;
    CompForm* tmp_formlist = Create_TempCompForm(line_array, &elem_number);
    ErrorInfo the_error = {-1, 0};
    if (Analysis_Formula(tmp_formlist, elem_number, line_array, &the_error, EmptyArray) == 0) {
        Show_FormulaError(the_error, line_array, style);
        if (fault_position != nullptr)
            *fault_position = the_error.error_kind == 1 ? the_error.formula_position : -1;
        delete[] tmp_formlist;
        return 0;
    }
    int item_count = current_number + 1;
    CompForm* result = new CompForm[item_count];
    Copy_CompFormArray(tmp_formlist, result, item_count);
    delete[] tmp_formlist;
    *the_formlist = result;
    return 1;
}
