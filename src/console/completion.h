// Tab completion of the word before the cursor: command names at the command
// prompt; built-in functions, sigma[ and then the registered user functions
// in formulas and definitions; paths at file prompts.
#ifndef KANSU_COMPLETION_H
#define KANSU_COMPLETION_H

#include <string>
#include <vector>

#include "console/inputkind.h"

class UsrFuncArray;

struct Completion {
    std::string insert;                // what to type after the word; empty when nothing
    std::vector<std::string> choices;  // the candidates to show when several match
};

// Completes the word that ends the text before the cursor.
Completion Complete_Word(InputKind kind, const std::string& before_cursor,
                         const UsrFuncArray& registry);

#endif
