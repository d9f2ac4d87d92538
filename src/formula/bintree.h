// Node of the variable table: a name in an unbalanced binary search tree
// ordered by strcmp. A node owns its label and both subtrees.
#ifndef KANSU_BINTREE_H
#define KANSU_BINTREE_H

class BinTree {
public:
    char* label;
    BinTree* left;
    BinTree* right;

    explicit BinTree(const char* key);
    virtual ~BinTree();
    BinTree(const BinTree&) = delete;
    BinTree& operator=(const BinTree&) = delete;

    virtual void Print() = 0;
    char* Value() { return label; }
    void CountElem(int* counter);
    void CopyLabelAll(char (*copy_label)[256], int* counter);
};

// The slot that holds the node named key, or the null slot where it belongs.
BinTree** Serch(BinTree** the_tree, const char* key);

#endif
