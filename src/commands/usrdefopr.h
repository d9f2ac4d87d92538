// The user-function commands of the command prompt: enroll, delete, save,
// load, define and list.
#ifndef KANSU_USRDEFOPR_H
#define KANSU_USRDEFOPR_H

#include <fstream>
#include <ostream>

#include "formula/fmula.h"
#include "userfunc/savefile.h"
#include "userfunc/usrfunc.h"

// Results of the enrol dialogue (Show_EnrollError turns them into messages).
// They stay here: an enrolment touches no file, and each says a pair of texts.
enum EnrollStatus {
    ENROLLED = 1,
    ENROLL_NO_NAME = 0,         // cancelled, or no name could be read
    ENROLL_NO_DEFINITION = -1,  // end of input at the definition
    ENROLL_REFUSED = -2,        // the definition failed the checks
    ENROLL_BUILT_IN = -3,       // the name is a built-in function's
};

int EnRoll_UserDefFunc(UsrFuncArray& ufunc_list, char* func_name);
int Show_EnrollError(int error_code);
// Whether func_defstr is a definition over exactly a0 .. a(arg_Number-1) that
// calls only functions function_names knows: 1 yes; 0 bad kind; -2 not a
// formula; -1 other variables.
int CheckInpVal_UsrdefFunc(unsigned int arg_Number, unsigned short ret_kind,
                           const char* func_defstr, const FunctionNames& function_names);
int Check_ArgKind(CompForm* usrdef_func, int arg_Number, int elem_number);
int Delete_UserFunc(UsrFuncArray& ufunc_list);
// The save, load and definition commands return SaveOutcome values
// (userfunc/saveoutcome.h), as int where that is the type they always had.
int SaveDate_ToFile(UsrFuncArray& the_target);
// Saves to a new file whose path is asked, whatever file the registry came from.
SaveOutcome SaveDate_ToNewPath(UsrFuncArray& the_target);
// Says the outcome's message (nothing for SAVE_DONE); returns 1.
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
