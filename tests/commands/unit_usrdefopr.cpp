// The user-function commands' pieces that work without the console dialogue:
// messages, the argument check and the reading of save-file records.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cout_capture.h"
#include "session.h"
#include "console/consoleio.h"
#include "formula/formulatext.h"
#include "commands/usrdefopr.h"
#include "files/safefile.h"

namespace {

std::string U32(unsigned long value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::string U16(unsigned value) {
    return std::string(1, static_cast<char>(value & 0xFF)) + static_cast<char>((value >> 8) & 0xFF);
}

std::string Record(const std::string& name, int arg_count, const std::string& definition) {
    std::string body = U32(name.size() + 1) + name + std::string(1, '\0') + U16(arg_count) + U16(8);
    for (int i = 0; i < arg_count; ++i) body += U16(8);
    body += U32(definition.size() + 1) + definition + std::string(1, '\0');
    return U32(body.size() + 4) + body;
}

// A scratch file holding the given bytes, removed afterwards.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& bytes) : path_(Make_Path()) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ~ScratchFile() { std::remove(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    static std::string Make_Path() {
        static int counter = 0;
        return "/tmp/kansu-unit-usrdefopr-" + std::to_string(::getpid()) + "-" +
               std::to_string(++counter) + ".dat";
    }
    std::string path_;
};

std::string EnrollMessage(int code) {
    CoutCapture output;
    EXPECT_EQ(Show_EnrollError(code), code);
    return output.Text();
}

std::string SaveMessage(int code) {
    CoutCapture output;
    EXPECT_EQ(Show_SvUsrfuncError(code), 1);
    return output.Text();
}

TEST(EnrollMessages, EachCodeHasItsPairOfTexts) {
    EXPECT_EQ(EnrollMessage(1), "");
    EXPECT_EQ(EnrollMessage(0), Cp932("関数登録に失敗しました\n関数名の入力に失敗しました。\n"));
    EXPECT_EQ(EnrollMessage(-1),
              Cp932("関数登録に失敗しました\n関数定義式の入力に失敗しました。\n"));
    EXPECT_EQ(EnrollMessage(-2), Cp932("関数登録に失敗しました\n入力値に間違いがあります。\n"));
    EXPECT_EQ(EnrollMessage(-3), Cp932("同じ名前のアプリケーション定義の関数が存在します。\n"
                                       "違う名前にして下さい\n"));
    EXPECT_EQ(EnrollMessage(-4), "");
    EXPECT_EQ(EnrollMessage(2), "");
}

TEST(SaveMessages, EachCodeHasItsText) {
    const std::vector<std::pair<int, std::string>> texts = {
        {SAVE_NO_SAVE_FILE, "[保存ファイル存在時]ファイルパスが未定義または保存ファイルではない"},
        {SAVE_WORK_COPY_FAILED, "[保存ファイル存在時]一時ファイルの作成に失敗"},
        {SAVE_WORK_COPY_LEFT, "[保存ファイル存在時]一時ファイルの消去に失敗"},
        {SAVE_PATH_EMPTY, "ファイルパスが入力されていません"},
        {SAVE_NOT_CREATED, "新規保存用ファイルの作成に失敗"},
        {SAVE_NOTHING_CHANGED, "保存するものがありません。または変更無し"},
        {SAVE_PATH_TAKEN, "このファイルは既に存在しています。保存ファイル名を変えてください"},
        {SAVE_FAILED, "ファイルへの保存が出来ませんでした。(原因不明)"},
        {SAVE_DENIED,
         "書き込みが許可されていません。ファイルとディレクトリのアクセス権を確かめてください"},
        {SAVE_NOT_REGULAR,
         "通常のファイルではないので使えません。保存ファイルには通常のファイルを指定してください"},
        {SAVE_LOCK_BUSY,
         "ほかの kansu が保存ファイルを使用中です。10 秒待っても終わらないので、保存を中止しました。"
         "その kansu が終わってから保存し直してください"},
        {SAVE_FILE_DAMAGED,
         "保存ファイルのレコードが壊れているので、保存しませんでした。別の保存ファイルに保存してください"},
        // The outcomes of the other commands, said through the same table.
        {LOAD_UNREADABLE, "指定ファイルをオープンするのに失敗しました。"},
        {DEFINITION_EMPTY, "関数定義の書き込みに失敗しました"},
        {DEFINITION_UNREADABLE, "保存ファイルのオープンに失敗しました"},
        {DELETE_FILE_NOT_REMOVED,
         "ユーザ関数保存用ファイルの消去に失敗しました。手動で削除してください。"},
        {DELETE_RECORD_KEPT, "ユーザ関数は削除しましたが、保存ファイルからは削除されていません。"},
    };
    for (const auto& text : texts) EXPECT_EQ(SaveMessage(text.first), Cp932(text.second + "\n"));
    // The values of the codes that existed before they had names.
    EXPECT_EQ(
        std::vector<int>({SAVE_DONE, SAVE_NO_SAVE_FILE, SAVE_WORK_COPY_FAILED, SAVE_PATH_EMPTY,
                          SAVE_NOTHING_CHANGED, SAVE_PATH_TAKEN, SAVE_FAILED}),
        std::vector<int>({1, 0, -1, -3, -8, -9, -10}));
    // A refused path was said when it was typed.
    for (int silent : {int(SAVE_DONE), -4, -6, -7, int(SAVE_PATH_TOO_LONG), 2, -31})
        EXPECT_EQ(SaveMessage(silent), "") << silent;
}

