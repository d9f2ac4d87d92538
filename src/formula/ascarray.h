// The variable table: names with one value each. Nodes never move once
// inserted, so items may keep pointers to their value cells.
#ifndef KANSU_ASCARRAY_H
#define KANSU_ASCARRAY_H

#include <iostream>

#include "formula/bintree.h"

template <class T>
class Asc : public BinTree {
public:
    T value;

    explicit Asc(const char* key) : BinTree(key), value() {}
    void Print() override { std::cout << label << ":" << value << "\n"; }
    T& GetValue() { return value; }

    int CopyObject(Asc<T>* source) {
        if (source == nullptr) return 0;
        value = source->value;
        left = Copy_Child(static_cast<Asc<T>*>(source->left));
        right = Copy_Child(static_cast<Asc<T>*>(source->right));
        return 1;
    }

private:
    static Asc<T>* Copy_Child(Asc<T>* child) {
        if (child == nullptr) return nullptr;
        Asc<T>* copy = new Asc<T>(child->label);
        copy->CopyObject(child);
        return copy;
    }
};

template <class T>
class AscArray {
public:
    Asc<T>* root;

    // constexpr: the global tables are ready before any other start-up code runs.
    constexpr AscArray() : root(nullptr) {}
    AscArray(const AscArray<T>& the_source) : root(nullptr) {
        if (the_source.root == nullptr) return;
        root = new Asc<T>(the_source.root->label);
        root->CopyObject(the_source.root);
    }
    AscArray& operator=(const AscArray<T>&) = delete;
    ~AscArray() { delete root; }

    // The value cell of key; an absent name is inserted with value 0.
    T& operator[](const char* key) {
        if (root == nullptr) {
            root = new Asc<T>(key);
            return root->value;
        }
        BinTree* top = root;
        BinTree** slot = Serch(&top, key);
        if (slot == &top) return root->value;
        if (*slot == nullptr) *slot = new Asc<T>(key);
        return static_cast<Asc<T>*>(*slot)->value;
    }

    // 1 when key is present; never inserts.
    int operator()(const char* key) {
        BinTree* top = root;
        return *Serch(&top, key) != nullptr ? 1 : 0;
    }

    int CountElem(int* counter) {
        if (root == nullptr) {
            *counter = 0;
            return 0;
        }
        root->CountElem(counter);
        return 1;
    }

    int CopyLabelAll(char (*copy_label)[256], int* counter) {
        if (root == nullptr) return 0;
        root->CopyLabelAll(copy_label, counter);
        return 1;
    }
};

#endif
