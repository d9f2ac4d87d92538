// The message table in its two encodings, and the command-line options.
#include "text/messages.h"
#include "app/options.h"
#include "session.h"

#include <string>
#include <vector>

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

struct OptionCase {
    std::vector<const char*> words;
    bool utf8, help, version;
    std::string unknown;
    bool plot = false;
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
        {{"--plot", "--utf8"}, true, false, false, "", true},
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
        EXPECT_EQ(parsed.plot, c.plot) << shown;
    }
}

// --digits and --threads take the next word, a count from 1 to 17 or 64.
TEST(Options, CountsAfterAnOption) {
    struct CountCase {
        std::vector<const char*> words;
        int digits;
        bool digits_refused;
        int threads = 0;
        bool threads_refused = false;
    };
    const CountCase cases[] = {
        {{}, 6, false},
        {{"--digits", "10"}, 10, false},
        {{"--digits", "1", "--utf8"}, 1, false},
        {{"--digits", "17"}, 17, false},
        {{"--digits", "0"}, 6, true},
        {{"--digits", "18"}, 6, true},
        {{"--digits", "-3"}, 6, true},
        {{"--digits", "7x"}, 6, true},
        {{"--digits", "017"}, 6, true},
        {{"--digits"}, 6, true},
        {{"--threads", "1"}, 6, false, 1},
        {{"--threads", "64", "--digits", "8"}, 8, false, 64},
        {{"--threads", "65"}, 6, false, 0, true},
        {{"--threads", "0"}, 6, false, 0, true},
        {{"--threads", ""}, 6, false, 0, true},
        {{"--threads"}, 6, false, 0, true},
    };
    for (const CountCase& c : cases) {
        std::vector<const char*> argv{"kansu"};
        argv.insert(argv.end(), c.words.begin(), c.words.end());
        CommandOptions parsed = Parse_Options(static_cast<int>(argv.size()), argv.data());
        std::string shown = c.words.empty() ? "(none)" : c.words[0];
        if (c.words.size() > 1) shown += std::string(" ") + c.words[1];
        EXPECT_EQ(c.digits, parsed.digits) << shown;
        EXPECT_EQ(c.digits_refused, parsed.digits_refused) << shown;
        EXPECT_EQ(c.threads, parsed.threads) << shown;
        EXPECT_EQ(c.threads_refused, parsed.threads_refused) << shown;
        EXPECT_EQ("", parsed.unknown) << shown;
    }
}

}  // namespace
