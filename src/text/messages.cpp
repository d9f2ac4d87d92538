#include "text/messages.h"

namespace {
const Messages* active_messages = &CP932_MESSAGES;
const Messages* console_messages = &CP932_MESSAGES;
}  // namespace

const Messages& Msg() { return *active_messages; }

void Use_Utf8(bool utf8) {
    active_messages = console_messages = utf8 ? &UTF8_MESSAGES : &CP932_MESSAGES;
}

bool Utf8_Active() { return active_messages == &UTF8_MESSAGES; }

void Write_ReportsIn(bool utf8) { active_messages = utf8 ? &UTF8_MESSAGES : &CP932_MESSAGES; }

const Messages& Console_Msg() { return *console_messages; }

const char* Console_Text(const char* message) {
#define KANSU_MESSAGE(name, text)                                        \
    if (message == CP932_MESSAGES.name || message == UTF8_MESSAGES.name) \
        return console_messages->name;
#include "text/messages.def"
#undef KANSU_MESSAGE
    return message;
}
