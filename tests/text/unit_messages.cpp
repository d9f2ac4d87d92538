// The message table in its two encodings.
#include "text/messages.h"
#include "session.h"

#include <string>

namespace {

// Each entry of the UTF-8 table converts to its code page 932 twin and back,
// so the two compilations hold the same texts in their own encodings.
TEST(Messages, BothTablesHoldTheSameTexts) {
#define KANSU_MESSAGE(name, text)                                       \
    EXPECT_EQ(Cp932(UTF8_MESSAGES.name), CP932_MESSAGES.name) << #name; \
    EXPECT_EQ(Utf8(CP932_MESSAGES.name), UTF8_MESSAGES.name) << #name;
#include "text/messages.def"
#undef KANSU_MESSAGE
    EXPECT_STREQ(UTF8_MESSAGES.MENU_END, "終了             :");
    EXPECT_STRNE(CP932_MESSAGES.MENU_END, UTF8_MESSAGES.MENU_END);
}

}  // namespace
