#include "usrdefopr.h"

#include <iostream>

namespace {
// Commands that are not built yet answer as an unknown command does.
int Not_Built() {
    std::cout << "該当コマンドなし" << std::endl;
    return 0;
}
}  // namespace

int EnRoll_UserDefFunc(UsrFuncArray&, char*) { return Not_Built(); }
int Show_EnrollError(int error_code) { return error_code; }
int Delete_UserFunc(UsrFuncArray&) { return Not_Built(); }
int SaveDate_ToFile(UsrFuncArray&) { return Not_Built() + 1; }
int Show_SvUsrfuncError(int) { return 1; }
int ReadUsrFunc_ToUfArray(UsrFuncArray&) { return Not_Built(); }
int SetUfDef_ToUfArray(UsrFuncArray&) { return Not_Built(); }
int Show_UserFuncList(UsrFuncArray&) { return Not_Built(); }
int Show_UserFuncList(const char*) { return Not_Built(); }
