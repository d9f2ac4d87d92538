#include "plot/plotargs.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>

namespace {

bool Read_Number(std::string_view text, double* value) {
    if (text.empty()) return false;
    std::from_chars_result read = std::from_chars(text.data(), text.data() + text.size(), *value);
    return read.ec == std::errc() && read.ptr == text.data() + text.size() && std::isfinite(*value);
}

// "a:b", either side empty (open: infinite here, the data's limit when
// drawn); given from high to low, the range is mirrored.
bool Read_Range(const char* text, AxisRange* range, bool* reversed, bool* given) {
    std::string_view whole(text);
    size_t colon = whole.find(':');
    if (colon == std::string_view::npos) return false;
    std::string_view low = whole.substr(0, colon), high = whole.substr(colon + 1);
    *range = AxisRange{-HUGE_VAL, HUGE_VAL};
    if ((!low.empty() && !Read_Number(low, &range->low)) ||
        (!high.empty() && !Read_Number(high, &range->high)) || range->low == range->high)
        return false;
    *reversed = range->low > range->high;
    if (*reversed) std::swap(range->low, range->high);
    *given = !low.empty() || !high.empty();
    return true;
}

bool Read_Aspect(const char* text, PlotAspect* aspect) {
    if (std::strcmp(text, "equal") == 0)
        *aspect = PlotAspect::EQUAL;
    else if (std::strcmp(text, "auto") == 0)
        *aspect = PlotAspect::AUTO;
    else
        return false;
    return true;
}

bool Read_RunNumber(const char* text, int* number) {
    std::string_view whole(text);
    std::from_chars_result read =
        std::from_chars(whole.data(), whole.data() + whole.size(), *number);
    return read.ec == std::errc() && read.ptr == whole.data() + whole.size() && *number >= 1;
}

// The readers of the options that take a value.
using ValueReader = bool (*)(const char* value, PlotOptions* options);

bool Read_Output(const char* value, PlotOptions* options) {
    options->output_path = value;
    return value[0] != '\0';
}

bool Read_Run(const char* value, PlotOptions* options) {
    return Read_RunNumber(value, &options->request.run_number);
}

bool Read_XRange(const char* value, PlotOptions* options) {
    PlotRequest& request = options->request;
    return Read_Range(value, &request.x_range, &request.x_reversed, &request.x_range_given);
}

bool Read_YRange(const char* value, PlotOptions* options) {
    PlotRequest& request = options->request;
    return Read_Range(value, &request.y_range, &request.y_reversed, &request.y_range_given);
}

bool Read_AspectOption(const char* value, PlotOptions* options) {
    return Read_Aspect(value, &options->request.aspect);
}

bool Read_Title(const char* value, PlotOptions* options) {
    options->request.title = value;
    return true;
}

bool Read_XLabel(const char* value, PlotOptions* options) {
    options->request.x_title = value;
    return true;
}

bool Read_YLabel(const char* value, PlotOptions* options) {
    options->request.y_title = value;
    return true;
}

const struct ValueOption {
    const char* name;
    ValueReader read;
} VALUE_OPTIONS[] = {
    {"-o", Read_Output},
    {"--run", Read_Run},
    {"--xrange", Read_XRange},
    {"--yrange", Read_YRange},
    {"--aspect", Read_AspectOption},
    {"--title", Read_Title},
    {"--xlabel", Read_XLabel},
    {"--ylabel", Read_YLabel},
};

// The value option that word names: "--opt" (the value follows) or, for a
// long option, "--opt=value" (*inline_value set). Null when none.
const ValueOption* Value_Option(const char* word, const char** inline_value) {
    *inline_value = nullptr;
    for (const ValueOption& option : VALUE_OPTIONS) {
        size_t length = std::strlen(option.name);
        if (std::strncmp(word, option.name, length) != 0) continue;
        if (word[length] == '\0') return &option;
        if (word[length] == '=' && option.name[1] == '-') {
            *inline_value = word + length + 1;
            return &option;
        }
    }
    return nullptr;
}

// The options without a value; false for a word that is none of them.
bool Flag_Option(const char* word, PlotOptions* options) {
    if (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0) {
        options->help = true;
    } else if (std::strcmp(word, "--utf8") == 0 || std::strcmp(word, "--cp932") == 0) {
        options->utf8 = std::strcmp(word, "--utf8") == 0;
        options->cp932 = !options->utf8;
    } else if (std::strcmp(word, "--all") == 0) {
        options->request.all_runs = true;
    } else if (std::strcmp(word, "--term") == 0) {
        options->terminal = true;
    } else if (std::strcmp(word, "--marks") == 0) {
        options->marks = true;
    } else {
        return false;
    }
    return true;
}

// One option at argv[*at] (moving past its value); the argument to name as
// not understood, or null.
const char* Take_Option(int argc, const char* const* argv, int* at, PlotOptions* options) {
    const char* word = argv[*at];
    if (Flag_Option(word, options)) return nullptr;
    const char* value = nullptr;
    const ValueOption* option = Value_Option(word, &value);
    if (option == nullptr) return word;
    if (value == nullptr) {
        if (*at + 1 >= argc) return word;
        value = argv[++*at];
        if (!option->read(value, options)) return value[0] != '\0' ? value : word;
        return nullptr;
    }
    return option->read(value, options) ? nullptr : word;
}

}  // namespace

int Plot_WordIndex(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "plot") == 0) return i;
        if (std::strcmp(argv[i], "--utf8") != 0 && std::strcmp(argv[i], "--cp932") != 0) return 0;
    }
    return 0;
}

PlotOptions Parse_PlotOptions(int argc, const char* const* argv, int plot_word) {
    PlotOptions options;
    for (int i = 1; i < argc; ++i) {
        if (i == plot_word) continue;
        const char* word = argv[i];
        const char* bad = nullptr;
        // "-" is the report on standard input.
        bool report = std::strcmp(word, "-") == 0 || word[0] != '-';
        if (report && options.request.report_path.empty())
            options.request.report_path = word;
        else
            bad = report ? word : Take_Option(argc, argv, &i, &options);
        if (bad != nullptr && options.bad_argument.empty()) options.bad_argument = bad;
    }
    if (options.request.all_runs && options.request.run_number > 0 && options.bad_argument.empty())
        options.bad_argument = "--all --run";
    options.report_missing = options.request.report_path.empty();
    return options;
}
