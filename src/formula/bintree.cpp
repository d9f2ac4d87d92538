#include "formula/bintree.h"

#include <cstring>

BinTree::BinTree(const char* key) : label(nullptr), left(nullptr), right(nullptr) {
    size_t length = std::strlen(key);
    label = new char[length + 1];
    std::memcpy(label, key, length + 1);
}

BinTree::~BinTree() {
    delete left;
    delete[] label;
    delete right;
}

void BinTree::CountElem(int* counter) {
    if (left != nullptr) left->CountElem(counter);
    ++*counter;
    if (right != nullptr) right->CountElem(counter);
}

void BinTree::CopyLabelAll(char (*copy_label)[256], int* counter) {
    if (left != nullptr) left->CopyLabelAll(copy_label, counter);
    std::strncpy(copy_label[*counter], label, 255);
    copy_label[*counter][255] = '\0';
    ++*counter;
    if (right != nullptr) right->CopyLabelAll(copy_label, counter);
}

BinTree** Serch(BinTree** the_tree, const char* key) {
    BinTree** slot = the_tree;
    while (*slot != nullptr) {
        int order = std::strcmp(key, (*slot)->label);
        if (order == 0) break;
        slot = order < 0 ? &(*slot)->left : &(*slot)->right;
    }
    return slot;
}
