// The compiled evaluator, as machine code where it has some and by its run
// loop, against the reference evaluator, bit for bit (any
// two NaNs count as equal: which operand's payload a NaN result carries
// depends on the operand order the C++ compiler picks for a commutative
// operation, and reports write every NaN as "nan"): the value, the error flag
// and the shared argument cells afterwards, for a
// formula (the input up to its first newline) whose variables take the values
// in the bytes after it (8 bytes each, in name order). User functions are
// registered that call each other, call themselves, read their arguments
// after a call and sum.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "console/consoleio.h"
#include "formula/formulatext.h"
#include "formula/crtbtree.h"
#include "eval/evalprog.h"
#include "formula/fmulaopfc.h"
#include "fuzz_common.h"
#include "modes/modecommon.h"
#include "formula/symbol.h"
#include "tree_walker.h"
#include "userfunc/usrfunc.h"

namespace {
void Register_Functions() {
    fuzz::Silence_Console();
    const char* const definitions[][3] = {
        {"g", "1", "a0*2+1"},
        {"f", "1", "a0*g(a0*2)"},
        {"h", "1", "g(a0*2)*a0"},
        {"m", "2", "a0-a1^2"},
        {"u", "2", "m(a1,a0)*10+m(a0,a1)"},
        {"k", "0", "3.5"},
        {"s", "1", "sigma[n(1,3),a0*n+g(n)]"},
        // p and q call each other once p is enrolled again; r calls itself.
        {"p", "1", "a0+1"},
        {"q", "1", "p(a0)*2+a0"},
        {"p", "1", "q(a0)-a0"},
        {"r", "1", "r(a0-1)+a0"},
        // w reads the shared cell a1: what the last call of two arguments wrote.
        {"w", "1", "a0+a1"},
        {"v", "2", "w(a1)*a0+a1"},
    };
    for (const auto& one : definitions)
        g_ufunc_list.AddUFncElem(one[0], -1, static_cast<unsigned>(std::stoi(one[1])), 8, one[2]);
}

uint64_t Bits(double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Variable i takes the 8 bytes at 8*i of values, or 0.75*(i+1) past its end.
void Give_Values(AscArray<double>& table, const std::string& values) {
    int count = 0;
    table.CountElem(&count);
    std::vector<NameBuffer> names(static_cast<size_t>(count));
    int copied = 0;
    if (count > 0) table.CopyLabelAll(names.data(), &copied);
    for (int i = 0; i < copied; ++i) {
        double value = 0.75 * (i + 1);
        size_t at = 8 * static_cast<size_t>(i);
        if (at + 8 <= values.size()) std::memcpy(&value, values.data() + at, 8);
        table[names[static_cast<size_t>(i)]] = value;
    }
}

// The bits, every NaN alike.
uint64_t Value_Bits(double value) { return value != value ? Bits(std::nan("")) : Bits(value); }

// A definition may read a shared cell no call wrote yet: both evaluations
// start from the same cells.
void Set_ArgumentCells() {
    const char* const names[] = {"a0", "a1", "a2"};
    for (int i = 0; i < 3; ++i) ufunc_argArray[names[i]] = 0.5 - i;
}

std::vector<uint64_t> Argument_Cells() {
    std::vector<uint64_t> cells;
    for (const char* name : {"a0", "a1", "a2"}) cells.push_back(Value_Bits(ufunc_argArray[name]));
    return cells;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool registered = (Register_Functions(), true);
    (void)registered;
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t newline = input.find('\n');
    std::string text = input.substr(0, newline);
    std::string values = newline == std::string::npos ? "" : input.substr(newline + 1);
    if (text.size() >= NAME_SIZE || !fuzz::Within_Budget(text, 2)) return 0;
    CompForm* items = nullptr;
    int item_count = Analyse_FormulaText(&items, text.c_str(), g_ufunc_list, ERROR_WITH_POSITION);
    if (item_count == 0) return 0;
    AscArray<double> table;
    Create_SymbolTable(items, item_count, table);
    Give_Values(table, values);
    CompForm* root = Build_Tree(items, item_count);

    Set_ArgumentCells();
    int reference_flag = 1;
    double reference = Reference_Value(root, &reference_flag, g_ufunc_list);
    std::vector<uint64_t> reference_cells = Argument_Cells();
    EvalProgram program(root, g_ufunc_list);
    bool same = true;
    // Machine code where the program has it, and the run loop.
    for (EvalCode code : {EVAL_NATIVE_WHERE_ABLE, EVAL_INTERPRETED}) {
        EvalMachine machine(program, true, code);
        Set_ArgumentCells();
        double compiled = 0.0;
        int compiled_flag = machine.Run(&compiled) == EVAL_OK ? 1 : 0;
        same = same && Value_Bits(reference) == Value_Bits(compiled) &&
               reference_flag == compiled_flag && reference_cells == Argument_Cells();
    }
    delete[] items;
    if (!same) __builtin_trap();
    return 0;
}
