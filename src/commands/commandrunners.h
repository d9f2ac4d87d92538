// The eight commands of the command prompt, each as the prompt runs it: its
// dialogue and what it says afterwards. console/commands.def names them.
#ifndef KANSU_COMMANDRUNNERS_H
#define KANSU_COMMANDRUNNERS_H

class UsrFuncArray;

void Run_EnrUsrfunc(UsrFuncArray& ufunc_list);
void Run_DelUsrfunc(UsrFuncArray& ufunc_list);
void Run_SaveUsrfunc(UsrFuncArray& ufunc_list);
void Run_SetUfList(UsrFuncArray& ufunc_list);
void Run_SetUfdef(UsrFuncArray& ufunc_list);
void Run_ShowUfList(UsrFuncArray& ufunc_list);
void Run_ShowUfList2(UsrFuncArray& ufunc_list);
void Run_CheckUfList(UsrFuncArray& ufunc_list);

#endif
