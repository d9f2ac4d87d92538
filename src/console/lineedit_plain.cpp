// The build without libedit (and the Windows build, whose console edits lines
// and keeps a history itself): input is always read plainly.
#include "console/lineedit.h"

bool LineEditing_Built() { return false; }
bool Start_LineEditing(bool, bool) { return false; }
ReadPlace Last_ReadPlace() { return ReadPlace(); }
void Offer_ForMending(InputKind, const char*, int) {}
void Offer_Again(InputKind, const ReadPlace&, const char*) {}
void Stop_LineEditing() {}
void Resume_EditedInput() {}
void Stop_LineEditing_OnSignal() {}
