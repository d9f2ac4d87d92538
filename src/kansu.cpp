#include <iostream>

#include "interrupt.h"
#include "main.h"
#include "options.h"

int main(int argc, char** argv) {
    int status = Apply_Options(Parse_Options(argc, argv), std::cout, std::cerr);
    if (status >= 0) return status;
    Install_InterruptHandler();
    return Kansu_Main();
}
