// The reference evaluator: the language's rules of evaluation written as a
// plain recursive walk of the expression tree, with nothing compiled, folded
// or cached. Operators and built-in functions through the operator table
// (a power whose exponent is the number 2 is the correctly rounded square
// v*v, as the language defines it); sums binding their index for the summand,
// a summand without the index evaluated once and multiplied by the count;
// user functions called with their arguments all evaluated first, then
// written to the argument cells a0, a1, ... (which other definitions may
// read), each definition reading its own call's values for its arguments;
// the level and call-depth limits of
// evallimits.h. The compiled evaluator is checked against it bit for bit
// (tests/eval/unit_evalprog.cpp, fuzz/fuzz_compiled.cpp), and both against the
// same hand-computed table (tests/eval/unit_evaluator.cpp).
#ifndef KANSU_TREE_WALKER_H
#define KANSU_TREE_WALKER_H

#include "formula/fmula.h"

class UsrFuncArray;

// The value of the tree at root; *error_num is set to 0 when something has no
// value, never to 1.
double Reference_Value(CompForm* root, int* error_num, UsrFuncArray& ufunc_list);
// The value of one item taken as an operand (the evaluation of EVAL_ITEM).
double Reference_ItemValue(CompForm* item, int* error_num, UsrFuncArray& ufunc_list);

#endif