// A lock held by another run: the deletion says so and that the record stayed,
// the definition read says so alone.
TEST(SaveMessages, AFileFailureIsSaidBeforeWhatItMeansToTheCommand) {
    char folder[] = "/tmp/kansu-unit-usrdefopr-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/save.dat";
    std::ofstream(path, std::ios::binary)
        << "QVRLX10" + Record("f", 1, "a0") + Record("g", 1, "a0");
    UsrFuncArray registry(nullptr);
    ASSERT_EQ(Create_UFunctionTable(registry, path.c_str(), 0), SAVE_DONE);
    const double wait = g_lock_wait_seconds;
    g_lock_wait_seconds = 0.05;
    FolderLock other_run(path);
    std::istringstream typed("f\ng\n");
    std::streambuf* keyboard = std::cin.rdbuf(typed.rdbuf());
    CoutCapture output;
    Delete_UserFunc(registry);
    EXPECT_EQ(SetUfDef_ToUfArray(registry), SAVE_LOCK_BUSY);
    std::cin.rdbuf(keyboard);
    g_lock_wait_seconds = wait;
    std::filesystem::remove_all(folder);
    // The texts as EachCodeHasItsText has them.
    const std::string busy = SaveMessage(SAVE_LOCK_BUSY);
    EXPECT_EQ(output.Text(), Cp932("削除するユーザ関数名を入力して下さい。(79字以内)\n") + busy +
                                 SaveMessage(DELETE_RECORD_KEPT) +
                                 Cp932("使用関数名(半角79字以内)を入力して下さい :") + busy);
}

TEST(KindTexts, CodesOneToEightAndNothingElse) {
    const char* const texts[] = {"unsigned char ", "char ", "unsigned short ", "short ",
                                 "unsigned long ", "long ", "flort ",          "double "};
    for (unsigned short code = 1; code <= 8; ++code) {
        std::ostringstream out;
        EXPECT_EQ(OutPut_RetValKind(code, out), 1);
        EXPECT_EQ(out.str(), texts[code - 1]);
    }
    for (unsigned short code : {0, 9, 10, 65535}) {
        std::ostringstream out;
        EXPECT_EQ(OutPut_RetValKind(code, out), 0);
        EXPECT_EQ(out.str(), "");
    }
}

// Items as the scanner leaves them: the variables are kind 2, summation indices
// carry argm_num -1.
void SetItem(CompForm& item, const char* text, int kind, int argm_num = 1) {
    std::snprintf(item.CompArray, sizeof item.CompArray, "%s", text);
    item.kind = kind;
    item.argm_num = argm_num;
}

