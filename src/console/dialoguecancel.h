// Cancelling a dialogue from the keyboard: on a terminal with line editing,
// Ctrl-C, or Ctrl-D on an empty line, at any prompt of a calculation's or a
// command's dialogue ends that dialogue. From then on every console read of the
// dialogue meets end of input and its output is dropped, so no further prompt
// or message shows and nothing is written; the shell then takes the cancel,
// says so in one line and shows the menu again.
#ifndef KANSU_DIALOGUECANCEL_H
#define KANSU_DIALOGUECANCEL_H

// Whether keys may cancel dialogues in this run (a terminal that edits lines).
void Allow_DialogueCancel(bool allowed);

// Marks the extent of one dialogue, from its first prompt to its return.
class DialogueScope {
public:
    DialogueScope();
    ~DialogueScope();
    DialogueScope(const DialogueScope&) = delete;
    DialogueScope& operator=(const DialogueScope&) = delete;
};

// Whether a dialogue that may be cancelled is running now.
bool Dialogue_Cancellable();
// Cancels the running dialogue; true when there was one to cancel. The
// interrupt handler calls it, so it only sets a flag.
bool Cancel_Dialogue();
// Whether the running dialogue has been cancelled.
bool Dialogue_Cancelled();
// Ends a cancel once its dialogue has returned: the console streams work
// again. Returns whether there was one.
bool Take_DialogueCancel();

#endif
