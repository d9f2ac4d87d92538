#include "inplexp.h"

// Not built yet: the mode runs nothing.
int FnCalc_Inplicit(UsrFuncArray&) { return 0; }
