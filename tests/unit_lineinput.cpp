// The pieces of line editing that need no terminal: history, its file, held
// prompts, completion, when editing is used, and the encoding choice.
#include "completion.h"
#include "heldprompt.h"
#include "history.h"
#include "historyfile.h"
#include "lineedit.h"
#include "messages.h"
#include "options.h"
#include "session.h"
#include "usrfunc.h"

#include <sys/stat.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

TEST(History, KeepsTypedLinesPerKind) {
    HistoryStore store;
    store.Add(InputKind::Formula, "x^2");
    store.Add(InputKind::Formula, "x^2");  // a repeat of the last line
    store.Add(InputKind::Formula, "");
    store.Add(InputKind::Other, "1");      // menu numbers keep nothing
    store.Add(InputKind::Range, "x(0,1)");
    store.Add(InputKind::Formula, "sin(x)");
    store.Add(InputKind::Formula, "x^2");
    store.Add(InputKind::Command, "two\nlines");
    EXPECT_EQ(store.Lines(InputKind::Formula), (std::vector<std::string>{"x^2", "sin(x)", "x^2"}));
    EXPECT_EQ(store.Lines(InputKind::Range), std::vector<std::string>{"x(0,1)"});
    EXPECT_TRUE(store.Lines(InputKind::Other).empty());
    EXPECT_TRUE(store.Lines(InputKind::Command).empty());
    EXPECT_EQ(store.Text(), "formula\tx^2\nformula\tsin(x)\nformula\tx^2\nrange\tx(0,1)\n");

    HistoryStore loaded;
    loaded.Load(store.Text() + "menu\t1\nno tab here\nfile\ta\tb.txt");
    EXPECT_EQ(loaded.Text(), store.Text() + "file\ta\tb.txt\n");
}

TEST(History, AtMostAThousandLinesPerKind) {
    HistoryStore store;
    for (int i = 0; i < 1005; ++i) store.Add(InputKind::Value, std::to_string(i));
    store.Add(InputKind::File, "out.txt");
    const std::vector<std::string>& values = store.Lines(InputKind::Value);
    ASSERT_EQ(values.size(), 1000u);
    EXPECT_EQ(values.front(), "5");
    EXPECT_EQ(values.back(), "1004");
    HistoryStore loaded;
    loaded.Load(store.Text() + store.Text());
    EXPECT_EQ(loaded.Text(), store.Text());
}

