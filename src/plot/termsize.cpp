#include "plot/termsize.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <cstring>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {
const int DEFAULT_COLUMNS = 80;
const int MAX_COLUMNS = 400;

int Sensible(int columns) {
    return columns > 0 && columns <= MAX_COLUMNS ? columns : DEFAULT_COLUMNS;
}
}  // namespace

int Terminal_Columns() {
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) return DEFAULT_COLUMNS;
    return Sensible(info.srWindow.Right - info.srWindow.Left + 1);
#else
    struct winsize size;
    if (!isatty(STDOUT_FILENO) || ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0)
        return DEFAULT_COLUMNS;
    return Sensible(size.ws_col);
#endif
}

bool Terminal_HasColour() {
#ifdef _WIN32
    return false;
#else
    const char* term = std::getenv("TERM");
    const char* no_colour = std::getenv("NO_COLOR");
    return isatty(STDOUT_FILENO) && term != nullptr && *term != '\0' &&
           std::strcmp(term, "dumb") != 0 && (no_colour == nullptr || *no_colour == '\0');
#endif
}
