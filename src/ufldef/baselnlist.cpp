#include "baselnlist.h"

#include <cstring>

BaseLnList::BaseLnList(const char* key) : label(nullptr), the_next(nullptr) {
    size_t length = std::strlen(key);
    label = new char[length + 1];
    std::memcpy(label, key, length + 1);
}

BaseLnList::~BaseLnList() { delete[] label; }

BaseLnList* BaseLnList::NextPnt() { return the_next; }
