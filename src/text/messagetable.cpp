// The message table in one encoding. The build compiles this file twice, with
// KANSU_MESSAGE_TABLE naming the table and the matching -fexec-charset; it is
// kept out of the ordinary sources so that no other charset flag reaches it.
#include "text/messages.h"

extern const Messages KANSU_MESSAGE_TABLE = {
#define KANSU_MESSAGE(name, text) text,
#include "text/messages.def"
#undef KANSU_MESSAGE
};
