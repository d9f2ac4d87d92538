#include "text/messages.h"

namespace {
const Messages* active_messages = &CP932_MESSAGES;
}  // namespace

const Messages& Msg() { return *active_messages; }

void Use_Utf8(bool utf8) { active_messages = utf8 ? &UTF8_MESSAGES : &CP932_MESSAGES; }

bool Utf8_Active() { return active_messages == &UTF8_MESSAGES; }
