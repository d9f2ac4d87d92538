#include "paramexp.h"

// Not built yet: the mode runs nothing.
int FnCalc_Param(UsrFuncArray&) { return 0; }
