#include "calcbintree.h"

// Not built yet.
double BinTreeFunc(CompForm*, int* error_num, AscArray<double>&, UsrFuncArray&,
                   AscArray<double>) {
    *error_num = 0;
    return 0.0;
}
