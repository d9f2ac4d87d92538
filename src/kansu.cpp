#include <iostream>

#include "interrupt.h"
#include "lineedit.h"
#include "main.h"
#include "messages.h"
#include "options.h"

int main(int argc, char** argv) {
    CommandOptions options = Parse_Options(argc, argv);
    int status = Apply_Options(options, std::cout, std::cerr);
    if (status >= 0) return status;
    Install_InterruptHandler();
    Start_LineEditing(!options.no_edit, Utf8_Active());
    return Kansu_Main();
}