TEST(ArgumentCheck, ExactlyTheArgumentsEachAtLeastOnce) {
    CompForm items[5];
    // a1 * a0 + a1
    SetItem(items[0], "a1", KIND_VARIABLE);
    SetItem(items[1], "*", KIND_OPERATOR);
    SetItem(items[2], "a0", KIND_VARIABLE);
    SetItem(items[3], "+", KIND_OPERATOR);
    SetItem(items[4], "a1", KIND_VARIABLE);
    EXPECT_EQ(Check_ArgKind(items, 2, 5), 1);
    EXPECT_EQ(Check_ArgKind(items, 3, 5), 0);
    EXPECT_EQ(Check_ArgKind(items, 1, 5), 0);
    // a2 * a0 + a2: two names, but a1 is missing.
    SetItem(items[0], "a2", KIND_VARIABLE);
    SetItem(items[4], "a2", KIND_VARIABLE);
    EXPECT_EQ(Check_ArgKind(items, 2, 5), -1);
}

TEST(ArgumentCheck, SummationIndicesAndNumbersAreNotArguments) {
    CompForm items[3];
    SetItem(items[0], "n", KIND_VARIABLE, -1);
    SetItem(items[1], "*", KIND_OPERATOR);
    SetItem(items[2], "2", KIND_NUMBER);
    EXPECT_EQ(Check_ArgKind(items, 0, 3), 1);
    EXPECT_EQ(Check_ArgKind(items, 1, 3), 0);
    SetItem(items[2], "x", KIND_VARIABLE);
    EXPECT_EQ(Check_ArgKind(items, 0, 3), 0);
    EXPECT_EQ(Check_ArgKind(items, 1, 3), -1);
}

TEST(ArgumentCheck, TwelveArgumentsByDecimalName) {
    CompForm items[12];
    for (int i = 0; i < 12; ++i)
        SetItem(items[i], ("a" + std::to_string(11 - i)).c_str(), KIND_VARIABLE);
    EXPECT_EQ(Check_ArgKind(items, 12, 12), 1);
    SetItem(items[0], "a011", KIND_VARIABLE);
    EXPECT_EQ(Check_ArgKind(items, 12, 12), -1);
}

// Lists one record with the given reader and reports what it wrote.
std::string ListWith(int (*reader)(std::ifstream&, std::ostream&), const std::string& bytes,
                     int expected_result, long expected_position) {
    ScratchFile file(bytes);
    std::ifstream in(file.Path(), std::ios::in | std::ios::binary);
    std::ostringstream out;
    EXPECT_EQ(reader(in, out), expected_result);
    if (expected_position >= 0) {
        EXPECT_EQ(static_cast<long>(in.tellg()), expected_position);
    }
    return out.str();
}

TEST(RecordListing, AWholeRecordAndTheNextOneAfterIt) {
    const std::string two = Record("fun", 2, "a0+a1") + Record("g", 0, "1");
    EXPECT_EQ(ListWith(OutPut_Record, two, 1, Record("fun", 2, "a0+a1").size()),
              "double  fun(double a0,double a1) = a0+a1\n\n");
    EXPECT_EQ(ListWith(OutPut_FuncName, two, 1, Record("fun", 2, "a0+a1").size()), "fun\n\n");
    EXPECT_EQ(ListWith(OutPut_FileDef, U32(5) + std::string("a0*2\0", 5), 1, 9), "a0*2");
}

TEST(RecordListing, ARecordThatDoesNotLieWholeInTheFileWritesNothing) {
    const std::string good = Record("h", 1, "a0*3");
    const std::string broken[] = {
        "",
        good.substr(0, 3),
        good.substr(0, 12),
        good.substr(0, good.size() - 1),  // definition's NUL missing
        good.substr(0, 4) + U32(0xFFFFFFFFu) + good.substr(8),
        good.substr(0, 4) + U32(0) + good.substr(8),
        good.substr(0, 4) + U32(1) + good.substr(8),  // "h" is not a NUL
        good.substr(0, 10) + U16(0xFFFF) + good.substr(12),
        good.substr(0, 16) + U32(0) + good.substr(20),
        good.substr(0, 16) + U32(0x80000000u) + good.substr(20),
    };
    for (const std::string& bytes : broken) {
        EXPECT_EQ(ListWith(OutPut_Record, bytes, 0, -1), "") << bytes.size() << " bytes";
    }
}

