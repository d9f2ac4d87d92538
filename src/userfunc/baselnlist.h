// A sorted singly linked list of distinct names; the base of the registry entries.
#ifndef KANSU_BASELNLIST_H
#define KANSU_BASELNLIST_H

class BaseLnList {
public:
    char* label;
    BaseLnList* the_next;

    explicit BaseLnList(const char* key);
    virtual ~BaseLnList();  // frees the label only, never the following nodes
    BaseLnList(const BaseLnList&) = delete;
    BaseLnList& operator=(const BaseLnList&) = delete;

    virtual BaseLnList* NextPnt();
    char* Value() { return label; }
};

// The link holding the first node whose label is not below key (or the final null
// link); *the_state is 1 when that node's label equals key.
BaseLnList** Serch(BaseLnList** the_target, const char* key, int* the_state);
// 1 inserted in order; 0 when key is present or cannot be allocated.
int Add_List(BaseLnList*& the_root, const char* key);
// Destroys every node; the root becomes null. Returns 1.
int Delete_List(BaseLnList*& the_root);

#endif
