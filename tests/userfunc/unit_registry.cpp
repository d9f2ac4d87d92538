// The sorted name list and the registry of user-defined functions, in memory.
#include "cout_capture.h"
#include "session.h"

#include <algorithm>
#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "userfunc/baselnlist.h"
#include "formula/symbol.h"
#include "userfunc/usrfunc.h"

namespace {

std::vector<std::string> Labels(BaseLnList* root) {
    std::vector<std::string> labels;
    for (BaseLnList* node = root; node != nullptr; node = node->NextPnt())
        labels.push_back(node->Value());
    return labels;
}

std::vector<std::string> Names(const UsrFuncArray& registry) {
    std::vector<std::string> names;
    for (UsrFuncProp* entry = registry.FirstPnt(); entry != nullptr; entry = entry->NextPnt())
        names.push_back(entry->label);
    return names;
}

std::string Definition_Text(UsrFuncProp* entry) {
    unsigned short arg_count = 0;
    unsigned short ret_kind = 0;
    char* text = entry->GetFuncDef(&arg_count, &ret_kind);
    std::string result = text != nullptr ? text : "(null)";
    delete[] text;
    return result;
}

// Tests with a registry of their own.
class WithRegistry : public ::testing::Test {
protected:
    UsrFuncArray registry_{nullptr};
};
using Registry = WithRegistry;
using Definition = WithRegistry;

// ---- Name list ----

TEST(NameList, EveryInsertionOrderGivesByteOrder) {
    std::vector<std::string> keys = {"f2", "f10", "F"};
    std::sort(keys.begin(), keys.end());
    do {
        BaseLnList* root = nullptr;
        for (const std::string& key : keys) EXPECT_EQ(Add_List(root, key.c_str()), 1);
        EXPECT_EQ(Labels(root), (std::vector<std::string>{"F", "f10", "f2"}));
        Delete_List(root);
    } while (std::next_permutation(keys.begin(), keys.end()));
}

TEST(NameList, DuplicateIsRefusedAndListUnchanged) {
    BaseLnList* root = nullptr;
    EXPECT_EQ(Add_List(root, "b"), 1);
    EXPECT_EQ(Add_List(root, "a"), 1);
    EXPECT_EQ(Add_List(root, "b"), 0);
    EXPECT_EQ(Labels(root), (std::vector<std::string>{"a", "b"}));
    Delete_List(root);
}

TEST(NameList, SerchReturnsTheLinkOfTheFirstNameNotBelowTheKey) {
    BaseLnList* root = nullptr;
    Add_List(root, "b");
    Add_List(root, "d");
    int state = -1;
    BaseLnList** link = Serch(&root, "a", &state);
    EXPECT_EQ(link, &root);
    EXPECT_EQ(state, 0);
    link = Serch(&root, "b", &state);
    EXPECT_EQ(link, &root);
    EXPECT_EQ(state, 1);
    link = Serch(&root, "c", &state);
    EXPECT_EQ(link, &root->the_next);
    EXPECT_EQ(state, 0);
    link = Serch(&root, "e", &state);
    EXPECT_EQ(link, &root->the_next->the_next);
    EXPECT_EQ(*link, nullptr);
    EXPECT_EQ(state, 0);
    // Bytes compare as unsigned: a code page 932 lead byte sorts after ASCII.
    EXPECT_EQ(Add_List(root, "\x82\xa0"), 1);
    EXPECT_EQ(Labels(root).back(), "\x82\xa0");
    Delete_List(root);
}

TEST(NameList, DeleteListFreesAllNodesAndClearsTheRoot) {
    BaseLnList* root = nullptr;
    Add_List(root, "x");
    Add_List(root, "y");
    Add_List(root, "z");
    EXPECT_EQ(Delete_List(root), 1);
    EXPECT_EQ(root, nullptr);  // the sanitizer build reports any node left behind
    EXPECT_EQ(Delete_List(root), 1);
    EXPECT_EQ(root, nullptr);
}

// ---- Registry in memory ----

TEST_F(Registry, EntriesStayInByteOrderWhateverTheInsertionOrder) {
    std::vector<std::string> keys = {"f2", "f10", "F"};
    std::sort(keys.begin(), keys.end());
    do {
        UsrFuncArray registry(nullptr);
        for (const std::string& key : keys)
            EXPECT_EQ(registry.AddUFncElem(key.c_str(), -1, 1, 8, nullptr), 1);
        EXPECT_EQ(Names(registry), (std::vector<std::string>{"F", "f10", "f2"}));
    } while (std::next_permutation(keys.begin(), keys.end()));
}

// Many names added in a shuffled order, a third deleted, some added again: the
// list stays in byte order and every name is found exactly when present.
TEST_F(Registry, ManyEntriesAddedAndDeletedInAnyOrder) {
    std::vector<std::string> keys;
    for (int i = 0; i < 3000; ++i) keys.push_back("f" + std::to_string(i * 7919 % 3001));
    std::mt19937 random(12345);
    std::shuffle(keys.begin(), keys.end(), random);
    std::set<std::string> present;
    for (size_t i = 0; i < keys.size(); ++i) {
        ASSERT_EQ(registry_.AddUFncElem(keys[i].c_str(), -1, 1, 8, nullptr), 1);
        present.insert(keys[i]);
        if (i % 3 != 2) continue;
        long position = 0;
        int state = 0;
        const std::string& gone = keys[i / 2];
        registry_.DelUFncElement(gone.c_str(), &position, &state);
        EXPECT_EQ(state, present.erase(gone) == 1 ? 1 : 0) << gone;
    }
    EXPECT_EQ(Names(registry_), std::vector<std::string>(present.begin(), present.end()));
    for (const std::string& key : keys)
        EXPECT_EQ(registry_.Find(key.c_str()) != nullptr, present.count(key) == 1) << key;
}

TEST_F(Registry, InsertionBetweenAndBeforeOthers) {
    registry_.AddUFncElem("f", -1, 1, 8, nullptr);
    registry_.AddUFncElem("h", -1, 1, 8, nullptr);
    registry_.AddUFncElem("g", -1, 1, 8, nullptr);
    EXPECT_EQ(Names(registry_), (std::vector<std::string>{"f", "g", "h"}));
    registry_.AddUFncElem("a", -1, 1, 8, nullptr);
    EXPECT_STREQ(registry_.FirstPnt()->label, "a");
}

TEST_F(Registry, NewEntryWithoutTextIsUndefinedAndUnchanged) {
    EXPECT_EQ(registry_.AddUFncElem("h", 7, 2, 8, nullptr), 1);
    UsrFuncProp* entry = registry_.FirstPnt();
    EXPECT_EQ(entry->filePos, 7);
    EXPECT_EQ(entry->argNum, 2);
    EXPECT_EQ(entry->rtvKind, 8);
    EXPECT_EQ(entry->chngFlag, 0);
    EXPECT_EQ(entry->funcDef, nullptr);
    EXPECT_EQ(entry->funcRoot, nullptr);
    EXPECT_EQ(entry->funcAryNum, -1);
    EXPECT_EQ(registry_.GetChangeFlag(), 0);
}

TEST_F(Registry, ReaddingARegisteredNameKeepsItsPlaceAndMarksItChanged) {
    registry_.AddUFncElem("a", -1, 1, 8, nullptr);
    registry_.AddUFncElem("b", 40, 1, 8, nullptr);
    registry_.AddUFncElem("c", -1, 1, 8, nullptr);
    EXPECT_EQ(registry_.GetChangeFlag(), 0);
    EXPECT_EQ(registry_.AddUFncElem("b", 7, 3, 8, nullptr), 2);
    EXPECT_EQ(Names(registry_), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(registry_.AccFilePos("b"), 7);
    EXPECT_EQ(registry_.PutArgNum("b"), 3);
    EXPECT_EQ(registry_.GetChangeFlag(), 1);
}

TEST_F(Registry, LookupsOfUnregisteredNamesAreNeutral) {
    registry_.AddUFncElem("g", 7, 2, 8, nullptr);
    EXPECT_EQ(registry_("f"), 0);
    EXPECT_EQ(registry_("g"), 1);  // registered without a definition
    EXPECT_EQ(registry_["f"], nullptr);
    EXPECT_EQ(registry_["g"], nullptr);
    EXPECT_EQ(registry_.PutArgNum("f"), 0);
    EXPECT_EQ(registry_.PutArgNum("g"), 2);
}

// The scanner's question: only a function with a definition may be called,
// with its own argument count.
TEST_F(Registry, DefinedFunctionsAnswerTheScanner) {
    registry_.AddUFncElem("u", -1, 3, 8, "a0+a1*a2");
    registry_.AddUFncElem("h", -1, 1, 8, nullptr);  // registered, undefined
    EXPECT_EQ(registry_.DefinedArgNum("u"), 3);
    EXPECT_EQ(registry_.DefinedArgNum("h"), -1);
    EXPECT_EQ(registry_.DefinedArgNum("k"), -1);
    CoutCapture capture;
    for (const char* text : {"u(x,1,2)", "h(x)", "k(x)"}) {
        CompForm* items = nullptr;
        int item_count = Formula_Analysis(&items, text, registry_);
        delete[] items;
        EXPECT_EQ(item_count > 0, text[0] == 'u') << text;
    }
}

TEST_F(Registry, AccFilePosGivesTheEntryFieldOrMinusTwoOnEveryCall) {
    registry_.AddUFncElem("g", -1, 1, 8, nullptr);
    registry_.AccFilePos("g") = 99;
    EXPECT_EQ(registry_.FirstPnt()->filePos, 99);
    long& absent = registry_.AccFilePos("x");
    EXPECT_EQ(absent, -2);
    absent = 1234;
    EXPECT_EQ(registry_.AccFilePos("x"), -2);
    EXPECT_EQ(registry_.AccFilePos("y"), -2);
}

TEST_F(Registry, PrintContentOfAnUnregisteredName) {
    registry_.AddUFncElem("zz", -1, 1, 8, nullptr);
    std::ostringstream out;
    EXPECT_EQ(registry_.PrintContent("f", out), 1);
    EXPECT_TRUE(SameText("関数名f は存在しない\n", out.str()));
}

TEST_F(Registry, ListingLinesOfUndefinedEntries) {
    registry_.AddUFncElem("h", 7, 2, 8, nullptr);
    registry_.AddUFncElem("k", 7, 0, 8, nullptr);
    registry_.AddUFncElem("m", 7, 1, 7, nullptr);
    registry_.AddUFncElem("n", 7, 1, 9, nullptr);
    std::ostringstream out;
    for (const char* name : {"h", "k", "m", "n"}) registry_.PrintContent(name, out);
    EXPECT_TRUE(
        SameText("double h( a0 , a1 ) = ___undef\n"
                 "double k( void ) = ___undef\n"
                 "flort m( a0 ) = ___undef\n"
                 "___undef n( a0 ) = ___undef\n",
                 out.str()));
    std::ostringstream names;
    EXPECT_EQ(registry_.FirstPnt()->PrintFuncMame(names), 1);
    EXPECT_TRUE(SameText("h : 関数未定義\n", names.str()));
}

TEST_F(Registry, KindTexts) {
    const char* expected[] = {"unsigned char ", "char ", "unsigned short ", "short ",
                              "unsigned long ", "long ", "flort ",          "double "};
    for (unsigned short code = 1; code <= 8; ++code)
        EXPECT_STREQ(Kind_Text(code), expected[code - 1]);
    EXPECT_EQ(Kind_Text(0), nullptr);
    EXPECT_EQ(Kind_Text(9), nullptr);
}

TEST_F(Registry, GetFuncDefOfAnUndefinedEntry) {
    registry_.AddUFncElem("h", 7, 2, 8, nullptr);
    unsigned short arg_count = 99;
    unsigned short ret_kind = 99;
    EXPECT_EQ(registry_.FirstPnt()->GetFuncDef(&arg_count, &ret_kind), nullptr);
    EXPECT_EQ(arg_count, 0);
    EXPECT_EQ(ret_kind, 10);
}

TEST_F(Registry, ChangeFuncDefWithoutTextChangesCountAndKind) {
    registry_.AddUFncElem("h", 7, 2, 8, nullptr);
    UsrFuncProp* entry = registry_.FirstPnt();
    EXPECT_EQ(entry->ChangeFuncDef(nullptr, 2, 8, registry_), 1);
    EXPECT_EQ(entry->chngFlag, 0);
    entry->ChangeFuncDef(nullptr, 3, 8, registry_);
    EXPECT_EQ(entry->argNum, 3);
    EXPECT_EQ(entry->chngFlag, 1);
    entry->chngFlag = 0;
    entry->ChangeFuncDef(nullptr, 3, 6, registry_);
    EXPECT_EQ(entry->rtvKind, 6);
    EXPECT_EQ(entry->chngFlag, 1);
}

TEST_F(Registry, DelUFncElementOfFirstLastAndAbsent) {
    registry_.AddUFncElem("a", 7, 1, 8, nullptr);
    registry_.AddUFncElem("b", 30, 1, 8, nullptr);
    registry_.AddUFncElem("c", 55, 1, 8, nullptr);
    long position = 0;
    int state = 0;

    UsrFuncProp* next = registry_.DelUFncElement("a", &position, &state);
    EXPECT_EQ(next, registry_.FirstPnt());
    EXPECT_STREQ(next->label, "b");
    EXPECT_EQ(position, 7);
    EXPECT_EQ(state, 1);

    next = registry_.DelUFncElement("c", &position, &state);
    EXPECT_EQ(next, nullptr);
    EXPECT_EQ(position, 55);
    EXPECT_EQ(state, 1);

    position = 0;
    state = 1;
    next = registry_.DelUFncElement("zz", &position, &state);
    EXPECT_EQ(next, nullptr);
    EXPECT_EQ(position, -1);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(Names(registry_), (std::vector<std::string>{"b"}));
}

TEST_F(Registry, DelUFncElementInTheMiddleReturnsTheSuccessor) {
    registry_.AddUFncElem("a", -1, 1, 8, nullptr);
    registry_.AddUFncElem("b", -1, 1, 8, nullptr);
    registry_.AddUFncElem("c", -1, 1, 8, nullptr);
    long position = 0;
    int state = 0;
    UsrFuncProp* next = registry_.DelUFncElement("b", &position, &state);
    ASSERT_NE(next, nullptr);
    EXPECT_STREQ(next->label, "c");
    EXPECT_EQ(position, -1);
    EXPECT_EQ(Names(registry_), (std::vector<std::string>{"a", "c"}));
}

TEST_F(Registry, DelUFncElemOfAnEntryNotSavedTouchesNoFile) {
    UsrFuncArray registry("no-such-dir/save.dat");
    registry.AddUFncElem("a", -1, 1, 8, nullptr);
    EXPECT_EQ(registry.DelUFncElem("zz"), DELETE_NOT_REGISTERED);
    EXPECT_EQ(registry.DelUFncElem("a"), 1);
    EXPECT_EQ(registry.FirstPnt(), nullptr);
    EXPECT_STREQ(registry.GetSourceFile(), "no-such-dir/save.dat");
}

TEST_F(Registry, ElementSaveNumCountsEntriesWithARecordWhereverTheyStand) {
    registry_.AddUFncElem("b", 7, 1, 8, nullptr);
    registry_.AddUFncElem("c", -1, 1, 8, nullptr);
    registry_.AddUFncElem("d", 40, 1, 8, nullptr);
    EXPECT_EQ(registry_.ElementSaveNum(), 2);
}

TEST_F(Registry, ChangeSourceFile) {
    EXPECT_EQ(registry_.GetSourceFile(), nullptr);
    EXPECT_EQ(registry_.ChangeSourceFile("one.dat", -1), 1);
    EXPECT_STREQ(registry_.GetSourceFile(), "one.dat");
    EXPECT_EQ(registry_.ChangeSourceFile("two.dat", -1), 0);
    EXPECT_STREQ(registry_.GetSourceFile(), "one.dat");
    EXPECT_EQ(registry_.ChangeSourceFile("three.dat", 0), 1);
    EXPECT_STREQ(registry_.GetSourceFile(), "three.dat");
    // Setting the path it already holds must not read freed memory.
    EXPECT_EQ(registry_.ChangeSourceFile(registry_.GetSourceFile(), 0), 1);
    EXPECT_STREQ(registry_.GetSourceFile(), "three.dat");
}

TEST_F(Registry, ConstructorPathAndDeleteAllObject) {
    UsrFuncArray registry("start.dat");
    EXPECT_STREQ(registry.GetSourceFile(), "start.dat");
    registry.AddUFncElem("a", 7, 1, 8, nullptr);
    registry.AddUFncElem("b", 30, 1, 8, nullptr);
    EXPECT_EQ(registry.DeleteAllObject(), 1);
    EXPECT_EQ(registry.FirstPnt(), nullptr);
    EXPECT_EQ(registry.GetSourceFile(), nullptr);
    EXPECT_EQ(registry.ElementSaveNum(), 0);
}

TEST_F(Registry, GlobalRegistryStartsEmptyWithoutSourceFile) {
    EXPECT_EQ(g_ufunc_list.FirstPnt(), nullptr);
    EXPECT_EQ(g_ufunc_list.GetSourceFile(), nullptr);
    EXPECT_EQ(g_ufunc_list.GetChangeFlag(), 0);
}

// ---- Definitions ----

TEST_F(Definition, AnEnrolledFunctionIsDefinedAndChanged) {
    EXPECT_EQ(registry_.AddUFncElem("f", -1, 1, 8, "a0*2"), 1);
    UsrFuncProp* f = registry_.FirstPnt();
    ASSERT_NE(f->funcDef, nullptr);
    EXPECT_EQ(f->funcAryNum, 3);
    EXPECT_EQ(f->chngFlag, 1);
    EXPECT_EQ(f->filePos, -1);
    EXPECT_EQ(registry_("f"), 2);
    ASSERT_NE(registry_["f"], nullptr);
    EXPECT_EQ(registry_["f"], f->funcRoot);
    EXPECT_STREQ(registry_["f"]->CompArray, "*");
    EXPECT_EQ(registry_["f"]->left, &f->funcDef[0]);
    EXPECT_EQ(registry_["f"]->right, &f->funcDef[2]);
    // The argument is linked to the global cell a0.
    EXPECT_EQ(f->funcDef[0].number_source, &ufunc_argArray["a0"]);
    EXPECT_EQ(registry_.PutArgNum("f"), 1);
}

TEST_F(Definition, GetFuncDefRebuildsTheTextFromTheItems) {
    registry_.AddUFncElem("h", -1, 2, 8, "sin(a0)+log(2,a1)^2");
    unsigned short arg_count = 0;
    unsigned short ret_kind = 0;
    char* text = registry_.FirstPnt()->GetFuncDef(&arg_count, &ret_kind);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "sin(a0)+log(2,a1)^2");
    EXPECT_EQ(arg_count, 2);
    EXPECT_EQ(ret_kind, 8);
    delete[] text;
}

TEST_F(Definition, ListingLinesOfDefinedFunctions) {
    registry_.AddUFncElem("f", -1, 1, 8, "a0*2");
    registry_.AddUFncElem("g", -1, 0, 8, "3.14*2");
    registry_.AddUFncElem("k", -1, 3, 8, "a0+a1*a2");
    std::ostringstream out;
    for (const char* name : {"f", "g", "k"}) registry_.PrintContent(name, out);
    EXPECT_TRUE(
        SameText("double f( a0 ) = a0*2\n"
                 "double g( void ) = 3.14*2\n"
                 "double k( a0 , a1 , a2 ) = a0+a1*a2\n",
                 out.str()));
    std::ostringstream names;
    registry_.FirstPnt()->PrintFuncMame(names);
    EXPECT_TRUE(SameText("f : 関数定義済み\n", names.str()));
}

TEST_F(Definition, ARefusedTextLeavesANewEntryUndefinedWithItsMessage) {
    CoutCapture capture;
    EXPECT_EQ(registry_.AddUFncElem("h", -1, 1, 8, "a0+"), 1);
    UsrFuncProp* h = registry_.FirstPnt();
    EXPECT_EQ(h->funcDef, nullptr);
    EXPECT_EQ(h->funcRoot, nullptr);
    EXPECT_EQ(h->funcAryNum, -1);
    EXPECT_EQ(h->chngFlag, 1);
    EXPECT_EQ(registry_("h"), 1);
    EXPECT_TRUE(SameText("これは式になってないぞ！プンプン\n\n", capture.Text()));
}

TEST_F(Definition, TextsLongerThanATypedLineAreRefused) {
    std::string longest = "a0";
    while (longest.size() + 3 <= 255) longest += "+a0";
    CoutCapture capture;
    registry_.AddUFncElem("f", -1, 1, 8, longest.c_str());
    registry_.AddUFncElem("g", -1, 1, 8, (longest + "+a0").c_str());
    EXPECT_EQ(registry_("f"), 2);
    EXPECT_EQ(registry_("g"), 1);
    EXPECT_TRUE(SameText("これの配列は、オーバーしとるぞ\n\n", capture.Text()));
}

TEST_F(Definition, ARebuiltTextWithLongSignedArgumentsAnalysesAgain) {
    // Typed at 250 characters; rebuilt with a 0 before every opening sign, the
    // second argument of log grows past 255 characters.
    std::string typed = "log(2,-a0";
    for (int i = 0; i < 40; ++i) typed += "+(-a0)";
    typed += ")";
    ASSERT_LE(typed.size(), 255u);
    CoutCapture capture;
    registry_.AddUFncElem("f", -1, 1, 8, typed.c_str());
    ASSERT_EQ(registry_("f"), 2);
    std::string rebuilt = Definition_Text(registry_.FirstPnt());
    ASSERT_GT(rebuilt.size(), 6u + 255u + 1u);
    registry_.AddUFncElem("g", -1, 1, 8, rebuilt.c_str());
    EXPECT_EQ(registry_("g"), 2);
    EXPECT_EQ(capture.Text(), "");
}

TEST_F(Definition, ReaddingWithARefusedTextLeavesTheEntryUndefinedAndChanged) {
    registry_.AddUFncElem("f", 7, 1, 8, "a0*2");
    registry_.FirstPnt()->chngFlag = 0;
    CoutCapture capture;
    EXPECT_EQ(registry_.AddUFncElem("f", 7, 1, 8, "a0*"), 2);
    EXPECT_EQ(registry_("f"), 1);
    EXPECT_EQ(registry_.FirstPnt()->chngFlag, 1);
    EXPECT_EQ(registry_.AccFilePos("f"), 7);
    EXPECT_EQ(Definition_Text(registry_.FirstPnt()), "(null)");
}

TEST_F(Definition, ChangeFuncDefMarksChangedOnlyWhenTheTextIsAccepted) {
    registry_.AddUFncElem("f", 7, 1, 8, "a0*2");
    UsrFuncProp* f = registry_.FirstPnt();
    f->chngFlag = 0;
    {
        CoutCapture capture;
        EXPECT_EQ(f->ChangeFuncDef("", 1, 8, registry_), 1);
        EXPECT_TRUE(SameText("式が入力されていません\n\n", capture.Text()));
    }
    EXPECT_EQ(f->funcDef, nullptr);  // the old definition is gone
    EXPECT_EQ(f->chngFlag, 0);
    EXPECT_EQ(f->ChangeFuncDef("a0-1", 1, 8, registry_), 1);
    EXPECT_EQ(f->chngFlag, 1);
    EXPECT_EQ(Definition_Text(f), "a0-1");
}

TEST_F(Definition, TheConstructorKeepsItsFlagWhenTheTextIsRefused) {
    CoutCapture capture;
    UsrFuncProp refused("p", -1, 1, 8, 0, "a0+", No_FunctionNames());
    EXPECT_EQ(refused.funcDef, nullptr);
    EXPECT_EQ(refused.chngFlag, 0);
    UsrFuncProp accepted("q", 7, 1, 8, 0, "a0+1", No_FunctionNames());
    EXPECT_NE(accepted.funcDef, nullptr);
    EXPECT_EQ(accepted.chngFlag, 0);
    EXPECT_EQ(accepted.filePos, 7);
}

TEST_F(Definition, ReenrollingAFunctionThatCallsItselfLeavesItUndefined) {
    g_ufunc_list.DeleteAllObject();
    g_ufunc_list.AddUFncElem("f", -1, 1, 8, "a0*2");
    ASSERT_EQ(g_ufunc_list("f"), 2);
    {
        CoutCapture capture;
        EXPECT_EQ(g_ufunc_list.AddUFncElem("f", -1, 1, 8, "f(a0)+1"), 2);
        EXPECT_FALSE(capture.Text().empty());
    }
    EXPECT_EQ(g_ufunc_list("f"), 1);
    EXPECT_EQ(g_ufunc_list.FirstPnt()->chngFlag, 1);
    std::ostringstream out;
    g_ufunc_list.PrintContent("f", out);
    EXPECT_TRUE(SameText("double f( a0 ) = ___undef\n", out.str()));
    g_ufunc_list.DeleteAllObject();
}

TEST_F(Definition, AFunctionMayCallAnotherDefinedOne) {
    g_ufunc_list.DeleteAllObject();
    g_ufunc_list.AddUFncElem("g", -1, 1, 8, "a0*2");
    EXPECT_EQ(g_ufunc_list.AddUFncElem("f", -1, 2, 8, "g(a0)+a1"), 1);
    EXPECT_EQ(g_ufunc_list("f"), 2);
    EXPECT_EQ(Definition_Text(g_ufunc_list.FirstPnt()), "g(a0)+a1");
    g_ufunc_list.DeleteAllObject();
}

TEST_F(Definition, FormulaAnalysis) {
    CompForm* items = nullptr;
    EXPECT_EQ(Formula_Analysis(&items, "a0*(a1+2)", No_FunctionNames()), 7);
    ASSERT_NE(items, nullptr);
    EXPECT_STREQ(items[0].CompArray, "a0");
    EXPECT_STREQ(items[6].CompArray, ")");
    delete[] items;
    CompForm* untouched = reinterpret_cast<CompForm*>(&items);
    CompForm* kept = untouched;
    CoutCapture capture;
    EXPECT_EQ(Formula_Analysis(&kept, "a0*", No_FunctionNames()), 0);
    EXPECT_EQ(kept, untouched);
}

}  // namespace
