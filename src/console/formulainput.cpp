#include "console/formulainput.h"

#include <iostream>

#include "console/consoleio.h"
#include "console/dialoguecancel.h"
#include "console/fullwidthhint.h"
#include "console/lineedit.h"
#include "console/inputkind.h"
#include "formula/formulatext.h"
#include "text/messages.h"

int Read_And_Analyse(FormulaArgument& formula, bool eof_newline,
                     const FunctionNames& function_names) {
    InputKindScope kind(InputKind::Formula);
    char* line_array = formula.line_array;
    if (Input_Formula(std::cin, line_array, sizeof formula.line_array) == nullptr) {
        line_array[0] = '\0';
        if (Dialogue_Cancelled()) return 0;
        if (eof_newline) std::cout << std::endl;
        std::cout << Msg().FORMULA_READ_FAILED;
        return 0;
    }
    int fault_position = -1;
    if (formula.Analyse_Line(function_names, ERROR_WITH_POSITION, &fault_position)) return 1;
    Hint_HalfWidth(line_array, false);
    // The next formula prompt offers the text again, to be mended where it failed.
    Offer_ForMending(InputKind::Formula, line_array, fault_position);
    return 0;
}

int Analysis_InputFormula(FormulaArgument& formula, const FunctionNames& function_names) {
    std::cout << Msg().FORMULA_PROMPT;
    return Read_And_Analyse(formula, false, function_names);
}
