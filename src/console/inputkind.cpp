#include "console/inputkind.h"

namespace {
InputKind current_kind = InputKind::Other;
}  // namespace

const char* InputKind_Name(InputKind kind) {
    switch (kind) {
    case InputKind::Command: return "command";
    case InputKind::Formula: return "formula";
    case InputKind::Definition: return "definition";
    case InputKind::Range: return "range";
    case InputKind::Value: return "value";
    case InputKind::File: return "file";
    case InputKind::Other: break;
    }
    return nullptr;
}

int InputKind_Index(InputKind kind) {
    for (int i = 0; i < KEPT_INPUT_KIND_COUNT; ++i)
        if (KEPT_INPUT_KINDS[i] == kind) return i;
    return -1;
}

InputKindScope::InputKindScope(InputKind kind) : saved_(current_kind) { current_kind = kind; }
InputKindScope::~InputKindScope() { current_kind = saved_; }

InputKind Current_InputKind() { return current_kind; }
