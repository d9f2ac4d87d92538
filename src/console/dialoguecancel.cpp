#include "console/dialoguecancel.h"

#include <csignal>
#include <cstdio>
#include <iostream>

namespace {
volatile std::sig_atomic_t cancel_allowed = 0;
volatile std::sig_atomic_t dialogue_depth = 0;
volatile std::sig_atomic_t cancelled = 0;
}  // namespace

void Allow_DialogueCancel(bool allowed) { cancel_allowed = allowed ? 1 : 0; }

DialogueScope::DialogueScope() { dialogue_depth = dialogue_depth + 1; }
DialogueScope::~DialogueScope() { dialogue_depth = dialogue_depth - 1; }

bool Dialogue_Cancellable() { return cancel_allowed != 0 && dialogue_depth > 0; }

bool Cancel_Dialogue() {
    if (!Dialogue_Cancellable()) return false;
    cancelled = 1;
    return true;
}

bool Dialogue_Cancelled() { return cancelled != 0; }

bool Take_DialogueCancel() {
    if (cancelled == 0) return false;
    cancelled = 0;
    std::clearerr(stdin);  // the terminal is read again
    std::cin.clear();
    std::cout.clear();
    return true;
}
