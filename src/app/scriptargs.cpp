#include "app/scriptargs.h"

#include <cstring>

#include "app/options.h"

namespace {
bool Is(const char* word, const char* option) { return std::strcmp(word, option) == 0; }

// Formulas and ranges each mode takes: eval one formula; roots a formula and
// a range; table a formula and a range, or two of one of them.
size_t Texts_Wanted(const ScriptOptions& options) {
    if (options.command == ScriptCommand::EVAL || options.command == ScriptCommand::FUNCTIONS)
        return 1;
    if (options.command == ScriptCommand::ROOTS) return 2;
    bool three = options.mode == TableMode::PARAM || options.mode == TableMode::IMPLICIT;
    return three ? 3 : 2;
}

// The options both commands take; false for a word that is none of them.
bool Common_Option(int argc, const char* const* argv, int* at, ScriptOptions* options) {
    const char* word = argv[*at];
    const char* value = *at + 1 < argc ? argv[*at + 1] : nullptr;
    if (Is(word, "--utf8") || Is(word, "--cp932")) {
        options->utf8 = Is(word, "--utf8");
        options->cp932 = !options->utf8;
    } else if (Is(word, "--help") || Is(word, "-h")) {
        options->show_help = true;
    } else if (Is(word, "--digits") || Is(word, "--threads")) {
        // The word after is the count even when refused, as in the dialogue's options.
        bool digits = Is(word, "--digits");
        int count = Option_Count(value, digits ? MAX_DIGITS : MAX_THREADS);
        if (value != nullptr) ++*at;
        if (count == 0) (digits ? options->digits_refused : options->threads_refused) = true;
        if (count != 0) (digits ? options->digits : options->threads) = count;
        if (count != 0 && digits) options->digits_given = true;
    } else if (Is(word, "--functions") && value != nullptr && value[0] != '\0') {
        options->functions_path = argv[++*at];
    } else if (Is(word, "--define") && value != nullptr) {
        options->definitions.push_back(argv[++*at]);
    } else {
        return false;
    }
    return true;
}

// The options of table alone.
bool Table_Option(int argc, const char* const* argv, int* at, ScriptOptions* options) {
    const char* word = argv[*at];
    const char* value = *at + 1 < argc ? argv[*at + 1] : nullptr;
    if (Is(word, "--csv")) {
        options->csv = true;
    } else if (Is(word, "--plot")) {
        options->plot = true;
    } else if (Is(word, "--polar")) {
        options->mode = TableMode::POLAR;
    } else if (Is(word, "--param")) {
        options->mode = TableMode::PARAM;
    } else if (Is(word, "--implicit")) {
        options->mode = TableMode::IMPLICIT;
    } else if (Is(word, "-o") && value != nullptr && value[0] != '\0') {
        options->output_path = argv[++*at];
    } else {
        return false;
    }
    return true;
}

// The options of roots alone.
bool Roots_Option(const char* word, ScriptOptions* options) {
    if (Is(word, "--csv"))
        options->csv = true;
    else if (Is(word, "--extrema"))
        options->extrema = true;
    else
        return false;
    return true;
}

// The options of the command beside the common ones.
bool Command_Option(int argc, const char* const* argv, int* at, ScriptOptions* options) {
    switch (options->command) {
    case ScriptCommand::TABLE: return Table_Option(argc, argv, at, options);
    case ScriptCommand::ROOTS: return Roots_Option(argv[*at], options);
    case ScriptCommand::EVAL:
    case ScriptCommand::FUNCTIONS:
    case ScriptCommand::NONE: break;
    }
    return false;
}

// A formula, a range, "-" (eval: formulas from standard input) or NAME=VALUE.
// A formula has no "=", so any word with one is a value.
void Take_Word(const char* word, ScriptOptions* options) {
    if (std::strchr(word, '=') != nullptr)
        options->assignments.push_back(word);
    else
        options->texts.push_back(word);
}
}  // namespace

int Script_WordIndex(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (Is(argv[i], "eval") || Is(argv[i], "table") || Is(argv[i], "roots") ||
            Is(argv[i], "functions"))
            return i;
        if (!Is(argv[i], "--utf8") && !Is(argv[i], "--cp932")) return 0;
    }
    return 0;
}

ScriptOptions Parse_ScriptOptions(int argc, const char* const* argv, int word) {
    ScriptOptions options;
    options.command = Is(argv[word], "eval")    ? ScriptCommand::EVAL
                      : Is(argv[word], "table") ? ScriptCommand::TABLE
                      : Is(argv[word], "roots") ? ScriptCommand::ROOTS
                                                : ScriptCommand::FUNCTIONS;
    bool options_ended = false;  // after "--" every word is a text or a value
    for (int i = 1; i < argc; ++i) {
        if (i == word) continue;
        const char* text = argv[i];
        bool is_option = !options_ended &&
                         ((text[0] == '-' && text[1] == '-') || Is(text, "-o") || Is(text, "-h"));
        if (!options_ended && Is(text, "--")) {
            options_ended = true;
        } else if (!is_option) {
            Take_Word(text, &options);
        } else if (!Common_Option(argc, argv, &i, &options) &&
                   !Command_Option(argc, argv, &i, &options) && options.bad_argument.empty()) {
            options.bad_argument = text;
        }
    }
    if (!options.show_help && options.texts.size() < Texts_Wanted(options))
        options.texts_missing = true;
    else if (options.bad_argument.empty() && options.texts.size() > Texts_Wanted(options))
        options.bad_argument = options.texts[Texts_Wanted(options)];
    return options;
}
