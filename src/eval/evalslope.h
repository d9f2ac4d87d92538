// The derivative of a formula by one of its variables, carried along with the
// value through every operation (forward mode) in long double. Where f is
// flat in doubles around a minimum or maximum, the sign of this f' still
// tells on which side of it a double lies: its rounding is some 2^-11 of a
// double's, where a difference quotient of f loses half the digits or more.
// Compiled once from the tree into a flat list of steps; running allocates
// nothing, looks up nothing and does not recurse.
#ifndef KANSU_EVALSLOPE_H
#define KANSU_EVALSLOPE_H

#include <vector>

#include "formula/fmula.h"

struct SlopeValue {
    long double value;
    long double slope;  // by the varying variable
};

typedef SlopeValue (*SlopeRule)(SlopeValue u, SlopeValue v);

struct SlopeStep {
    enum Kind { NUMBER, CELL, VARYING, RULE } kind;
    long double number;  // NUMBER
    const double* cell;  // CELL, VARYING
    SlopeRule rule;      // RULE: of the operand below the top (u) and the top (v)
    int arity;           // RULE: 1 or 2
};

class SlopeProgram {
public:
    // The tree at root (as the evaluator's program starts from it) by the
    // variable whose cell is varying. Numbers, variables, + - * / ^ and the
    // built-in functions have rules; a tree calling a user function or
    // holding a sum has no program (Known() is false).
    SlopeProgram(CompForm* root, const double* varying);
    bool Known() const { return known_; }
    // f' at the values the cells hold now; false when unknown or not finite.
    bool Slope(long double* slope);

private:
    bool Add_Operator(CompForm* node, int depth);
    bool Add_Operand(CompForm* node, int depth);
    bool Add_Rule(int code, int arity);

    const double* varying_;
    std::vector<SlopeStep> steps_;
    std::vector<SlopeValue> stack_;
    int depth_ = 0;  // of the stack while compiling
    int max_depth_ = 0;
    bool known_ = false;
};

#endif
