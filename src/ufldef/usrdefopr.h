// The user-function commands of the command prompt: enroll, delete, save,
// load, define and list.
#ifndef KANSU_USRDEFOPR_H
#define KANSU_USRDEFOPR_H

#include <fstream>
#include <ostream>

#include "fmula.h"
#include "usrfunc.h"

int EnRoll_UserDefFunc(UsrFuncArray& ufunc_list, char* func_name);
int Show_EnrollError(int error_code);
int CheckInpVal_UsrdefFunc(unsigned int arg_Number, unsigned short ret_kind,
                           const char* func_defstr);
int Check_ArgKind(CompForm* usrdef_func, int arg_Number, int elem_number);
int Delete_UserFunc(UsrFuncArray& ufunc_list);
int SaveDate_ToFile(UsrFuncArray& the_target);
int Show_SvUsrfuncError(int error_code);

int ReadUsrFunc_ToUfArray(UsrFuncArray& ufunc_list);
int SetUfDef_ToUfArray(UsrFuncArray& ufunc_list);
int Show_UserFuncList(UsrFuncArray& ufunc_list);
int OutPut_UfArrayCont(UsrFuncArray& ufunc_list, std::ostream& optstrm);
int OutPut_UfFuncName(UsrFuncArray& ufunc_list, std::ostream& optstrm);
int Show_UserFuncList(const char* save_file);
int Create_UserFuncList(const char* save_file, std::ostream& opt_strm, int cont_select);
int OutPut_Record(std::ifstream& red_strm, std::ostream& opt_strm);
int OutPut_FuncName(std::ifstream& red_strm, std::ostream& opt_strm);
int OutPut_FileDef(std::ifstream& red_strm, std::ostream& opt_strm);
int OutPut_RetValKind(unsigned short ret_kind, std::ostream& opt_strm);

#endif