TEST(RecordListing, NamesNeedAWholeRecordOfTheStatedLength) {
    const std::string good = Record("h", 1, "a0*3");
    // Lengths that would not advance, stop inside the head, disagree with the
    // fields or run past the end of the file.
    for (unsigned long length : {0ul, 4ul, 9ul, 24ul, 26ul, 0xFFFFFFFFul}) {
        EXPECT_EQ(ListWith(OutPut_FuncName, U32(length) + good.substr(4), 0, -1), "")
            << "length " << length;
    }
    EXPECT_EQ(ListWith(OutPut_FuncName, good.substr(0, 4) + U32(2) + "hh" + good.substr(10), 0, -1),
              "");
    EXPECT_EQ(ListWith(OutPut_FuncName, good + "x", 1, 25), "h\n\n");
}

TEST(RecordListing, DefinitionFieldsAreChecked) {
    EXPECT_EQ(ListWith(OutPut_FileDef, U32(6) + std::string("a0*2\0", 5), 0, -1), "");
    EXPECT_EQ(ListWith(OutPut_FileDef, U32(4) + "a0*2", 0, -1), "");
    EXPECT_EQ(ListWith(OutPut_FileDef, U32(5) + std::string("a0\0*2", 5), 0, -1), "");
    EXPECT_EQ(ListWith(OutPut_FileDef, U32(2), 0, -1), "");
    EXPECT_EQ(ListWith(OutPut_FileDef, std::string("\x05\0\0", 3), 0, -1), "");
    // A length of 0 is the empty text.
    EXPECT_EQ(ListWith(OutPut_FileDef, U32(0), 1, 4), "");
}

TEST(SaveFileListing, ListsUntilABrokenRecord) {
    ScratchFile file("QVRLX10" + Record("f", 1, "a0*2") + Record("g", 0, "3.14*2") + U32(99));
    std::ostringstream names, records;
    EXPECT_EQ(Create_UserFuncList(file.Path().c_str(), names, 0), 1);
    EXPECT_EQ(names.str(), "f\n\ng\n\n");
    EXPECT_EQ(Create_UserFuncList(file.Path().c_str(), records, 1), 1);
    EXPECT_EQ(records.str(), "double  f(double a0) = a0*2\n\ndouble  g() = 3.14*2\n\n");
}

TEST(SaveFileListing, NotASaveFile) {
    ScratchFile file("QVRLX1");
    std::ostringstream out;
    EXPECT_EQ(Create_UserFuncList(file.Path().c_str(), out, 1), 0);
    EXPECT_EQ(Create_UserFuncList("/nonexistent/kansu.dat", out, 0), 0);
    EXPECT_EQ(out.str(), "");
}

struct PathCase {
    const char* typed;
    bool skip_empty_lines;
    PathReading reading;
    std::string path;
    std::string left;  // what the next read sees
};

TEST(PathReading, TheWholeLineWithoutItsSurroundingBlanks) {
    const std::string longest(255, 'p');
    const std::vector<PathCase> cases = {
        {"  my funcs.dat \t\nnext", true, PATH_TYPED, "my funcs.dat", "next"},
        {"\n\n C:\\Users\\Taro Yamada\\f.dat\r\n", true, PATH_TYPED,
         "C:\\Users\\Taro Yamada\\f.dat", ""},
        {"\nnext\n", false, PATH_EMPTY, "", "next\n"},
        {"   \n", true, PATH_EMPTY, "", ""},
        {"", true, PATH_EMPTY, "", ""},
    };
    for (const PathCase& typed : cases) {
        SCOPED_TRACE(typed.typed);
        std::istringstream in(typed.typed);
        std::string path = "old";
        EXPECT_EQ(Read_PathLine(in, &path, 255, typed.skip_empty_lines), typed.reading);
        EXPECT_EQ(path, typed.path);
        in.clear();
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), typed.left);
    }
    std::istringstream exact(longest + "\n" + longest + "q\nnext");
    std::string path;
    EXPECT_EQ(Read_PathLine(exact, &path, 255, true), PATH_TYPED);
    EXPECT_EQ(path, longest);
    CoutCapture capture;
    EXPECT_EQ(Read_PathLine(exact, &path, 255, true), PATH_TOO_LONG);
    EXPECT_EQ(path, "");
    EXPECT_EQ(capture.Text(),
              Cp932(PlatformText("パスが長すぎます。半角 255 文字以内で入力してください\n")));
}

}  // namespace
