#include "console/consoleterminal.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstring>
#include <string>
#endif

bool Output_IsTerminal() {
#ifdef _WIN32
    return _isatty(1) != 0;
#else
    return isatty(STDOUT_FILENO) != 0;
#endif
}

bool Output_TerminalIsUtf8() {
    if (!Output_IsTerminal()) return false;
#ifdef _WIN32
    return GetConsoleOutputCP() == CP_UTF8;
#else
    // The user's character set is looked at, then the classic locale restored:
    // numbers and streams keep it.
    const char* before = std::setlocale(LC_CTYPE, nullptr);
    std::string saved = before != nullptr ? before : "C";
    bool utf8 = false;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        const char* codeset = nl_langinfo(CODESET);
        utf8 = codeset != nullptr &&
               (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
    }
    std::setlocale(LC_CTYPE, saved.c_str());
    return utf8;
#endif
}
