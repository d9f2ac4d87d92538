// Texts of the user-function commands and save-file bytes, shared by the
// scenario_userfunc_*.cpp tests. Texts are UTF-8; SameText converts them.
#ifndef KANSU_TESTS_USERFUNC_DIALOGUE_H
#define KANSU_TESTS_USERFUNC_DIALOGUE_H

#include <string>
#include <utility>
#include <vector>

#include "session.h"

namespace userfunc_test {

inline std::string Start() { return HelpScreen() + MenuText(); }

// One command at the prompt: the prompt, what the command wrote, the two line
// feeds after every command and the menu again.
inline std::string AtPrompt(const std::string& command_output) {
    return "実行したいコマンドを入力して下さい :" + command_output + "\n\n" + MenuText();
}

inline std::string SaveQuestion() {
    return "ユーザ定義関数の変更を保存しますか? Yes-->1 No-->2 \n";
}

// "a0 , a1 , ... , a(n-1)"
inline std::string ArgNames(int arg_count, const std::string& separator) {
    std::string names;
    for (int i = 0; i < arg_count; ++i) {
        if (i > 0) names += separator;
        names += "a" + std::to_string(i);
    }
    return names;
}

// The enroll questions up to the definition, for a count of arg_count.
inline std::string EnrollAsked(int arg_count) {
    std::string text =
        "ユーザ定義関数を登録します。続ける-->1 やめる--->0\n"
        "関数名を入力して下さい (半角79字以内) :"
        "引数の数を入力して下さい(0以上) :"
        "\n関数定義式を入力して下さい。\n";
    if (arg_count > 0)
        text += "但し関数定義式に与える引数は、" + ArgNames(arg_count, " , ") +
                "\nを使ってください。\n";
    return text;
}

// A whole successful enroll with the listing line of the enrolled function.
inline std::string Enrolled(int arg_count, const std::string& listing_line) {
    return EnrollAsked(arg_count) + "登録された関数は\n" + listing_line + "\n";
}

inline std::string EnrollRefused() {
    return "関数登録に失敗しました\n入力値に間違いがあります。\n";
}

// Typed input of one enroll command.
inline std::string TypeEnroll(const std::string& name, int arg_count,
                              const std::string& definition) {
    return "-1\nEnrUsrfunc\n1\n" + name + "\n" + std::to_string(arg_count) + "\n" + definition +
           "\n";
}

inline std::string NotAFormula() { return "これは式になってないぞ！プンプン\n\n"; }

inline std::string ListQuestions() {
    return "ユーザ関数のリストを表示する先を選んで下さい\n"
           "0 標準出力 : 1 外部ファイル(テキストファイル) :"
           "出力する内容を選んで下さい。\n"
           "0 関数名のみ  1全内容(返し値 :関数名:引数：関数定義) :";
}

inline std::string AskListFile() { return "出力先ファイルを入力してください。 :"; }

inline std::string AskSaveFile() { return "定義関数保存ファイルを指定して下さい :"; }

inline std::string NoSourceFile() {
    return "\n保存元のファイルを開くのに失敗しました。または保存元ファイルは存在しません。\n";
}

inline std::string CheckAnswer(const std::string& name, int status) {
    std::string text = "ユーザ関数名を入力して下さい。関数 " + name;
    if (status == 1) return text + " は登録されていますが内容は未定義です。\n";
    if (status == 2) return text + " は登録されています。内容も定義済みです\n";
    return text + " は登録されていません。\n";
}

inline std::string LoadAsked() {
    return "ユーザ関数の保存ファイルパスを入力して下さい(半角255文字以内) : "
           "登録関数すべての関数定義をセットしますか? Yes 1 : No 0 入力\n";
}

inline std::string AskChooseNow() {
    return "使用する関数をここで指示しますか? Yes-->1 No-->0 を入力 :";
}

inline std::string AskDefName() { return "使用関数名(半角79字以内)を入力して下さい :"; }

inline std::string AskDefMore() {
    return "引き続き使用関数の指定をおこないますか? Yes-->1 No-->0 :";
}

using FileList = std::vector<std::pair<std::string, std::string>>;  // name, bytes

// One typed session and the console output it must give; every case runs in a
// fresh folder holding the files before, must end with status 0 and leave the
// files after with these bytes (and no other file when only_these).
struct DialogueCase {
    const char* what;
    std::string typed;
    std::string expected;
    FileList before = {};
    FileList after = {};
    bool only_these = false;
};

inline void ExpectDialogues(const std::vector<DialogueCase>& cases) {
    for (const DialogueCase& dialogue : cases) {
        SCOPED_TRACE(dialogue.what);
        Session session;
        for (const auto& file : dialogue.before) session.WriteFile(file.first, file.second);
        SessionResult result = session.Run(dialogue.typed);
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_TRUE(SameText(dialogue.expected, result.output));
        std::vector<std::string> names;
        for (const auto& file : dialogue.after) {
            names.push_back(file.first);
            EXPECT_EQ(session.ReadFile(file.first), file.second) << file.first;
        }
        if (dialogue.only_these) {
            EXPECT_EQ(session.Files(), names);
        }
    }
}

// Save-file bytes, little-endian as the file format lays them out.
inline std::string U32(unsigned long value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

inline std::string U16(unsigned value) {
    return std::string(1, static_cast<char>(value & 0xFF)) + static_cast<char>((value >> 8) & 0xFF);
}

inline std::string FileId() { return "QVRLX10"; }

// A well-formed record: every argument of kind 8 (double), result kind 8.
inline std::string Record(const std::string& name, int arg_count, const std::string& definition) {
    std::string body = U32(name.size() + 1) + name + std::string(1, '\0') + U16(arg_count) + U16(8);
    for (int i = 0; i < arg_count; ++i) body += U16(8);
    body += U32(definition.size() + 1) + definition + std::string(1, '\0');
    return U32(body.size() + 4) + body;
}

// Broken records behind a whole one: each must end a load or a listing there.
inline std::vector<std::string> BrokenRecordsAfter(const std::string& whole) {
    const std::string next = Record("h", 1, "a0*3");
    return {
        whole + next.substr(0, 12),                                     // truncated record
        whole + next.substr(0, 4) + U32(0xFFFFFFFFu) + next.substr(8),  // huge name length
        whole + next.substr(0, 4) + U32(0x7FFFFFFFu),                   // name past the end
        whole + next.substr(0, 16) + U32(0x7FFFFFFFu) + "a0*3",         // huge definition length
        whole + next.substr(0, 16) + U32(0) + "a0*3",                   // definition length 0
        whole + next.substr(0, 16) + U32(4) + "a0*3",                   // definition without NUL
        whole + next.substr(0, 4) + U32(1) + "h" + next.substr(10),     // name without NUL
        whole + next.substr(0, 4) + U32(0) + next.substr(10),           // name length 0
        whole + next.substr(0, 10) + U16(0xFFFF) + U16(8) + "ab",       // huge argument count
        whole + "\x01\x02\x03",                                         // a few stray bytes
    };
}

}  // namespace userfunc_test

#endif
