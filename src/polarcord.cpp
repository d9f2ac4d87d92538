#include "polarcord.h"

// Not built yet: the mode runs nothing.
int FnCalc_PolarCord(UsrFuncArray&) { return 0; }
