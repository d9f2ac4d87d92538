// The variable table: ordering, insertion, counting, listing, deep copies,
// stable value cells, and linking the variables of an item array.
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "formula/symbol.h"

namespace {

std::vector<std::string> Names(AscArray<double>& table) {
    int count = 0;
    table.CountElem(&count);
    std::unique_ptr<char[][256]> buffers(new char[count > 0 ? count : 1][256]);
    int written = 0;
    table.CopyLabelAll(buffers.get(), &written);
    std::vector<std::string> names;
    for (int i = 0; i < written; ++i) names.push_back(buffers[i]);
    return names;
}

int Count(AscArray<double>& table) {
    int count = 0;
    table.CountElem(&count);
    return count;
}

CompForm MakeItem(const char* text, int kind, int argm_num = 1) {
    CompForm item;
    std::strcpy(item.CompArray, text);
    item.Initialize();
    item.kind = kind;
    item.argm_num = argm_num;
    return item;
}

TEST(VarTableOrder, NamesComeOutInByteOrder) {
    AscArray<double> table;
    table["b"];
    table["a"];
    table["c"];
    EXPECT_EQ(Names(table), (std::vector<std::string>{"a", "b", "c"}));

    AscArray<double> mixed;
    mixed["x10"];
    mixed["X"];
    mixed["x2"];
    mixed["x1"];
    EXPECT_EQ(Names(mixed), (std::vector<std::string>{"X", "x1", "x10", "x2"}));
}

TEST(VarTableOrder, InsertionInAscendingOrderMakesAChain) {
    AscArray<double> table;
    table["a"];
    table["b"];
    table["c"];
    ASSERT_NE(table.root, nullptr);
    EXPECT_STREQ(table.root->label, "a");
    EXPECT_EQ(table.root->left, nullptr);
    ASSERT_NE(table.root->right, nullptr);
    EXPECT_STREQ(table.root->right->label, "b");
    ASSERT_NE(table.root->right->right, nullptr);
    EXPECT_STREQ(table.root->right->right->label, "c");
    EXPECT_EQ(table.root->right->left, nullptr);
}

TEST(VarTableSearch, SerchFindsTheSlotOrTheNullSlotWhereANameBelongs) {
    AscArray<double> table;
    table["m"];
    table["c"];
    table["t"];
    BinTree* top = table.root;
    EXPECT_EQ(Serch(&top, "m"), &top);
    BinTree** slot_c = Serch(&top, "c");
    EXPECT_EQ(slot_c, &table.root->left);
    BinTree** slot_a = Serch(&top, "a");
    EXPECT_EQ(*slot_a, nullptr);
    EXPECT_EQ(slot_a, &table.root->left->left);
    BinTree** slot_z = Serch(&top, "z");
    EXPECT_EQ(*slot_z, nullptr);
    EXPECT_EQ(slot_z, &table.root->right->right);
    BinTree* empty = nullptr;
    EXPECT_EQ(Serch(&empty, "x"), &empty);
}

TEST(VarTableInsert, BracketInsertsWhileParenthesesNeverDo) {
    AscArray<double> table;
    table["x"] = 4.0;
    EXPECT_EQ(table("y"), 0);
    EXPECT_EQ(Count(table), 1);
    EXPECT_EQ(table["y"], 0.0);
    EXPECT_EQ(Count(table), 2);
    EXPECT_EQ(table("y"), 1);
    EXPECT_EQ(table("x"), 1);
    EXPECT_EQ(table("X"), 0);
    EXPECT_EQ(table("x "), 0);
    EXPECT_EQ(table(""), 0);
    EXPECT_EQ(table["x"], 4.0);
    EXPECT_EQ(Count(table), 2);

    AscArray<double> empty;
    EXPECT_EQ(empty("x"), 0);
    EXPECT_EQ(empty.root, nullptr);
}

TEST(VarTableInsert, SameNameGivesTheSameCell) {
    AscArray<double> table;
    double& first = table["abc"];
    first = 2.5;
    double& again = table["abc"];
    EXPECT_EQ(&first, &again);
    EXPECT_EQ(again, 2.5);
}

TEST(VarTableInsert, LabelIsACopyOfTheKey) {
    AscArray<double> table;
    char key[8] = "var";
    table[key] = 1.0;
    std::strcpy(key, "zzz");
    EXPECT_EQ(table("var"), 1);
    EXPECT_EQ(table("zzz"), 0);
    EXPECT_STREQ(table.root->Value(), "var");
    EXPECT_NE(table.root->Value(), key);
}

// The count is added to the preset counter; an empty table resets it to 0.
TEST(VarTableCount, CountIsAddedToThePresetCounter) {
    AscArray<double> table;
    int counter = 7;
    EXPECT_EQ(table.CountElem(&counter), 0);
    EXPECT_EQ(counter, 0);
    for (const char* name : {"p", "q", "r"}) table[name];
    counter = 5;
    EXPECT_EQ(table.CountElem(&counter), 1);
    EXPECT_EQ(counter, 8);
}

// The names are listed from the counter on, which advances by their number;
// an empty table lists nothing and leaves the counter.
TEST(VarTableList, CopyLabelAllStartsAtTheCounterAndAdvancesIt) {
    AscArray<double> table;
    char buffers[4][256];
    std::strcpy(buffers[0], "keep");
    std::strcpy(buffers[1], "keep");
    int counter = 1;
    EXPECT_EQ(table.CopyLabelAll(buffers, &counter), 0);
    EXPECT_EQ(counter, 1);
    EXPECT_STREQ(buffers[1], "keep");
    table["b"];
    table["a"];
    EXPECT_EQ(table.CopyLabelAll(buffers, &counter), 1);
    EXPECT_EQ(counter, 3);
    EXPECT_STREQ(buffers[0], "keep");
    EXPECT_STREQ(buffers[1], "a");
    EXPECT_STREQ(buffers[2], "b");
}

TEST(VarTableList, LongestNameIsListedWhole) {
    AscArray<double> table;
    std::string name(255, 'k');
    table[name.c_str()] = 1.0;
    char buffers[1][256];
    int counter = 0;
    table.CopyLabelAll(buffers, &counter);
    EXPECT_EQ(std::string(buffers[0]), name);
}

TEST(VarTableCopy, DeepCopyHasTheSameNamesAndValues) {
    AscArray<double> source;
    source["m"] = 1.0;
    source["c"] = 2.0;
    source["t"] = 3.0;
    source["a"] = 4.0;
    source["z"] = 5.0;
    AscArray<double> copy(source);
    EXPECT_EQ(Names(copy), Names(source));
    EXPECT_EQ(copy["m"], 1.0);
    EXPECT_EQ(copy["c"], 2.0);
    EXPECT_EQ(copy["t"], 3.0);
    EXPECT_EQ(copy["a"], 4.0);
    EXPECT_EQ(copy["z"], 5.0);
    EXPECT_EQ(Count(copy), 5);
}

TEST(VarTableCopy, CopyAndSourceAreIndependent) {
    AscArray<double> source;
    source["x"] = 1.0;
    source["y"] = 2.0;
    AscArray<double> copy(source);
    EXPECT_NE(&copy["x"], &source["x"]);
    EXPECT_NE(copy.root, source.root);
    copy["x"] = 10.0;
    copy["w"] = 5.0;
    EXPECT_EQ(source["x"], 1.0);
    EXPECT_EQ(source("w"), 0);
    source["y"] = 20.0;
    EXPECT_EQ(copy["y"], 2.0);
}

TEST(VarTableCopy, CopyOutlivesItsSource) {
    AscArray<double>* source = new AscArray<double>;
    (*source)["n"] = 3.0;
    (*source)["k"] = 4.0;
    AscArray<double> copy(*source);
    delete source;
    EXPECT_EQ(copy["n"], 3.0);
    EXPECT_EQ(copy["k"], 4.0);
    EXPECT_EQ(Names(copy), (std::vector<std::string>{"k", "n"}));
}

TEST(VarTableCopy, CopyOfAnEmptyTableIsEmpty) {
    AscArray<double> source;
    AscArray<double> copy(source);
    EXPECT_EQ(copy.root, nullptr);
    int counter = 3;
    EXPECT_EQ(copy.CountElem(&counter), 0);
    copy["q"] = 1.0;
    EXPECT_EQ(source.root, nullptr);
}

TEST(VarTableCopy, CopyObjectOfNullDoesNothing) {
    Asc<double> node("a");
    node.value = 6.0;
    EXPECT_EQ(node.CopyObject(nullptr), 0);
    EXPECT_EQ(node.value, 6.0);
}

TEST(VarTableCells, CellsNeverMoveWhileTheTableGrows) {
    AscArray<double> table;
    double& cell = table["m"];
    cell = 9.0;
    double* cell_address = &cell;
    for (int i = 0; i < 200; ++i) table[("v" + std::to_string(i)).c_str()] = i;
    EXPECT_EQ(&table["m"], cell_address);
    EXPECT_EQ(*cell_address, 9.0);
    *cell_address = 1.5;
    EXPECT_EQ(table["m"], 1.5);
    EXPECT_EQ(Count(table), 201);
}

TEST(VarTableNode, NewNodeHoldsZeroAndPrintWritesNameAndValue) {
    Asc<double> node("x1");
    EXPECT_EQ(node.GetValue(), 0.0);
    EXPECT_STREQ(node.Value(), "x1");
    EXPECT_EQ(node.left, nullptr);
    EXPECT_EQ(node.right, nullptr);
    node.GetValue() = 2.5;
    std::ostringstream captured;
    std::streambuf* saved = std::cout.rdbuf(captured.rdbuf());
    node.Print();
    std::cout.rdbuf(saved);
    EXPECT_EQ(captured.str(), "x1:2.5\n");
}

TEST(VarTableGlobals, EmptyArrayStaysEmpty) {
    EXPECT_EQ(EmptyArray.root, nullptr);
    AscArray<double> fresh(EmptyArray);
    fresh["n"] = 1.0;
    EXPECT_EQ(EmptyArray.root, nullptr);
}

TEST(SymbolTable, SharedNamesShareOneCell) {
    // x*x+y
    CompForm items[5] = {MakeItem("x", KIND_VARIABLE), MakeItem("*", KIND_OPERATOR),
                         MakeItem("x", KIND_VARIABLE), MakeItem("+", KIND_OPERATOR),
                         MakeItem("y", KIND_VARIABLE)};
    AscArray<double> table;
    Create_SymbolTable<double>(items, 5, table);
    EXPECT_EQ(Count(table), 2);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"x", "y"}));
    ASSERT_NE(items[0].number_source, nullptr);
    EXPECT_EQ(items[0].number_source, items[2].number_source);
    EXPECT_EQ(items[0].number_source, &table["x"]);
    EXPECT_EQ(items[4].number_source, &table["y"]);
    EXPECT_EQ(items[1].number_source, nullptr);
    EXPECT_EQ(items[3].number_source, nullptr);
    table["x"] = 2.0;
    EXPECT_EQ(*static_cast<double*>(items[0].number_source), 2.0);
    EXPECT_EQ(*static_cast<double*>(items[2].number_source), 2.0);
}

