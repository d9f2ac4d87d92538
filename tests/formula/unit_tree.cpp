// The expression tree builder: shapes by precedence and grouping, argument
// lists, sigma sums, the sub-list finders, and lists that end too early.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "formula/crtbtree.h"
#include "formula/fmulaopfc.h"
#include "formula/formulatext.h"
#include "function_table.h"

namespace {

// Argument count of the call whose "(" is at open_index: top-level commas + 1,
// 0 for "()".
int Count_CallArguments(const std::vector<std::string>& tokens, size_t open_index) {
    if (open_index + 1 < tokens.size() && tokens[open_index + 1] == ")") return 0;
    int depth = 0;
    int commas = 0;
    for (size_t i = open_index; i < tokens.size(); ++i) {
        const std::string& text = tokens[i];
        if (text == "(" || text == "[") ++depth;
        if (text == ")" || text == "]") --depth;
        if (depth == 0) break;
        if (text == "," && depth == 1) ++commas;
    }
    return commas + 1;
}

// One item filled as the formula scanner fills it, the kind told by the text.
void Fill_Item(CompForm& item, const std::vector<std::string>& tokens, size_t i) {
    const std::string& text = tokens[i];
    std::strcpy(item.CompArray, text.c_str());
    item.Initialize();
    bool call = i + 1 < tokens.size() && tokens[i + 1] == "(";
    if (text.size() == 1 && Is_Operator(text[0])) {
        item.kind = KIND_OPERATOR;
        item.SetOperatorKind();
    } else if (text == "(") {
        item.kind = KIND_OPEN_PAR;
    } else if (text == ")") {
        item.kind = KIND_CLOSE_PAR;
    } else if (text == "[") {
        item.kind = KIND_OPEN_BRK;
    } else if (text == "]") {
        item.kind = KIND_CLOSE_BRK;
    } else if (text == ",") {
        item.kind = KIND_SEPARATOR;
    } else if (text == "sigma") {
        item.kind = KIND_MULTI_OPERATOR;
        item.argm_num = item.SetMltOperator();
    } else if (text.find('(') != std::string::npos) {
        item.kind = KIND_SUM_RANGE;
    } else if (text[0] >= '0' && text[0] <= '9') {
        item.kind = KIND_NUMBER;
    } else if (call && item.SetOperatorFunc() != 0) {
        item.kind = KIND_FUNCTION;
        item.argm_num = item.list_fnarg.element_num;
    } else if (call) {
        item.kind = KIND_USER_FUNCTION;
        item.argm_num = Count_CallArguments(tokens, i + 1);
        item.list_fnarg = CFList(item.argm_num);
    } else {
        item.kind = KIND_VARIABLE;
    }
}

// An item array of exactly the listed items, as the scanner would leave it.
// Allocated to its exact size so that a read past its end is caught by the
// address sanitizer.
struct ItemList {
    std::unique_ptr<CompForm[]> items;
    int count;

