// The derivative of a formula by one of its variables, carried along with the
// value through every operation (forward mode) in long double. Where f is
// flat in doubles around a minimum or maximum, the sign of this f' still
// tells on which side of it a double lies: its rounding is some 2^-11 of a
// double's, where a difference quotient of f, even in long double, puts the
// zero of f' tens to thousands of doubles off (26 for x^3-3x, 1838 for x^x).
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
    enum Kind {
        NUMBER,
        CELL,
        VARYING,
        ARGUMENT,  // a copy of the value in slot: an argument or a sum's index
        RULE,
        RETURN,     // a call's value replaces it and its count arguments below
        SUM_BEGIN,  // a total of 0 and the index at number; no term: on to jump
        SUM_NEXT,   // the term into the total, the index on; back to jump while terms remain
        SUM_END     // the index dropped, the total left
    } kind;
    long double number;  // NUMBER; SUM_BEGIN: the first index
    const double* cell;  // CELL, VARYING
    SlopeRule rule;      // RULE: of the operand below the top (u) and the top (v)
    int count;           // RULE: 1 or 2 operands; ARGUMENT: the slot; RETURN: the arguments
    int jump;            // SUM_BEGIN, SUM_NEXT: the step control continues at
    long double last;    // SUM_BEGIN, SUM_NEXT: the last index
};

class UsrFuncArray;

class SlopeProgram {
public:
    // The tree at root (as the evaluator's program starts from it) by the
    // variable whose cell is varying. Numbers, variables, + - * / ^, the
    // built-in functions, sums and calls of user functions (their
    // definitions taken in) have rules. A tree has no program (Known() is
    // false) where it reads an argument cell a0, a1, ... outside a
    // definition that binds it, or its sums run more than 65536 terms (f
    // alone narrows such an extremum at less cost).
    SlopeProgram(CompForm* root, const double* varying, UsrFuncArray& ufunc_list);
    bool Known() const { return known_; }
    // f' at the values the cells hold now; false when unknown or not a number.
    bool Slope(long double* slope);

private:
    bool Add_Operator(CompForm* node, int depth);
    bool Add_Operand(CompForm* node, int depth);
    bool Add_Call(CompForm* node, int depth);
    bool Add_Sum(CompForm* node, int depth);
    bool Add_Rule(int code, int arity);
    void Add_Step(const SlopeStep& step, int pushed);

    // An argument cell, or a sum's index by name, and its slot.
    struct Binding {
        const double* cell;
        const char* name;
        int slot;
    };

    const double* varying_;
    UsrFuncArray& ufunc_list_;
    // While compiling: the arguments of the definition being taken in, and
    // the indices of the sums around, the innermost last; the terms that the
    // sums around run for each one of their summand.
    std::vector<Binding> arguments_;
    std::vector<Binding> indices_;
    long double terms_ = 1;
    std::vector<SlopeStep> steps_;
    std::vector<SlopeValue> stack_;
    int depth_ = 0;  // of the stack while compiling
    int max_depth_ = 0;
    bool known_ = false;
};

#endif