TEST(SymbolTable, ExistingNamesAreResetToZero) {
    AscArray<double> table;
    table["a"] = 7.0;
    table["b"] = 8.0;
    CompForm items[1] = {MakeItem("a", KIND_VARIABLE)};
    Create_SymbolTable<double>(items, 1, table);
    EXPECT_EQ(table["a"], 0.0);
    EXPECT_EQ(table["b"], 8.0);
    EXPECT_EQ(items[0].number_source, &table["a"]);
    EXPECT_EQ(Count(table), 2);
}

TEST(SymbolTable, SummationIndicesAndOtherKindsAreSkipped) {
    // sigma[n(1,3),n*k] with a number, a function and a user function beside it
    CompForm items[12] = {MakeItem("sigma", KIND_MULTI_OPERATOR, 2),
                          MakeItem("[", KIND_OPEN_BRK),
                          MakeItem("n(1,3)", KIND_SUM_RANGE),
                          MakeItem(",", KIND_SEPARATOR),
                          MakeItem("n", KIND_VARIABLE, -1),
                          MakeItem("*", KIND_OPERATOR),
                          MakeItem("k", KIND_VARIABLE),
                          MakeItem("]", KIND_CLOSE_BRK),
                          MakeItem("2", KIND_NUMBER),
                          MakeItem("sin", KIND_FUNCTION),
                          MakeItem("f", KIND_USER_FUNCTION),
                          MakeItem("(", KIND_OPEN_PAR)};
    AscArray<double> table;
    Create_SymbolTable<double>(items, 12, table);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"k"}));
    EXPECT_EQ(items[6].number_source, &table["k"]);
    for (int i = 0; i < 12; ++i) {
        if (i == 6) continue;
        EXPECT_EQ(items[i].number_source, nullptr) << i;
    }
}

TEST(SymbolTable, OnlyTheGivenNumberOfItemsIsEntered) {
    CompForm items[3] = {MakeItem("a", KIND_VARIABLE), MakeItem("+", KIND_OPERATOR),
                         MakeItem("b", KIND_VARIABLE)};
    AscArray<double> table;
    Create_SymbolTable<double>(items, 2, table);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"a"}));
    EXPECT_EQ(items[2].number_source, nullptr);
    Create_SymbolTable<double>(items, 0, table);
    EXPECT_EQ(Count(table), 1);
}

TEST(SymbolTable, LinksSurviveLaterInsertions) {
    CompForm items[1] = {MakeItem("x", KIND_VARIABLE)};
    AscArray<double> table;
    Create_SymbolTable<double>(items, 1, table);
    for (const char* name : {"a", "z", "m", "b", "y"}) table[name] = 1.0;
    table["x"] = 3.0;
    EXPECT_EQ(*static_cast<double*>(items[0].number_source), 3.0);
}

}  // namespace