    explicit ItemList(const std::vector<std::string>& tokens)
        : items(new CompForm[tokens.size()]), count(static_cast<int>(tokens.size())) {
        for (size_t i = 0; i < tokens.size(); ++i) Fill_Item(items[i], tokens, i);
    }
    CompForm* Build() { return Build_Tree(items.get(), count); }
    CompForm& operator[](int index) { return items[index]; }
};

// The tree written out with every operator node in parentheses; only the tree
// links are followed, so items that are not in the tree cannot show.
std::string Shape(CompForm* node) {
    if (node == nullptr) return "null";
    std::string text = node->CompArray;
    switch (node->kind) {
    case KIND_OPERATOR: return "(" + Shape(node->left) + text + Shape(node->right) + ")";
    case KIND_MULTI_OPERATOR:
        return text + "[" + Shape(node->left) + "," + Shape(node->right) + "]";
    case KIND_FUNCTION:
    case KIND_USER_FUNCTION: {
        text += "(";
        for (int slot = 0; slot < node->list_fnarg.element_num; ++slot) {
            if (slot > 0) text += ",";
            text += Shape(node->list_fnarg[slot]);
        }
        return text + ")";
    }
    default: return text;
    }
}

std::string Built_Shape(const std::vector<std::string>& tokens) {
    ItemList list(tokens);
    return Shape(list.Build());
}

TEST(TreeShape, PrecedenceOfAddMultiplyAndPower) {
    EXPECT_EQ("((a+(b*c))-d)", Built_Shape({"a", "+", "b", "*", "c", "-", "d"}));
    EXPECT_EQ("((a*b)+(c*d))", Built_Shape({"a", "*", "b", "+", "c", "*", "d"}));
    EXPECT_EQ("((a+(b*(c^d)))-e)", Built_Shape({"a", "+", "b", "*", "c", "^", "d", "-", "e"}));
}

TEST(TreeShape, EqualPrecedenceGroupsToTheLeft) {
    EXPECT_EQ("((a-b)-c)", Built_Shape({"a", "-", "b", "-", "c"}));
    EXPECT_EQ("((a-b)+c)", Built_Shape({"a", "-", "b", "+", "c"}));
    EXPECT_EQ("((2^3)^2)", Built_Shape({"2", "^", "3", "^", "2"}));
    EXPECT_EQ("((a/b)/c)", Built_Shape({"a", "/", "b", "/", "c"}));
}

TEST(TreeShape, DivisionBindsTighterThanMultiplication) {
    EXPECT_EQ("(a*(b/c))", Built_Shape({"a", "*", "b", "/", "c"}));
    EXPECT_EQ("((a/b)*c)", Built_Shape({"a", "/", "b", "*", "c"}));
}

TEST(TreeShape, LeadingSignAsInsertedZero) {
    EXPECT_EQ("(0-(x^2))", Built_Shape({"0", "-", "x", "^", "2"}));
}

TEST(TreeShape, ParenthesesLeaveNoNode) {
    ItemList list({"(", "a", "+", "b", ")", "*", "c"});
    CompForm* root = list.Build();
    EXPECT_EQ("((a+b)*c)", Shape(root));
    EXPECT_EQ(&list[5], root);
    EXPECT_EQ(&list[2], root->left);

    ItemList nested({"(", "(", "a", ")", ")"});
    EXPECT_EQ(&nested[2], nested.Build());

    EXPECT_EQ("(a*(b+c))", Built_Shape({"a", "*", "(", "b", "+", "c", ")"}));
    EXPECT_EQ("((a-(b-c))-d)", Built_Shape({"a", "-", "(", "b", "-", "c", ")", "-", "d"}));
}

TEST(TreeShape, SingleOperandIsTheRootWithoutLinks) {
    ItemList variable({"x"});
    EXPECT_EQ(&variable[0], variable.Build());
    EXPECT_EQ(nullptr, variable[0].left);
    EXPECT_EQ(nullptr, variable[0].right);

    ItemList number({"5"});
    EXPECT_EQ(&number[0], number.Build());
    EXPECT_EQ(nullptr, number[0].left);
    EXPECT_EQ(nullptr, number[0].right);
}

TEST(TreeShape, FunctionArguments) {
    ItemList list({"log", "(", "2", ",", "x", ")"});
    CompForm* root = list.Build();
    EXPECT_EQ(&list[0], root);
    ASSERT_EQ(2, root->list_fnarg.element_num);
    EXPECT_EQ(&list[2], root->list_fnarg[0]);
    EXPECT_EQ(&list[4], root->list_fnarg[1]);

    EXPECT_EQ("(sin((x+1))*2)", Built_Shape({"sin", "(", "x", "+", "1", ")", "*", "2"}));
    EXPECT_EQ("(1+log(2,(x*3)))",
              Built_Shape({"1", "+", "log", "(", "2", ",", "x", "*", "3", ")"}));
}

// Each slot points at the root of a whole argument: a comma inside a nested
// call does not split it, and a sigma sum is taken whole.
TEST(TreeShape, ArgumentSlotsHoldWholeArguments) {
    const struct {
        std::vector<std::string> tokens;
        const char* shape;
    } cases[] = {{{"f", "(", "g", "(", "1", ",", "2", ")", ",", "3", ")"}, "f(g(1,2),3)"},
                 {{"log", "(", "sigma", "[", "n(1,2)", ",", "n", "]", ",", "2", ")"},
                  "log(sigma[n(1,2),n],2)"}};
    for (const auto& c : cases) {
        ItemList list(c.tokens);
        CompForm* root = list.Build();
        EXPECT_EQ(c.shape, Shape(root));
        EXPECT_EQ(&list[2], root->list_fnarg[0]) << c.shape;
        EXPECT_EQ(&list[9], root->list_fnarg[1]) << c.shape;
    }
}

TEST(TreeShape, SigmaHoldsRangeAndSummand) {
    ItemList list({"sigma", "[", "n(1,10)", ",", "n", "^", "2", "]"});
    CompForm* root = list.Build();
    EXPECT_EQ(&list[0], root);
    EXPECT_EQ(&list[2], root->left);
    EXPECT_EQ(&list[5], root->right);
    EXPECT_EQ("sigma[n(1,10),(n^2)]", Shape(root));

    EXPECT_EQ("((2*sigma[i(1,3),sigma[j(1,2),(i*j)]])+1)",
              Built_Shape({"2", "*", "sigma", "[", "i(1,3)", ",", "sigma", "[", "j(1,2)", ",", "i",
                           "*", "j", "]", "]", "+", "1"}));
}

TEST(TreeShape, UserCallWithoutArgumentsGetsNoArgument) {
    ItemList list({"g", "(", ")", "*", "2"});
    ASSERT_EQ(0, list[0].argm_num);
    CompForm* root = list.Build();
    EXPECT_EQ("(g()*2)", Shape(root));
    EXPECT_EQ(0, list[0].list_fnarg.element_num);
}

TEST(TreeShape, BuildingTwiceGivesTheSameLinks) {
    ItemList list({"a", "+", "b", "*", "c"});
    CompForm* first = list.Build();
    CompForm* second = list.Build();
    EXPECT_EQ(first, second);
    EXPECT_EQ("(a+(b*c))", Shape(second));
}

TEST(TreeShape, ItemWhereAnOperatorBelongsEndsTheList) {
    // The items after it are ignored.
    EXPECT_EQ("(a+b)", Built_Shape({"a", "+", "b", "c", "*", "d"}));
}

TEST(TreeShortList, TakingPastTheEndGivesNull) {
    EXPECT_EQ(nullptr, Build_Tree(nullptr, 3));
    ItemList empty_list({"a"});
    EXPECT_EQ(nullptr, Build_Tree(empty_list.items.get(), 0));

    EXPECT_EQ("(a+null)", Built_Shape({"a", "+"}));
    EXPECT_EQ("((a*b)-null)", Built_Shape({"a", "*", "b", "-"}));
    EXPECT_EQ("(a+(b*null))", Built_Shape({"a", "+", "b", "*"}));
    EXPECT_EQ("null", Built_Shape({"(", "a", "+", "b"}));
    EXPECT_EQ("null", Built_Shape({"(", ")"}));
    EXPECT_EQ("(a+null)", Built_Shape({"a", "+", "(", "b"}));
}

TEST(TreeShortList, UnfinishedCallsAndSigmaGiveNullParts) {
    ItemList sin_call({"sin", "(", "x"});
    EXPECT_EQ("sin(null)", Shape(sin_call.Build()));
    ItemList sin_name({"sin"});
    sin_name[0].kind = KIND_FUNCTION;
    sin_name[0].SetOperatorFunc();
    EXPECT_EQ("sin(null)", Shape(sin_name.Build()));

    ItemList log_call({"log", "(", "2"});
    ASSERT_EQ(2, log_call[0].argm_num);
    EXPECT_EQ("log(null,null)", Shape(log_call.Build()));

    ItemList log_half({"log", "(", "2", ",", "x"});
    EXPECT_EQ("log(2,null)", Shape(log_half.Build()));

    EXPECT_EQ("sigma[null,null]", Built_Shape({"sigma"}));
    EXPECT_EQ("sigma[n(1,2),null]", Built_Shape({"sigma", "[", "n(1,2)"}));
    EXPECT_EQ("sigma[n(1,2),null]", Built_Shape({"sigma", "[", "n(1,2)", ",", "n"}));
    EXPECT_EQ("sigma[n(1,2),null]", Built_Shape({"sigma", "[", "n(1,2)", ",", "]"}));
}

// count "(" items, then x, then count ")" items.
ItemList Nested_Groups(int count) {
    std::vector<std::string> tokens(count, "(");
    tokens.push_back("x");
    tokens.insert(tokens.end(), count, ")");
    return ItemList(tokens);
}

TEST(TreeShortList, DeepNestingIsCutInsteadOfExhaustingTheStack) {
    ItemList shallow = Nested_Groups(200);
    EXPECT_EQ(&shallow[200], shallow.Build());
    // Only a definition read from a save file can nest this deep.
    ItemList deep = Nested_Groups(5000);
    EXPECT_EQ(nullptr, deep.Build());
    // The cut comes at the same depth in every build, whatever was built before.
    for (int round = 0; round < 2; ++round) {
        ItemList deepest = Nested_Groups(999);
        EXPECT_EQ(&deepest[999], deepest.Build());
        EXPECT_EQ(nullptr, Nested_Groups(1000).Build());
    }
    std::vector<std::string> tokens = {"1", "+"};
    tokens.insert(tokens.end(), 5000, "(");
    tokens.push_back("2");
    tokens.insert(tokens.end(), 5000, ")");
    ItemList deep_operand(tokens);
    EXPECT_EQ("(1+null)", Shape(deep_operand.Build()));
}

TEST(TreeFinder, OneArgFindsTheMatchingClosingItem) {
    ItemList list({"(", "a", "+", "(", "b", ")", ")", "*", "c", ")"});
    int index = 1;
    CompForm* sub_list = nullptr;
    int count = -1;
    EXPECT_EQ(1, Get_OneArg(&index, list.items.get(), list.count, &sub_list, &count, "(", ")"));
    EXPECT_EQ(&list[1], sub_list);
    EXPECT_EQ(5, count);
    EXPECT_EQ(7, index);

    // Starting inside the outer group the first unmatched ")" ends it.
    index = 8;
    EXPECT_EQ(1, Get_EndArgList(&index, list.items.get(), list.count, &sub_list, &count, "(", ")"));
    EXPECT_EQ(&list[8], sub_list);
    EXPECT_EQ(1, count);
    EXPECT_EQ(10, index);
}

TEST(TreeFinder, NothingFoundLeavesTheCursor) {
    ItemList list({"a", "+", "(", "b", ")"});
    int index = 0;
    CompForm* sub_list = &list[0];
    int count = 7;
    EXPECT_EQ(0, Get_OneArg(&index, list.items.get(), 2, &sub_list, &count, "(", ")"));
    EXPECT_EQ(nullptr, sub_list);
    EXPECT_EQ(0, count);
    EXPECT_EQ(0, index);

    sub_list = &list[0];
    count = 7;
    EXPECT_EQ(0, Get_EndArgList(&index, list.items.get(), list.count, &sub_list, &count, "[", "]"));
    EXPECT_EQ(nullptr, sub_list);
    EXPECT_EQ(0, count);
    EXPECT_EQ(0, index);

    sub_list = &list[0];
    count = 7;
    EXPECT_EQ(0, Get_ArgList(&index, list.items.get(), list.count, &sub_list, &count, "(", ")", "[",
                             "]"));
    EXPECT_EQ(nullptr, sub_list);
    EXPECT_EQ(0, count);
    EXPECT_EQ(0, index);
}

TEST(TreeFinder, ArgListSkipsCommasOfNestedCallsAndSigma) {
    // Items of u(g(1,2),sigma[k(1,3),k],x) after the opening "(".
    ItemList list({"u", "(", "g", "(", "1", ",", "2", ")", ",", "sigma", "[", "k(1,3)", ",", "k",
                   "]", ",", "x", ")"});
    int index = 2;
    CompForm* sub_list = nullptr;
    int count = 0;
    const char* par[] = {"(", ")", "[", "]"};
    ASSERT_EQ(1, Get_ArgList(&index, list.items.get(), list.count, &sub_list, &count, par[0],
                             par[1], par[2], par[3]));
    EXPECT_EQ(&list[2], sub_list);
    EXPECT_EQ(6, count);
    EXPECT_EQ(9, index);
    ASSERT_EQ(1, Get_ArgList(&index, list.items.get(), list.count, &sub_list, &count, par[0],
                             par[1], par[2], par[3]));
    EXPECT_EQ(&list[9], sub_list);
    EXPECT_EQ(6, count);
    EXPECT_EQ(16, index);
    ASSERT_EQ(1, Get_EndArgList(&index, list.items.get(), list.count, &sub_list, &count, "(", ")"));
    EXPECT_EQ(&list[16], sub_list);
    EXPECT_EQ(1, count);
    EXPECT_EQ(18, index);

    EXPECT_EQ("u(g(1,2),sigma[k(1,3),k],x)", Shape(list.Build()));
}

// The same shapes from the items of the real scanner, which may call the
// user functions f, g and k.
std::string Scanned_Shape(const char* text) {
    static const FunctionTable functions{{"f", 2}, {"g", 2}, {"k", 0}};
    CompForm* items = nullptr;
    int item_count = Analyse_FormulaText(&items, text, functions, ERROR_MESSAGE_ONLY);
    if (item_count == 0) return "not analysed";
    std::string shape = Shape(Build_Tree(items, item_count));
    delete[] items;
    return shape;
}

TEST(TreeFromScanner, ShapesOfAnalysedFormulas) {
    EXPECT_EQ("((a+(b*c))-d)", Scanned_Shape("a+b*c-d"));
    EXPECT_EQ("((a*b)+(c*d))", Scanned_Shape("a*b+c*d"));
    EXPECT_EQ("((a+(b*(c^d)))-e)", Scanned_Shape("a+b*c^d-e"));
    EXPECT_EQ("((a-b)-c)", Scanned_Shape("a-b-c"));
    EXPECT_EQ("((a-b)+c)", Scanned_Shape("a-b+c"));
    EXPECT_EQ("((2^3)^2)", Scanned_Shape("2^3^2"));
    EXPECT_EQ("(a*(b/c))", Scanned_Shape("a*b/c"));
    EXPECT_EQ("((a/b)*c)", Scanned_Shape("a/b*c"));
    EXPECT_EQ("((a/b)/c)", Scanned_Shape("a/b/c"));
    EXPECT_EQ("(0-(x^2))", Scanned_Shape("-x^2"));
    EXPECT_EQ("((a+b)*c)", Scanned_Shape("(a+b)*c"));
    EXPECT_EQ("a", Scanned_Shape("((a))"));
    EXPECT_EQ("x", Scanned_Shape("x"));
    EXPECT_EQ("log(2,x)", Scanned_Shape("log(2,x)"));
    EXPECT_EQ("log(sigma[n(1,2),n],2)", Scanned_Shape("log(sigma[n(1,2),n],2)"));
    EXPECT_EQ("sigma[n(1,10),(n^2)]", Scanned_Shape("sigma[n(1,10),n^2]"));
    EXPECT_EQ("(sin((0-x))*2)", Scanned_Shape("sin(-x)*2"));
}

TEST(TreeFromScanner, ShapesWithUserFunctions) {
    EXPECT_EQ("f(g(1,2),3)", Scanned_Shape("f(g(1,2),3)"));
    EXPECT_EQ("(k()+f(1,(x*2)))", Scanned_Shape("k()+f(1,x*2)"));
}

}  // namespace
