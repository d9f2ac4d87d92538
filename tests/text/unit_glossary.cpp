// The Japanese written since the original dialogue keeps to one vocabulary:
// the newer messages, the Japanese manual page, README.ja.md and docs/*.ja.md.
// Code spans and blocks are left out of the READMEs, since they quote the program, whose
// original texts stay word for word.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

// A form the vocabulary rejects, and what is written instead.
const struct {
    const char* pattern;
    const char* instead;
} REJECTED[] = {
    {"ほかの実行", "ほかの kansu"},
    {"普通のファイル", "通常のファイル"},
    {"標準エラー(?!出力)", "標準エラー出力"},
    {"下さい", "ください"},
    {"ユーザ関数", "ユーザ定義関数"},
    {"計算結果ファイル|計算結果のファイル|記録", "結果ファイル, 計算結果 or レコード"},
    {"作業コピー", "作業用コピー"},
    {"書き足", "追記"},
    {"(一|二|三|四|五|六|七|八|九)(つ|行|個)", "1 つ, 1 行, 8 個"},
    {"[0-9](個|行|つ|文字|秒|桁|回|点|項|バイト)", "a blank between number and counter"},
};

std::string Source(const std::string& relative) {
    std::ifstream in(std::string(KANSU_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every rejected form in the text, one per line with the word to use.
std::string Rejected(const std::string& text) {
    std::string found;
    for (const auto& form : REJECTED) {
        std::regex pattern(form.pattern);
        for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
            size_t line_start = text.rfind('\n', it->position()) + 1;
            found += it->str() + " (use " + form.instead +
                     "): " + text.substr(line_start, text.find('\n', it->position()) - line_start) +
                     "\n";
        }
    }
    return found;
}

TEST(Glossary, EachRejectedFormIsFound) {
    for (const char* text :
         {"ほかの実行が", "普通のファイル", "標準エラーに", "入力して下さい", "ユーザ関数",
          "計算結果の記録", "作業コピー", "書き足しました", "八つ", "一行", "10秒", "1個"})
        EXPECT_NE(Rejected(text), "") << text;
    EXPECT_EQ(Rejected("ほかの kansu が標準エラー出力に 1 行、8 個、3 つ、10 秒。ユーザ定義関数"),
              "");
}

TEST(Glossary, NewerMessagesKeepToIt) {
    std::string table = Source("src/text/messages.def");
    size_t newer = table.find("// The texts above are the original dialogue's");
    ASSERT_NE(newer, std::string::npos);
    std::string found = Rejected(table.substr(newer));
    EXPECT_TRUE(found.empty()) << found;
}

TEST(Glossary, JapaneseManualPageKeepsToIt) {
    std::string found = Rejected(Source("man/ja/kansu.1"));
    EXPECT_TRUE(found.empty()) << found;
}

TEST(Glossary, JapaneseReadmeProseKeepsToIt) {
    for (const char* document : {"README.ja.md", "docs/dialogue.ja.md", "docs/scripting.ja.md",
                                 "docs/files.ja.md", "docs/benchmark.ja.md"}) {
        std::string text = Source(document);
        EXPECT_FALSE(text.empty()) << document;
        std::string prose = std::regex_replace(text, std::regex("\n    [^\n]*|`[^`]*`"), "\n");
        std::string found = Rejected(prose);
        EXPECT_TRUE(found.empty()) << document << ":\n" << found;
    }
}

}  // namespace
