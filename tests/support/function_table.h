// The scanner's question about user functions answered from a fixed table of
// names and argument counts, for tests of the language that need no registry.
#ifndef KANSU_TEST_FUNCTION_TABLE_H
#define KANSU_TEST_FUNCTION_TABLE_H

#include <initializer_list>
#include <map>
#include <string>
#include <utility>

#include "formula/functionnames.h"

class FunctionTable : public FunctionNames {
public:
    FunctionTable(std::initializer_list<std::pair<const std::string, int>> defined)
        : defined_(defined) {}
    int DefinedArgNum(const char* name) const override {
        auto found = defined_.find(name);
        return found == defined_.end() ? -1 : found->second;
    }

private:
    std::map<std::string, int> defined_;
};

#endif
