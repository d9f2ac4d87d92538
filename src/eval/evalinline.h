// Which user functions a compiled program takes into itself instead of
// calling them: a function whose calls, followed through the registry, all
// reach definitions and never come back to a function on the way (no
// recursion), and whose expansion stays small.
#ifndef KANSU_EVALINLINE_H
#define KANSU_EVALINLINE_H

#include <map>

#include "formula/fmula.h"

class UsrFuncArray;

// Tree nodes of a definition with everything it calls expanded, at most.
const int INLINE_SIZE_LIMIT = 2000;

struct InlineInfo {
    bool inlinable = false;
    int height = 0;  // calls nested inside one call of it, itself included
};

class InlinePlanner {
public:
    explicit InlinePlanner(UsrFuncArray& ufunc_list) : ufunc_list_(ufunc_list) {}
    // The function defined at definition (its tree root), as the registry
    // defines its callees now.
    InlineInfo Of(CompForm* definition);

private:
    struct Entry {
        InlineInfo info;
        int size = 0;
        bool visiting = true;
    };
    const Entry& Study(CompForm* definition, int depth);

    UsrFuncArray& ufunc_list_;
    std::map<CompForm*, Entry> entries_;
};

#endif
