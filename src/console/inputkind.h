// What a console read is for. Each kind keeps its own input history and
// completes its own words when lines are edited; reads of no particular kind
// (menu numbers, yes/no answers, counts) keep nothing.
#ifndef KANSU_INPUTKIND_H
#define KANSU_INPUTKIND_H

enum class InputKind { Other, Command, Formula, Definition, Range, Value, File };

// The kinds that keep a history, in the order the history file lists them.
const InputKind KEPT_INPUT_KINDS[] = {InputKind::Command, InputKind::Formula, InputKind::Definition,
                                      InputKind::Range,   InputKind::Value,   InputKind::File};
const int KEPT_INPUT_KIND_COUNT = 6;

// The kind's word in the history file; null for Other.
const char* InputKind_Name(InputKind kind);
// Index of a kept kind in KEPT_INPUT_KINDS; -1 for Other.
int InputKind_Index(InputKind kind);

// The kind of the reads made while it lives (the previous kind comes back after).
class InputKindScope {
public:
    explicit InputKindScope(InputKind kind);
    ~InputKindScope();
    InputKindScope(const InputKindScope&) = delete;
    InputKindScope& operator=(const InputKindScope&) = delete;

private:
    InputKind saved_;
};

InputKind Current_InputKind();

#endif
