#include "formula/symbol.h"

AscArray<double> EmptyArray;
AscArray<double> ufunc_argArray;
