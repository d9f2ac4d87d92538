#include "console/formulainput.h"

#include <iostream>

#include "console/consoleio.h"
#include "console/dialoguecancel.h"
#include "console/fullwidthhint.h"
#include "console/lineedit.h"
#include "console/inputkind.h"
#include "formula/formulatext.h"
#include "text/messages.h"

namespace {
const int FORMULA_LINE_SIZE = 256;
}  // namespace

int Read_And_Analyse(CompForm** the_formlist, char* line_array, bool eof_newline,
                     const FunctionNames& function_names) {
    InputKindScope kind(InputKind::Formula);
    if (Input_Formula(std::cin, line_array, FORMULA_LINE_SIZE) == nullptr) {
        line_array[0] = '\0';
        if (Dialogue_Cancelled()) return 0;
        if (eof_newline) std::cout << std::endl;
        std::cout << Msg().FORMULA_READ_FAILED;
        return 0;
    }
    int fault_position = -1;
    int item_count = Analyse_FormulaText(the_formlist, line_array, function_names,
                                         ERROR_WITH_POSITION, &fault_position);
    if (item_count > 0) return item_count;
    Hint_HalfWidth(line_array, false);
    // The next formula prompt offers the text again, to be mended where it failed.
    Offer_ForMending(InputKind::Formula, line_array, fault_position);
    return 0;
}

int Analysis_InputFormula(CompForm** the_formlist, char* line_array,
                          const FunctionNames& function_names) {
    std::cout << Msg().FORMULA_PROMPT;
    return Read_And_Analyse(the_formlist, line_array, false, function_names);
}
