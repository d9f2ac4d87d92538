// The commands ShowUfList (the registry) and ShowUfList2 (a save file).
#include <string>
#include <vector>

#include "session.h"
#include "userfunc_dialogue.h"

namespace {
using namespace userfunc_test;

const std::string kNoFunctions = "ユーザ関数は、ひとつもセットされていません\n";
const std::string kFgFile =
    FileId() + Record("f", 1, "a0*2") + Record("g", 0, "3.14*2") + Record("h", 2, "a0+a1");
const std::string kFgNames = "f\n\ng\n\nh\n\n";
const std::string kFgRecords =
    "double  f(double a0) = a0*2\n\n"
    "double  g() = 3.14*2\n\n"
    "double  h(double a0,double a1) = a0+a1\n\n";

std::string EnrollFgh() {
    return TypeEnroll("h", 2, "a0+a1") + TypeEnroll("f", 1, "a0*2") + TypeEnroll("g", 0, "3.14*2");
}

std::string EnrolledFgh() {
    return AtPrompt(Enrolled(2, "double h( a0 , a1 ) = a0+a1")) +
           AtPrompt(Enrolled(1, "double f( a0 ) = a0*2")) +
           AtPrompt(Enrolled(0, "double g( void ) = 3.14*2"));
}

TEST(ShowUfListScenario, AnEmptyRegistryToAFileLeavesItEmpty) {
    Session session;
    SessionResult result = session.Run("-1\nShowUfList\n1\n1\nlist.txt\n-1\nShowUfList\n0\n0\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + AtPrompt(ListQuestions() + AskListFile() + kNoFunctions) +
                             AtPrompt(ListQuestions() + kNoFunctions),
                         result.output));
    EXPECT_EQ(session.Files(), std::vector<std::string>{"list.txt"});
    EXPECT_EQ(session.ReadFile("list.txt"), "");
}

TEST(ShowUfListScenario, NamesAndFullContentInNameOrder) {
    Session session;
    SessionResult result =
        session.Run(EnrollFgh() + "-1\nShowUfList\n0\n0\n-1\nShowUfList\n0\n1\n0\n2\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(
        Start() + EnrolledFgh() +
            AtPrompt(ListQuestions() + "f : 関数定義済み\ng : 関数定義済み\nh : 関数定義済み\n\n") +
            AtPrompt(ListQuestions() + "double f( a0 ) = a0*2\n\n"
                                       "double g( void ) = 3.14*2\n\n"
                                       "double h( a0 , a1 ) = a0+a1\n\n\n") +
            SaveQuestion(),
        result.output));
}

TEST(ShowUfListScenario, ToAFileTruncatingIt) {
    Session session;
    session.WriteFile("list.txt", "old content that must go\n");
    SessionResult result = session.Run(EnrollFgh() + "-1\nShowUfList\n1\n1\nlist.txt\n" +
                                       "-1\nShowUfList\n1\n7\nnames.txt\n0\n2\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + EnrolledFgh() + AtPrompt(ListQuestions() + AskListFile()) +
                             AtPrompt(ListQuestions() + AskListFile()) + SaveQuestion(),
                         result.output));
    EXPECT_TRUE(
        SameText("double f( a0 ) = a0*2\n\ndouble g( void ) = 3.14*2\n\n"
                 "double h( a0 , a1 ) = a0+a1\n\n\n",
                 session.ReadFile("list.txt")));
    // Any content answer but 1 lists the names.
    EXPECT_TRUE(SameText("f : 関数定義済み\ng : 関数定義済み\nh : 関数定義済み\n\n",
                         session.ReadFile("names.txt")));
}

TEST(ShowUfListScenario, AListFileThatCannotBeWritten) {
    Session session;
    // A missing directory cannot be created; a full device cannot take the
    // listing, which must not pass for written.
    SessionResult result = session.Run(TypeEnroll("f", 1, "a0*2") +
                                       "-1\nShowUfList\n1\n1\nnodir/list.txt\n"
                                       "-1\nShowUfList\n1\n1\n/dev/full\n0\n2\n");
    EXPECT_EQ(result.exit_status, 0);
    const std::string failed =
        AtPrompt(ListQuestions() + AskListFile() + "出力先の作成に失敗しました\n");
    EXPECT_TRUE(SameText(
        Start() + AtPrompt(Enrolled(1, "double f( a0 ) = a0*2")) + failed + failed + SaveQuestion(),
        result.output));
    EXPECT_TRUE(session.Files().empty());
}

TEST(ShowUfList2Scenario, NamesAndFullContentInFileOrder) {
    Session session;
    session.WriteFile("fgh.dat", kFgFile);
    SessionResult result = session.Run(
        "-1\nShowUfList2\nfgh.dat\n0\n0\n-1\nShowUfList2\nfgh.dat\n0\n1\n-1\nCheckUfList\nf\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    // The listing reads the file only: f is not registered afterwards.
    EXPECT_TRUE(SameText(Start() + AtPrompt(AskSaveFile() + ListQuestions() + kFgNames) +
                             AtPrompt(AskSaveFile() + ListQuestions() + kFgRecords) +
                             AtPrompt(CheckAnswer("f", 0)),
                         result.output));
}

TEST(ShowUfList2Scenario, AFileWrittenBySaveUsrfunc) {
    Session session;
    SessionResult result = session.Run(EnrollFgh() + "-1\nSaveUsrfunc\nfgh.dat\n" +
                                       "-1\nShowUfList2\nfgh.dat\n1\n0\nnames.txt\n"
                                       "-1\nShowUfList2\nfgh.dat\n1\n1\nall.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + EnrolledFgh() + AtPrompt("保存ファイルパスを指定して下さい :") +
                             AtPrompt(AskSaveFile() + ListQuestions() + AskListFile()) +
                             AtPrompt(AskSaveFile() + ListQuestions() + AskListFile()),
                         result.output));
    EXPECT_EQ(session.ReadFile("fgh.dat"), kFgFile);
    EXPECT_EQ(session.ReadFile("names.txt"), PlatformText(kFgNames));
    EXPECT_EQ(session.ReadFile("all.txt"), PlatformText(kFgRecords));
}

