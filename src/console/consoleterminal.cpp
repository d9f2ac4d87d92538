#include "console/consoleterminal.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <langinfo.h>
#include <unistd.h>

#include <strings.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>
#endif

#ifndef _WIN32
namespace {
bool Is_Utf8Name(const char* codeset, size_t length) {
    return (length == 5 && strncasecmp(codeset, "UTF-8", 5) == 0) ||
           (length == 4 && strncasecmp(codeset, "utf8", 4) == 0);
}

// The locale named by the variables, in POSIX's order, and whether its name
// says UTF-8 ("ja_JP.UTF-8", "C.utf8", "UTF-8", "en_US.UTF-8@euro").
bool Locale_NameIsUtf8() {
    const char* name = "";
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            name = value;
            break;
        }
    }
    const char* dot = std::strchr(name, '.');
    const char* codeset = dot != nullptr ? dot + 1 : name;
    return Is_Utf8Name(codeset, std::strcspn(codeset, "@"));
}
}  // namespace
#endif

bool Output_IsTerminal() {
#ifdef _WIN32
    return _isatty(1) != 0;
#else
    return isatty(STDOUT_FILENO) != 0;
#endif
}

#ifndef _WIN32
namespace {
enum class LocaleCharset { UTF8, OTHER, NOT_INSTALLED };

// The character set of the user's locale as the C library knows it; then
// the classic locale is restored: numbers and streams keep it.
LocaleCharset Installed_LocaleCharset() {
    const char* before = std::setlocale(LC_CTYPE, nullptr);
    std::string saved = before != nullptr ? before : "C";
    LocaleCharset charset = LocaleCharset::NOT_INSTALLED;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        const char* codeset = nl_langinfo(CODESET);
        charset = codeset != nullptr && Is_Utf8Name(codeset, std::strlen(codeset))
                      ? LocaleCharset::UTF8
                      : LocaleCharset::OTHER;
    }
    std::setlocale(LC_CTYPE, saved.c_str());
    return charset;
}
}  // namespace
#endif

bool Output_TerminalIsUtf8() {
    if (!Output_IsTerminal()) return false;
#ifdef _WIN32
    return GetConsoleOutputCP() == CP_UTF8;
#else
    return Installed_LocaleCharset() == LocaleCharset::UTF8;
#endif
}

bool Locale_IsUtf8() {
#ifdef _WIN32
    return GetConsoleOutputCP() == CP_UTF8 || GetACP() == CP_UTF8;
#else
    LocaleCharset charset = Installed_LocaleCharset();
    return charset == LocaleCharset::NOT_INSTALLED ? Locale_NameIsUtf8()
                                                   : charset == LocaleCharset::UTF8;
#endif
}
