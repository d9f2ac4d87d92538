// Links an analysed item array into an expression tree in place, by operator precedence.
#ifndef KANSU_CRTBTREE_H
#define KANSU_CRTBTREE_H

#include "formula/fmula.h"

// build_depth: how many lists (groups, arguments, summands) enclose the one
// being built, 0 at the top; a list nested too deep is left out (null).
CompForm* Create_BinTree(int* index, int sup_num, CompForm* object1, CompForm* op1,
                         CompForm* the_formlist, int elem_num, int build_depth = 0);
CompForm* Object_Select(CompForm* object, int* index, CompForm* the_formlist, int elem_num,
                        int build_depth = 0);
CompForm* Bind_Object(CompForm* tree, CompForm* left_obj, CompForm* right_obj);
int Get_OneArg(int* index, CompForm* the_formlist, int form_num, CompForm** the_newlist,
               int* elem_num, const char* open_lett, const char* close_lett);
int Get_EndArgList(int* index, CompForm* the_formlist, int form_num, CompForm** the_newlist,
                   int* elem_num, const char* open_lett, const char* close_lett);
int Get_ArgList(int* index, CompForm* the_formlist, int form_num, CompForm** the_newlist,
                int* elem_num, const char* open_lett, const char* close_lett,
                const char* open_lett2, const char* close_lett2);

// The one top-level call every caller makes: cursor 0, floor 0, no pending operand.
CompForm* Build_Tree(CompForm* the_formlist, int elem_num);

#endif