TEST(History, FilePath) {
    struct Case {
        const char* state_home;
        const char* home;
        std::string path;
    } cases[] = {
        {"/s", "/h", "/s/kansu/history"},
        {nullptr, "/h", "/h/.local/state/kansu/history"},
        {"", "/h", "/h/.local/state/kansu/history"},
        {"relative", "/h", "/h/.local/state/kansu/history"},
        {nullptr, nullptr, ""},
        {nullptr, "h", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(History_FilePath(c.state_home, c.home), c.path)
            << (c.state_home ? c.state_home : "(unset)") << " " << (c.home ? c.home : "(unset)");
}

TEST(HistoryFileTest, WrittenThroughMissingDirectoriesAndReadBack) {
    Session session;
    HistoryFile file(session.Path("state/kansu/history"));
    std::string text;
    EXPECT_TRUE(file.Read(&text));  // absent: empty
    EXPECT_EQ(text, "");
    file.Prepare("formula\tx^2\n");
    ASSERT_TRUE(file.Write());
    EXPECT_TRUE(file.Read(&text));
    EXPECT_EQ(text, "formula\tx^2\n");
    EXPECT_EQ(session.Files(), std::vector<std::string>{"state"});

    // A directory where the file should be, or a file where a directory should be.
    HistoryFile directory(session.Path("state"));
    EXPECT_FALSE(directory.Read(&text));
    directory.Prepare("x\n");
    EXPECT_FALSE(directory.Write());
    HistoryFile below_file(session.Path("state/kansu/history/kansu/history"));
    EXPECT_TRUE(below_file.Read(&text));
    EXPECT_FALSE(below_file.Write());
    EXPECT_TRUE(file.Read(&text));
    EXPECT_EQ(text, "formula\tx^2\n");
}

// What reaches the console through a HeldPromptBuf, and what stays held.
TEST(HeldPrompt, WholeLinesPassAndThePromptIsHeld) {
    struct Case {
        std::vector<std::string> writes;
        std::string passed, held;
    } cases[] = {
        {{"menu\n", "1"}, "menu\n", "1"},
        {{"a\nb\nprompt :"}, "a\nb\n", "prompt :"},
        {{"pro", "mpt", " :"}, "", "prompt :"},
        {{"x=", "\n"}, "x=\n", ""},
        {{std::string(HELD_PROMPT_LIMIT + 1, 'z')}, std::string(HELD_PROMPT_LIMIT + 1, 'z'), ""},
    };
    for (const Case& c : cases) {
        std::ostringstream console;
        HeldPromptBuf held(console.rdbuf());
        std::ostream out(&held);
        for (const std::string& text : c.writes) out << text << std::flush;
        EXPECT_EQ(console.str(), c.passed);
        EXPECT_EQ(held.TakePrompt(), c.held);
        EXPECT_EQ(held.TakePrompt(), "");
    }
    std::ostringstream console;
    HeldPromptBuf held(console.rdbuf());
    std::ostream out(&held);
    out << "end :" << 'x';
    held.Release();
    EXPECT_EQ(console.str(), "end :x");
}

TEST(Completion, CommandsFunctionsAndSums) {
    UsrFuncArray registry(nullptr);
    registry.AddUFncElem("sq2", -1, 1, 8, "a0*2");
    registry.AddUFncElem("sqr", -1, 2, 8, "a0*a1");
    registry.AddUFncElem("hyp", -1, 2, 8, "sqrt(a0^2+a1^2)");
    std::string arguments = Msg().COMPLETION_ARGUMENTS;
    struct Case {
        InputKind kind;
        std::string before_cursor, insert;
        std::vector<std::string> choices;
    } cases[] = {
        {InputKind::Command, "EnrU", "srfunc", {}},
        {InputKind::Command, "Sh", "owUfList", {}},
        {InputKind::Command, "ShowUfList", "", {"ShowUfList", "ShowUfList2"}},
        {InputKind::Command, "Set", "Uf", {}},
        {InputKind::Command, "enr", "", {}},  // case matters
        {InputKind::Command, " Check", "UfList", {}},
        {InputKind::Formula, "sq", "", {"sqrt(", "sq2(" + arguments + "1)", "sqr(" + arguments + "2)"}},
        {InputKind::Formula, "sqr", "", {"sqrt(", "sqr(" + arguments + "2)"}},
        {InputKind::Formula, "2*sqrt", "(", {}},
        {InputKind::Formula, "x+hy", "p(", {}},
        {InputKind::Formula, "si", "", {"sin(", "sinh(", "sigma["}},
        {InputKind::Formula, "sig", "ma[", {}},
        {InputKind::Formula, "log1", "0(", {}},
        {InputKind::Formula, "x+", "", {}},
        {InputKind::Formula, "2s", "", {}},   // a number, no name
        {InputKind::Definition, "a0*ta", "n", {}},
        {InputKind::Definition, "tanh", "(", {}},
        {InputKind::Range, "si", "", {}},
        {InputKind::Other, "Enr", "", {}},
    };
    for (const Case& c : cases) {
        Completion completion = Complete_Word(c.kind, c.before_cursor, registry);
        EXPECT_EQ(completion.insert, c.insert) << c.before_cursor;
        EXPECT_EQ(completion.choices, c.choices) << c.before_cursor;
    }
}

// Every built-in the completion offers is one that formulas accept.
TEST(Completion, OffersTheFifteenBuiltInsAndSigma) {
    UsrFuncArray registry(nullptr);
    int offered = 0;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        std::string word(1, letter);
        Completion completion = Complete_Word(InputKind::Formula, word, registry);
        while (!completion.insert.empty()) {
            word += completion.insert;
            completion = Complete_Word(InputKind::Formula, word, registry);
        }
        std::vector<std::string> names = completion.choices;
        if (names.empty() && word.size() > 1) names.push_back(word);
        for (const std::string& name : names) {
            ++offered;
            CompForm item;
            std::string bare = name.substr(0, name.size() - 1);
            std::snprintf(item.CompArray, sizeof item.CompArray, "%s", bare.c_str());
            EXPECT_TRUE(item.SetOperatorFunc() > 0 || item.SetMltOperator() > 0) << name;
        }
    }
    EXPECT_EQ(offered, 16);
}

TEST(Completion, PathsAtFilePrompts) {
    Session session;
    session.WriteFile("report-a.txt", "");
    session.WriteFile("report-b.txt", "");
    session.WriteFile(".hidden", "");
    ASSERT_EQ(mkdir(session.Path("results").c_str(), 0700), 0);
    session.WriteFile("results/one.txt", "");
    UsrFuncArray registry(nullptr);
    std::string dir = session.Dir() + "/";
    struct Case {
        std::string before_cursor, insert;
        std::vector<std::string> choices;
    } cases[] = {
        {dir + "rep", "ort-", {}},
        {dir + "report-", "", {"report-a.txt", "report-b.txt"}},
        {dir + "res", "ults/", {}},
        {dir + "results/", "one.txt", {}},
        {dir + ".h", "idden", {}},
        {dir + "none", "", {}},
        {dir + "missing/x", "", {}},
    };
    for (const Case& c : cases) {
        Completion completion = Complete_Word(InputKind::File, c.before_cursor, registry);
        EXPECT_EQ(completion.insert, c.insert) << c.before_cursor;
        EXPECT_EQ(completion.choices, c.choices) << c.before_cursor;
    }
    EXPECT_EQ(Complete_Word(InputKind::File, dir, registry).insert, "re");
    EXPECT_EQ(Complete_Word(InputKind::File, dir + "re", registry).choices,
              (std::vector<std::string>{"report-a.txt", "report-b.txt", "results/"}));
}

TEST(LineEditing, OnlyOnATerminalThatCanMoveTheCursor) {
    struct Case {
        bool wanted, input_terminal, output_terminal;
        const char* term;
        bool edits;
    } cases[] = {
        {true, true, true, "xterm-256color", true},
        {true, true, true, "screen", true},
        {false, true, true, "xterm", false},  // --no-edit
        {true, false, true, "xterm", false},  // input from a pipe or file
        {true, true, false, "xterm", false},  // output to a pipe or file
        {true, true, true, "dumb", false},
        {true, true, true, "", false},
        {true, true, true, nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Terminal_CanEdit(c.wanted, c.input_terminal, c.output_terminal, c.term), c.edits)
            << c.wanted << c.input_terminal << c.output_terminal << (c.term ? c.term : "(unset)");
}

// An option wins over KANSU_ENCODING; without either, code page 932.
TEST(Options, EncodingChoice) {
    struct Case {
        std::vector<const char*> words;
        const char* variable;
        bool utf8;
        bool complaint;
    } cases[] = {
        {{}, nullptr, false, false},
        {{}, "", false, false},
        {{}, "utf-8", true, false},
        {{}, "UTF8", true, false},
        {{}, "cp932", false, false},
        {{}, "CP932", false, false},
        {{}, "latin1", false, true},
        {{"--utf8"}, "cp932", true, false},
        {{"--cp932"}, "utf-8", false, false},
        {{"--cp932"}, nullptr, false, false},
        {{"--utf8", "--cp932"}, nullptr, false, false},  // the last one given
        {{"--cp932", "--utf8"}, "cp932", true, false},
        {{"--no-edit"}, "utf-8", true, false},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"kansu"};
        argv.insert(argv.end(), c.words.begin(), c.words.end());
        CommandOptions options = Parse_Options(static_cast<int>(argv.size()), argv.data());
        EXPECT_TRUE(options.unknown.empty());
        std::ostringstream complaint;
        std::string shown = (c.words.empty() ? "(none)" : c.words[0]) + std::string(" ") +
                            (c.variable ? c.variable : "(unset)");
        EXPECT_EQ(Utf8_Chosen(options, c.variable, complaint), c.utf8) << shown;
        EXPECT_EQ(complaint.str().empty(), !c.complaint) << shown;
        if (c.complaint) {
            EXPECT_NE(complaint.str().find(c.variable), std::string::npos);
        }
    }
    const char* no_edit[] = {"kansu", "--no-edit"};
    EXPECT_TRUE(Parse_Options(2, no_edit).no_edit);
    EXPECT_FALSE(Parse_Options(1, no_edit).no_edit);
}

}  // namespace
