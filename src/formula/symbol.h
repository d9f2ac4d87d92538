// Linking the variables of an item array to the cells of a variable table,
// and the two tables that live for the whole run.
#ifndef KANSU_SYMBOL_H
#define KANSU_SYMBOL_H

#include "formula/ascarray.h"
#include "formula/fmula.h"

// Always empty; copies of it start every analysis and evaluation.
extern AscArray<double> EmptyArray;
// Argument cells a0, a1, ... of user-defined functions (and any other name a definition uses).
extern AscArray<double> ufunc_argArray;

template <class T>
void Create_SymbolTable(CompForm* the_formlist, int elem_number, AscArray<T>& var_array) {
    for (int i = 0; i < elem_number; ++i) {
        CompForm& item = the_formlist[i];
        if (item.kind != KIND_VARIABLE || item.argm_num == -1) continue;
        T& cell = var_array[item.CompArray];
        cell = T();
        item.number_source = &cell;
    }
}

#endif
