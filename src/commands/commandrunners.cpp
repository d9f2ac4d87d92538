#include "commands/commandrunners.h"

#include <iostream>
#include <string>

#include "commands/usrdefopr.h"
#include "console/consoleio.h"
#include "text/messages.h"
#include "userfunc/usrfunc.h"

namespace {
const int COMMAND_SIZE = 80;  // a function name: at most 79 characters
const int PATH_SIZE = 256;    // a save-file path: at most 255 characters
}  // namespace

void Run_EnrUsrfunc(UsrFuncArray& ufunc_list) {
    char func_name[COMMAND_SIZE] = {};
    int status = EnRoll_UserDefFunc(ufunc_list, func_name);
    Show_EnrollError(status);
    if (status >= ENROLLED) {
        std::cout << Msg().COMMAND_ENROLLED;
        ufunc_list.PrintContent(func_name, std::cout);
    }
}

void Run_DelUsrfunc(UsrFuncArray& ufunc_list) { Delete_UserFunc(ufunc_list); }

void Run_SaveUsrfunc(UsrFuncArray& ufunc_list) {
    int status = SaveDate_ToFile(ufunc_list);
    if (status < SAVE_DONE) Show_SvUsrfuncError(status);
}

void Run_SetUfList(UsrFuncArray& ufunc_list) { ReadUsrFunc_ToUfArray(ufunc_list); }

void Run_SetUfdef(UsrFuncArray& ufunc_list) { SetUfDef_ToUfArray(ufunc_list); }

void Run_ShowUfList(UsrFuncArray& ufunc_list) { Show_UserFuncList(ufunc_list); }

void Run_ShowUfList2(UsrFuncArray&) {
    std::string sv_filepath;
    std::cout << Msg().COMMAND_SAVE_FILE_PROMPT;
    if (Read_PathLine(std::cin, &sv_filepath, PATH_SIZE - 1, true) != PATH_TOO_LONG)
        Show_UserFuncList(sv_filepath.c_str());
}

void Run_CheckUfList(UsrFuncArray& ufunc_list) {
    char func_name[COMMAND_SIZE] = {};
    std::cout << Msg().COMMAND_CHECK_PROMPT;
    Read_Word(std::cin, func_name, COMMAND_SIZE);
    std::cout << Msg().COMMAND_CHECK_FUNCTION << func_name;
    switch (ufunc_list(func_name)) {
    case 1: std::cout << Msg().COMMAND_CHECK_UNDEFINED << std::endl; break;
    case 2: std::cout << Msg().COMMAND_CHECK_DEFINED << std::endl; break;
    default: std::cout << Msg().COMMAND_CHECK_ABSENT << std::endl; break;
    }
}
