#include "console/freshread.h"

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "console/lineedit.h"

namespace {
bool Input_IsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(STDIN_FILENO) != 0;
#endif
}
}  // namespace

void Prepare_FreshRead() {
    if (!std::cin.eof() || !Input_IsTerminal()) return;
    Resume_EditedInput();
    std::clearerr(stdin);
    std::cin.clear();
}
