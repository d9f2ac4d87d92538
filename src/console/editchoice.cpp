#include <cstring>

#include "console/lineedit.h"

bool Terminal_CanEdit(bool wanted, bool input_terminal, bool output_terminal, const char* term) {
    if (!wanted || !input_terminal || !output_terminal) return false;
    return term != nullptr && *term != '\0' && std::strcmp(term, "dumb") != 0;
}
