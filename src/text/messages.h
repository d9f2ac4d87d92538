// The message table: every text the user reads (console and text files),
// listed once in messages.def and compiled once per console encoding.
#ifndef KANSU_MESSAGES_H
#define KANSU_MESSAGES_H

struct Messages {
#define KANSU_MESSAGE(name, text) const char* name;
#include "text/messages.def"
#undef KANSU_MESSAGE
};

// The two compilations of messagetable.cpp.
extern const Messages CP932_MESSAGES;
extern const Messages UTF8_MESSAGES;

// The table in use: code page 932 unless UTF-8 was chosen at start-up.
const Messages& Msg();
void Use_Utf8(bool utf8);
bool Utf8_Active();

// While a report is appended to a file in the other encoding, Msg() is that
// file's table (Write_ReportsIn), and what the console shows meanwhile comes
// from Console_Msg(); Use_Utf8 sets both again.
void Write_ReportsIn(bool utf8);
const Messages& Console_Msg();
// The console's text of a message taken from either table (any other text as it is).
const char* Console_Text(const char* message);

#endif
