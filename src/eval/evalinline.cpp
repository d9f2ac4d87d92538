#include "eval/evalinline.h"

#include <vector>

#include "eval/evallimits.h"
#include "userfunc/usrfunc.h"

InlineInfo InlinePlanner::Of(CompForm* definition) {
    if (definition == nullptr) return InlineInfo{};
    return Study(definition, 0).info;
}

// Walks the definition's tree without recursion (a definition read from a
// save file may be very deep); recurses only from function to callee, at most
// as deep as calls may nest.
const InlinePlanner::Entry& InlinePlanner::Study(CompForm* definition, int depth) {
    std::map<CompForm*, Entry>::iterator found = entries_.find(definition);
    if (found != entries_.end()) return found->second;  // a function still visiting: recursion
    entries_[definition] = Entry{};
    bool inlinable = depth < USER_CALL_DEPTH_LIMIT;
    int size = 0;
    int height = 0;
    std::vector<CompForm*> pending{definition};
    while (inlinable && !pending.empty()) {
        CompForm* node = pending.back();
        pending.pop_back();
        if (node == nullptr) continue;
        if (++size > INLINE_SIZE_LIMIT) inlinable = false;
        if (node->kind == KIND_USER_FUNCTION) {
            CompForm* callee = ufunc_list_[node->CompArray];
            if (callee == nullptr) {
                inlinable = false;
                break;
            }
            const Entry& called = Study(callee, depth + 1);
            if (called.visiting || !called.info.inlinable) inlinable = false;
            size += called.size;
            if (called.info.height > height) height = called.info.height;
        }
        pending.push_back(node->left);
        pending.push_back(node->right);
        for (int i = 0; i < node->list_fnarg.element_num; ++i)
            pending.push_back(node->list_fnarg.CompList[i]);
    }
    Entry& entry = entries_[definition];
    entry.visiting = false;
    entry.size = size;
    entry.info.height = height + 1;
    entry.info.inlinable =
        inlinable && size <= INLINE_SIZE_LIMIT && entry.info.height <= USER_CALL_DEPTH_LIMIT;
    return entry;
}
