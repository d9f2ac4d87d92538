// Parametric curves x=f(t), y=g(t) (menu 4).
#ifndef KANSU_PARAMEXP_H
#define KANSU_PARAMEXP_H

class UsrFuncArray;

int FnCalc_Param(UsrFuncArray& ufunc_list);

#endif
