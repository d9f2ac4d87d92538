// The pieces of line editing that need no terminal: history, held prompts,
// completion, and when editing is used.
#include "console/completion.h"
#include "console/heldprompt.h"
#include "console/history.h"
#include "console/lineedit.h"
#include "text/messages.h"
#include "session.h"
#include "userfunc/usrfunc.h"

#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

TEST(History, KeepsTypedLinesPerKindAtMostAThousand) {
    HistoryStore store;
    for (const char* line : {"x^2", "x^2", "", "sin(x)", "x^2"})
        store.Add(InputKind::Formula, line);
    store.Add(InputKind::Other, "1");  // menu numbers keep nothing
    store.Add(InputKind::Command, "two\nlines");
    for (int i = 0; i < 1005; ++i) store.Add(InputKind::Value, std::to_string(i));
    EXPECT_EQ(store.Lines(InputKind::Formula), (std::vector<std::string>{"x^2", "sin(x)", "x^2"}));
    EXPECT_TRUE(store.Lines(InputKind::Other).empty() && store.Lines(InputKind::Command).empty());
    ASSERT_EQ(store.Lines(InputKind::Value).size(), 1000u);
    EXPECT_EQ(store.Lines(InputKind::Value).front(), "5");
    EXPECT_EQ(store.Text().rfind("formula\tx^2\nformula\tsin(x)\nformula\tx^2\nvalue\t5\n", 0), 0u);

    HistoryStore loaded;
    loaded.Load(store.Text() + "menu\t1\nno tab here\nfile\ta\tb.txt");
    EXPECT_EQ(loaded.Text(), store.Text() + "file\ta\tb.txt\n");
}

TEST(History, FilePath) {
    const char* const cases[][3] = {
        {"/s", "/h", "/s/kansu/history"},
        {nullptr, "/h", "/h/.local/state/kansu/history"},
        {"", "/h", "/h/.local/state/kansu/history"},
        {"relative", "/h", "/h/.local/state/kansu/history"},
        {nullptr, "h", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(History_FilePath(c[0], c[1]), c[2]) << c[2];
}

// What reaches the console through a HeldPromptBuf, what stays held, and the
// last whole line (which tells one prompt's place from another's).
TEST(HeldPrompt, WholeLinesPassAndThePromptIsHeld) {
    const std::string long_text(HELD_PROMPT_LIMIT + 1, 'z');
    const std::vector<std::string> cases[] = {
        {"menu\n", "1", "menu\n", "1", "menu"}, {"a\nb\nprompt :", "", "a\nb\n", "prompt :", "b"},
        {"pro", "mpt :", "", "prompt :", ""},   {"x=", "\n", "x=\n", "", "x="},
        {long_text, "", long_text, "", ""},     {"a\n\n", "b", "a\n\n", "b", ""},
    };
    for (const std::vector<std::string>& c : cases) {
        std::ostringstream console;
        HeldPromptBuf held(console.rdbuf());
        std::ostream out(&held);
        out << c[0] << std::flush << c[1] << std::flush;
        EXPECT_EQ(console.str(), c[2]);
        EXPECT_EQ(held.LastLine(), c[4]);
        EXPECT_EQ(held.TakePrompt(), c[3]);
        EXPECT_EQ(held.TakePrompt(), "");
        out << "end :";
        held.Release();
        EXPECT_EQ(console.str(), c[2] + "end :");
    }
}

TEST(Completion, CommandsFunctionsAndPaths) {
    Session session;
    session.WriteFile("report-a.txt", "");
    session.WriteFile("report-b.txt", "");
    ASSERT_EQ(mkdir(session.Path("results").c_str(), 0700), 0);
    UsrFuncArray registry(nullptr);
    registry.AddUFncElem("sq2", -1, 1, 8, "a0*2");
    registry.AddUFncElem("hyp", -1, 2, 8, "sqrt(a0^2+a1^2)");
    registry.AddUFncElem("sqh", -1, 2, 8, "a0^2+a1^2");
    std::string dir = session.Dir() + "/";
    struct Case {
        InputKind kind;
        std::string before_cursor, insert;
        std::vector<std::string> choices;
    } cases[] = {
        {InputKind::Command, "EnrU", "srfunc", {}},
        {InputKind::Command, "ShowUfList", "", {"ShowUfList", "ShowUfList2"}},
        {InputKind::Command, " Set", "Uf", {}},
        {InputKind::Command, "enr", "", {}},  // case matters
        {InputKind::Formula, "sq", "", {"sqrt(", "sq2(a0)", "sqh(a0,a1)"}},
        {InputKind::Formula, "2*sqr", "t(", {}},
        {InputKind::Formula, "x+hy", "p(", {}},
        {InputKind::Formula, "si", "", {"sin(", "sinh(", "sigma["}},
        {InputKind::Formula, "log1", "0(", {}},
        {InputKind::Formula, "2s", "", {}},  // a number, no name
        {InputKind::Definition, "a0*tanh", "(", {}},
        {InputKind::Range, "si", "", {}},
        {InputKind::File, dir + "rep", "ort-", {}},
        {InputKind::File, dir + "report-", "", {"report-a.txt", "report-b.txt"}},
        {InputKind::File, dir + "res", "ults/", {}},
        {InputKind::File, dir + "missing/x", "", {}},
    };
    for (const Case& c : cases) {
        Completion completion = Complete_Word(c.kind, c.before_cursor, registry);
        EXPECT_EQ(completion.insert, c.insert) << c.before_cursor;
        EXPECT_EQ(completion.choices, c.choices) << c.before_cursor;
    }
}

TEST(LineEditing, OnlyOnATerminalThatCanMoveTheCursor) {
    struct Case {
        bool wanted, input_terminal, output_terminal;
        const char* term;
        bool edits;
    } cases[] = {
        {true, true, true, "xterm", true},   {false, true, true, "xterm", false},
        {true, false, true, "xterm", false}, {true, true, false, "xterm", false},
        {true, true, true, "dumb", false},   {true, true, true, nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Terminal_CanEdit(c.wanted, c.input_terminal, c.output_terminal, c.term), c.edits)
            << c.wanted << c.input_terminal << c.output_terminal << (c.term ? c.term : "(unset)");
}

}  // namespace
