#include "formula/crtbtree.h"

#include <cstring>

namespace {

// Deepest nesting of groups, arguments and summands built. A formula typed or
// enrolled cannot come near it; a longer definition read from a save file could
// otherwise exhaust the stack. A deeper sub-list is left out of the tree (null),
// which the evaluator reports as an error. build_depth, handed down the
// builder, counts the lists that enclose the one being built.
const int BUILD_DEPTH_LIMIT = 1000;

CompForm* Build_Nested(CompForm* the_formlist, int elem_num, int build_depth);

// The item at the cursor, advancing the cursor; null (cursor unchanged) past the end.
CompForm* Take_Item(int* index, CompForm* the_formlist, int elem_num) {
    if (*index >= elem_num) return nullptr;
    return &the_formlist[(*index)++];
}

// Moves the cursor on by count items, never past the end.
void Skip_Items(int* index, int count, int elem_num) {
    *index += count;
    if (*index > elem_num) *index = elem_num;
}

bool Same_Text(const CompForm& item, const char* text) {
    return std::strcmp(item.CompArray, text) == 0;
}

int Precedence(CompForm* op) { return op == nullptr ? 0 : op->GetSuperior(); }

bool Ends_List(CompForm* op) { return op == nullptr || op->kind == KIND_CLOSE_PAR; }

// Builds a sub-list handed out by one of the finders as a list of its own.
CompForm* Build_SubList(CompForm* sub_list, int sub_count, int build_depth) {
    if (sub_list == nullptr) return nullptr;
    return Build_Nested(sub_list, sub_count, build_depth + 1);
}

// Finds the items up to the matching closing item and builds them; null when the
// list ends before it, and then nothing after the cursor belongs to this construct.
CompForm* Build_Closed(int* index, CompForm* the_formlist, int elem_num, const char* open_lett,
                       const char* close_lett, int build_depth) {
    CompForm* sub_list = nullptr;
    int sub_count = 0;
    if (!Get_EndArgList(index, the_formlist, elem_num, &sub_list, &sub_count, open_lett,
                        close_lett)) {
        *index = elem_num;
        return nullptr;
    }
    return Build_SubList(sub_list, sub_count, build_depth);
}

CompForm* Select_Function(CompForm* object, int* index, CompForm* the_formlist, int elem_num,
                          int build_depth) {
    Skip_Items(index, 1, elem_num);  // the "(" after the name
    int arg_count = object->argm_num;
    if (arg_count < 1) {
        // A call without arguments: only its ")" is passed over.
        CompForm* sub_list = nullptr;
        int sub_count = 0;
        if (!Get_OneArg(index, the_formlist, elem_num, &sub_list, &sub_count, "(", ")"))
            *index = elem_num;
        return object;
    }
    for (int slot = 0; slot < arg_count - 1; ++slot) {
        CompForm* sub_list = nullptr;
        int sub_count = 0;
        if (!Get_ArgList(index, the_formlist, elem_num, &sub_list, &sub_count, "(", ")", "[",
                         "]")) {
            *index = elem_num;
            return object;
        }
        object->list_fnarg[slot] = Build_SubList(sub_list, sub_count, build_depth);
    }
    object->list_fnarg[arg_count - 1] =
        Build_Closed(index, the_formlist, elem_num, "(", ")", build_depth);
    return object;
}

CompForm* Select_Sigma(CompForm* object, int* index, CompForm* the_formlist, int elem_num,
                       int build_depth) {
    Skip_Items(index, 1, elem_num);  // the "["
    CompForm* range_item = *index < elem_num ? &the_formlist[*index] : nullptr;
    Skip_Items(index, 2, elem_num);  // the range item and the "," after it
    CompForm* summand = Build_Closed(index, the_formlist, elem_num, "[", "]", build_depth);
    return Bind_Object(object, range_item, summand);
}

// One algorithm for Get_OneArg and Get_EndArgList: the items up to the closing
// item that brings the depth back to 0.
int Find_Closing(int* index, CompForm* the_formlist, int form_num, CompForm** the_newlist,
                 int* elem_num, const char* open_lett, const char* close_lett) {
    int depth = 1;
    int count = 0;
    for (int i = *index; i < form_num; ++i) {
        ++count;
        if (Same_Text(the_formlist[i], open_lett)) {
            ++depth;
        } else if (Same_Text(the_formlist[i], close_lett) && --depth == 0) {
            *the_newlist = &the_formlist[*index];
            *elem_num = count - 1;
            *index = i + 1;
            return 1;
        }
    }
    *the_newlist = nullptr;
    *elem_num = 0;
    return 0;
}

}  // namespace

CompForm* Bind_Object(CompForm* tree, CompForm* left_obj, CompForm* right_obj) {
    tree->left = left_obj;
    tree->right = right_obj;
    return tree;
}