TEST(ShowUfList2Scenario, OtherKindCodesAreListedByTheirTexts) {
    Session session;
    // Result kind 3, argument kinds 1 to 7 and one unknown code 9.
    std::string body = U32(2) + std::string("k\0", 2) + U16(8) + U16(3);
    for (unsigned kind : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 9u}) body += U16(kind);
    body += U32(2) + std::string("1\0", 2);
    session.WriteFile("kinds.dat", FileId() + U32(body.size() + 4) + body);
    SessionResult result = session.Run("-1\nShowUfList2\nkinds.dat\n0\n1\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + AtPrompt(AskSaveFile() + ListQuestions() +
                                            "unsigned short  k(unsigned char a0,char a1,"
                                            "unsigned short a2,short a3,unsigned long a4,long a5,"
                                            "flort a6,a7) = 1\n\n"),
                         result.output));
}

TEST(ShowUfList2Scenario, NotASaveFileOrMissing) {
    Session session;
    session.WriteFile("text.dat", "just some text\n");
    SessionResult result = session.Run(
        "-1\nShowUfList2\ntext.dat\n0\n1\n-1\nShowUfList2\nnone.dat\n0\n0\n"
        "-1\nShowUfList2\ntext.dat\n1\n0\nlist.txt\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(
        SameText(Start() + AtPrompt(AskSaveFile() + ListQuestions() + NoSourceFile()) +
                     AtPrompt(AskSaveFile() + ListQuestions() + NoSourceFile()) +
                     AtPrompt(AskSaveFile() + ListQuestions() + AskListFile() + NoSourceFile()),
                 result.output));
    EXPECT_EQ(session.ReadFile("list.txt"), "");
    EXPECT_EQ(session.ReadFile("text.dat"), "just some text\n");
}

TEST(ShowUfList2Scenario, AListFileThatCannotBeCreated) {
    Session session;
    session.WriteFile("fgh.dat", kFgFile);
    SessionResult result = session.Run(
        "-1\nShowUfList2\nfgh.dat\n1\n1\nnodir/list.txt\n"
        "-1\nShowUfList2\nfgh.dat\n1\n1\n/dev/full\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    const std::string failed = AtPrompt(AskSaveFile() + ListQuestions() + AskListFile() +
                                        "\n出力先の作成に失敗しました\n");
    EXPECT_TRUE(SameText(Start() + failed + failed, result.output));
}

// Save files are untrusted: a record that does not lie whole inside the file
// ends the listing with what was listed before it.
TEST(ShowUfList2Scenario, BrokenRecordsEndTheListing) {
    const std::vector<std::string> files = BrokenRecordsAfter(FileId() + Record("f", 1, "a0*2"));
    for (size_t i = 0; i < files.size(); ++i) {
        Session session;
        session.WriteFile("bad.dat", files[i]);
        SessionResult result =
            session.Run("-1\nShowUfList2\nbad.dat\n0\n0\n-1\nShowUfList2\nbad.dat\n0\n1\n0\n");
        EXPECT_EQ(result.exit_status, 0) << "file " << i;
        EXPECT_TRUE(SameText(
            Start() + AtPrompt(AskSaveFile() + ListQuestions() + "f\n\n") +
                AtPrompt(AskSaveFile() + ListQuestions() + "double  f(double a0) = a0*2\n\n"),
            result.output))
            << "file " << i;
    }
}

TEST(ShowUfList2Scenario, RecordLengthsThatWouldNotAdvance) {
    const std::string good = FileId() + Record("f", 1, "a0*2");
    const std::string next = Record("h", 1, "a0*3");
    for (unsigned long length : {0ul, 4ul, 9ul, 0xFFFFFFFFul}) {
        Session session;
        session.WriteFile("bad.dat", good + U32(length) + next.substr(4));
        SessionResult result = session.Run("-1\nShowUfList2\nbad.dat\n0\n0\n0\n");
        EXPECT_EQ(result.exit_status, 0) << "length " << length;
        // The names listing walks by record length: a length that does not cover
        // the record's head and name, or runs past the end, ends it.
        EXPECT_TRUE(
            SameText(Start() + AtPrompt(AskSaveFile() + ListQuestions() + "f\n\n"), result.output))
            << "length " << length;
    }
}

TEST(ShowUfList2Scenario, OnlyTheIdentifierListsNothing) {
    Session session;
    session.WriteFile("id.dat", FileId());
    SessionResult result =
        session.Run("-1\nShowUfList2\nid.dat\n0\n1\n-1\nShowUfList2\nid.dat\n0\n0\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(Start() + AtPrompt(AskSaveFile() + ListQuestions()) +
                             AtPrompt(AskSaveFile() + ListQuestions()),
                         result.output));
}

}  // namespace
