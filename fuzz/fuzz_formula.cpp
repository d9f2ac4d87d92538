// A formula from analysis to value: items, variable table, tree, evaluation,
// with user functions registered (one calling another, a recursive pair, a sum).
#include <cstdint>
#include <string>
#include <vector>

#include "eval/calcbintree.h"
#include "formula/crtbtree.h"
#include "formula/fmulaopfc.h"
#include "fuzz_common.h"
#include "app/main.h"
#include "console/consoleio.h"
#include "console/formulainput.h"
#include "formula/formulatext.h"
#include "modes/explicit.h"
#include "formula/symbol.h"
#include "userfunc/usrfunc.h"

namespace {
void Register_Functions() {
    fuzz::Silence_Console();
    g_ufunc_list.AddUFncElem("g", -1, 1, 8, "a0*2+1");
    g_ufunc_list.AddUFncElem("h", -1, 2, 8, "g(a0)-a1^2");
    g_ufunc_list.AddUFncElem("k", -1, 0, 8, "3.5");
    g_ufunc_list.AddUFncElem("s", -1, 1, 8, "sigma[n(1,3),a0*n]");
    // p and q call each other once p is enrolled again.
    g_ufunc_list.AddUFncElem("p", -1, 1, 8, "a0+1");
    g_ufunc_list.AddUFncElem("q", -1, 1, 8, "p(a0)*2");
    g_ufunc_list.AddUFncElem("p", -1, 1, 8, "q(a0)-1");
}

// Every variable gets a value of its own.
void Give_Values(AscArray<double>& table) {
    int count = 0;
    table.CountElem(&count);
    std::vector<NameBuffer> names(static_cast<size_t>(count));
    int copied = 0;
    if (count > 0) table.CopyLabelAll(names.data(), &copied);
    for (int i = 0; i < copied; ++i) table[names[static_cast<size_t>(i)]] = 0.75 * (i + 1);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool registered = (Register_Functions(), true);
    (void)registered;
    if (size >= NAME_SIZE) return 0;  // a typed formula holds at most 255 characters
    std::string text(reinterpret_cast<const char*>(data), size);
    if (!fuzz::Within_Budget(text, 2)) return 0;
    CompForm* items = nullptr;
    int item_count = Analyse_FormulaText(&items, text.c_str(), g_ufunc_list, ERROR_WITH_POSITION);
    if (item_count == 0) return 0;
    AscArray<double> table;
    Create_SymbolTable(items, item_count, table);
    Give_Values(table);
    CompForm* root = Build_Tree(items, item_count);
    int error_code = 1;
    BinTreeFunc(root, &error_code, table, g_ufunc_list, EmptyArray);
    delete[] items;
    return 0;
}