CompForm* Object_Select(CompForm* object, int* index, CompForm* the_formlist, int elem_num,
                        int build_depth) {
    if (object == nullptr) return nullptr;
    switch (object->kind) {
    case KIND_OPEN_PAR: return Build_Closed(index, the_formlist, elem_num, "(", ")", build_depth);
    case KIND_FUNCTION:
    case KIND_USER_FUNCTION:
        return Select_Function(object, index, the_formlist, elem_num, build_depth);
    case KIND_MULTI_OPERATOR:
        return Select_Sigma(object, index, the_formlist, elem_num, build_depth);
    default: return object;
    }
}

// Precedence climbing: object1 op1 object2 op2 ..., where an operator binding
// tighter than the one before it takes its right operand from a nested call.
CompForm* Create_BinTree(int* index, int sup_num, CompForm* object1, CompForm* op1,
                         CompForm* the_formlist, int elem_num, int build_depth) {
    if (object1 == nullptr) {
        object1 = Object_Select(Take_Item(index, the_formlist, elem_num), index, the_formlist,
                                elem_num, build_depth);
        if (*index >= elem_num) return object1;
        op1 = Take_Item(index, the_formlist, elem_num);
    }
    if (Ends_List(op1)) return object1;
    for (;;) {
        CompForm* object2 = Object_Select(Take_Item(index, the_formlist, elem_num), index,
                                          the_formlist, elem_num, build_depth);
        if (*index >= elem_num) return Bind_Object(op1, object1, object2);
        CompForm* op2 = Take_Item(index, the_formlist, elem_num);
        if (op2->kind == KIND_CLOSE_PAR) return Bind_Object(op1, object1, object2);
        if (Precedence(op1) >= Precedence(op2)) {
            object1 = Bind_Object(op1, object1, object2);
            op1 = op2;
            if (sup_num >= Precedence(op2)) {
                --*index;
                return object1;
            }
            continue;
        }
        CompForm* right_tree = Create_BinTree(index, Precedence(op1), object2, op2, the_formlist,
                                              elem_num, build_depth);
        object1 = Bind_Object(op1, object1, right_tree);
        if (*index >= elem_num) return object1;
        op1 = Take_Item(index, the_formlist, elem_num);
        if (sup_num >= Precedence(op1)) {
            --*index;
            return object1;
        }
        if (op1->kind == KIND_CLOSE_PAR) return object1;
    }
}

int Get_OneArg(int* index, CompForm* the_formlist, int form_num, CompForm** the_newlist,
               int* elem_num, const char* open_lett, const char* close_lett) {
    return Find_Closing(index, the_formlist, form_num, the_newlist, elem_num, open_lett,
                        close_lett);
}

int Get_EndArgList(int* index, CompForm* the_formlist, int form_num, CompForm** the_newlist,
                   int* elem_num, const char* open_lett, const char* close_lett) {
    return Find_Closing(index, the_formlist, form_num, the_newlist, elem_num, open_lett,
                        close_lett);
}

// A comma ends the argument only at the call's own level: not inside a nested
// call's parentheses nor inside a sigma's brackets.
int Get_ArgList(int* index, CompForm* the_formlist, int form_num, CompForm** the_newlist,
                int* elem_num, const char* open_lett, const char* close_lett,
                const char* open_lett2, const char* close_lett2) {
    int par_depth = 1;
    int brk_depth = 0;
    int comma_count = 0;
    int count = 0;
    for (int i = *index; i < form_num; ++i) {
        const CompForm& item = the_formlist[i];
        ++count;
        if (Same_Text(item, open_lett)) {
            ++par_depth;
        } else if (Same_Text(item, open_lett2)) {
            ++brk_depth;
        } else if (Same_Text(item, close_lett)) {
            --par_depth;
            comma_count = 0;
        } else if (Same_Text(item, close_lett2)) {
            --brk_depth;
            comma_count = 0;
        } else if (Same_Text(item, ",")) {
            ++comma_count;
            if (par_depth == 1 && comma_count == 1 && brk_depth == 0) {
                *the_newlist = &the_formlist[*index];
                *elem_num = count - 1;
                *index = i + 1;
                return 1;
            }
        }
    }
    *the_newlist = nullptr;
    *elem_num = 0;
    return 0;
}

namespace {
CompForm* Build_Nested(CompForm* the_formlist, int elem_num, int build_depth) {
    if (the_formlist == nullptr || elem_num <= 0 || build_depth >= BUILD_DEPTH_LIMIT)
        return nullptr;
    int index = 0;
    return Create_BinTree(&index, 0, nullptr, nullptr, the_formlist, elem_num, build_depth);
}
}  // namespace

CompForm* Build_Tree(CompForm* the_formlist, int elem_num) {
    return Build_Nested(the_formlist, elem_num, 0);
}
