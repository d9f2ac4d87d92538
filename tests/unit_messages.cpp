// The message table in its two encodings, and the command-line options.
#include "messages.h"
#include "options.h"
#include "session.h"

#include <sstream>
#include <string>
#include <vector>

namespace {

// Each entry of the UTF-8 table converts to its code page 932 twin and back,
// so the two compilations hold the same texts in their own encodings.
TEST(Messages, BothTablesHoldTheSameTexts) {
#define KANSU_MESSAGE(name, text)                                              \
    EXPECT_EQ(Cp932(UTF8_MESSAGES.name), CP932_MESSAGES.name) << #name;        \
    EXPECT_EQ(Utf8(CP932_MESSAGES.name), UTF8_MESSAGES.name) << #name;
#include "messages.def"
#undef KANSU_MESSAGE
    EXPECT_STREQ(UTF8_MESSAGES.MENU_END, "終了             :");
    EXPECT_STRNE(CP932_MESSAGES.MENU_END, UTF8_MESSAGES.MENU_END);
}

TEST(Messages, CodePage932UntilUtf8IsChosen) {
    EXPECT_FALSE(Utf8_Active());
    EXPECT_EQ(&Msg(), &CP932_MESSAGES);
    Use_Utf8(true);
    EXPECT_TRUE(Utf8_Active());
    EXPECT_EQ(&Msg(), &UTF8_MESSAGES);
    Use_Utf8(false);
    EXPECT_EQ(&Msg(), &CP932_MESSAGES);
}

struct OptionCase {
    std::vector<const char*> words;
    bool utf8, help, version;
    std::string unknown;
};

TEST(Options, ParsedWords) {
    const OptionCase cases[] = {
        {{}, false, false, false, ""},
        {{"--utf8"}, true, false, false, ""},
        {{"--help"}, false, true, false, ""},
        {{"-h", "--utf8"}, true, true, false, ""},
        {{"--version"}, false, false, true, ""},
        {{"--utf-8", "--bad"}, false, false, false, "--utf-8"},
        {{"--utf8", "x.txt"}, true, false, false, "x.txt"},
        {{"--UTF8"}, false, false, false, "--UTF8"},
    };
    for (const OptionCase& c : cases) {
        std::vector<const char*> argv{"kansu"};
        argv.insert(argv.end(), c.words.begin(), c.words.end());
        CommandOptions parsed = Parse_Options(static_cast<int>(argv.size()), argv.data());
        std::string shown = c.words.empty() ? "(none)" : c.words[0];
        EXPECT_EQ(parsed.utf8, c.utf8) << shown;
        EXPECT_EQ(parsed.show_help, c.help) << shown;
        EXPECT_EQ(parsed.show_version, c.version) << shown;
        EXPECT_EQ(parsed.unknown, c.unknown) << shown;
    }
}

// What each option prints and the status it ends with (-1: the dialogue runs).
TEST(Options, AppliedOptions) {
    struct Applied {
        CommandOptions options;
        int status;
        std::string out, error_out;
    };
    CommandOptions help, version, unknown, utf8_only;
    help.show_help = true;
    version.show_version = true;
    unknown.unknown = "-x";
    unknown.show_help = true;
    utf8_only.utf8 = true;
    const Applied cases[] = {
        {CommandOptions(), -1, "", ""},
        {help, 0, CP932_MESSAGES.USAGE, ""},
        {version, 0, "kansu 1.0\n", ""},
        {unknown, 2, "",
         std::string(CP932_MESSAGES.OPTION_UNKNOWN) + "-x\n" + CP932_MESSAGES.OPTION_HINT},
        {utf8_only, -1, "", ""},
    };
    for (const Applied& c : cases) {
        std::ostringstream out, error_out;
        EXPECT_EQ(Apply_Options(c.options, out, error_out), c.status) << c.status;
        EXPECT_EQ(out.str(), c.out);
        EXPECT_EQ(error_out.str(), c.error_out);
        EXPECT_EQ(Utf8_Active(), c.options.utf8);
    }
    Use_Utf8(false);
}

}  // namespace
