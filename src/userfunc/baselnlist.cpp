#include "userfunc/baselnlist.h"

#include <cstring>
#include <new>

BaseLnList::BaseLnList(const char* key) : label(nullptr), the_next(nullptr) {
    size_t length = std::strlen(key);
    label = new char[length + 1];
    std::memcpy(label, key, length + 1);
}

BaseLnList::~BaseLnList() { delete[] label; }

BaseLnList* BaseLnList::NextPnt() { return the_next; }

BaseLnList** Serch(BaseLnList** the_target, const char* key, int* the_state) {
    BaseLnList** link = the_target;
    while (*link != nullptr && std::strcmp((*link)->label, key) < 0) link = &(*link)->the_next;
    *the_state = (*link != nullptr && std::strcmp((*link)->label, key) == 0) ? 1 : 0;
    return link;
}

int Add_List(BaseLnList*& the_root, const char* key) {
    int found = 0;
    BaseLnList** link = Serch(&the_root, key, &found);
    if (found) return 0;
    BaseLnList* node = nullptr;
    try {
        node = new BaseLnList(key);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    node->the_next = *link;
    *link = node;
    return 1;
}

int Delete_List(BaseLnList*& the_root) {
    while (the_root != nullptr) {
        BaseLnList* following = the_root->the_next;
        delete the_root;
        the_root = following;
    }
    return 1;
}
