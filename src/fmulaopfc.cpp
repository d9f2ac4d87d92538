#include "fmulaopfc.h"

int current_number = 0;
int opn_count = 0;

// Not built yet: every text is refused as no formula.
int Analysis_Formula(CompForm*, int, const char*, ErrorInfo* the_error, AscArray<double>) {
    Set_Operator_Function();
    Set_ErrorInfo(the_error, -1, 0);
    current_number = 0;
    return 0;
}
