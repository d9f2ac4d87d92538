// Polar curves r=f(theta) (menu 3).
#ifndef KANSU_POLARCORD_H
#define KANSU_POLARCORD_H

class UsrFuncArray;

int FnCalc_PolarCord(UsrFuncArray& ufunc_list);

#endif
