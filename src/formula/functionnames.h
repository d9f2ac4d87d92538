// The one question the scanner asks about a name followed by "(" that is not
// built in: is it a defined user function, and with how many arguments. The
// registry of user functions answers it; the scanner knows nothing else of it.
#ifndef KANSU_FUNCTIONNAMES_H
#define KANSU_FUNCTIONNAMES_H

class FunctionNames {
public:
    // The number of arguments of the defined function name; -1 when no function
    // of that name has a definition (unknown, or registered without one).
    virtual int DefinedArgNum(const char* name) const = 0;

protected:
    FunctionNames() = default;
    FunctionNames(const FunctionNames&) = default;
    FunctionNames& operator=(const FunctionNames&) = default;
    ~FunctionNames() = default;
};

// Knows no function: for an analysis of built-in functions only.
const FunctionNames& No_FunctionNames();

#endif
