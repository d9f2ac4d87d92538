// Implicit functions F(x,y)=0 by a grid scan for sign changes (menu 2).
#ifndef KANSU_INPLEXP_H
#define KANSU_INPLEXP_H

class UsrFuncArray;

int FnCalc_Inplicit(UsrFuncArray& ufunc_list);

#endif
