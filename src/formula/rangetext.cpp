#include "formula/rangetext.h"

#include "text/textchar.h"

namespace {
bool Is_Letter(char letter) {
    return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}
bool Is_Digit(char letter) { return letter >= '0' && letter <= '9'; }

// The text from *at up to the first stop letter outside parentheses and
// brackets, which *at is left on; false when the text ends first.
bool Take_Until(const std::string& text, size_t* at, char stop, std::string* piece) {
    int depth = 0;
    for (; *at < text.size(); ++*at) {
        char letter = text[*at];
        if (depth == 0 && letter == stop) return true;
        if (letter == '(' || letter == '[') ++depth;
        if ((letter == ')' || letter == ']') && depth > 0) --depth;
        piece->push_back(letter);
    }
    return false;
}
}  // namespace

int Split_RangeText(const std::string& text, int name_limit, RangeParts* parts) {
    std::string kept;
    for (char letter : text)
        if (!Is_TextBlank(static_cast<unsigned char>(letter))) kept.push_back(letter);
    if (kept.empty()) return text.empty() ? RANGE_EMPTY : RANGE_BAD_NAME;
    size_t at = 0;
    while (at < kept.size() && (Is_Letter(kept[at]) || (at > 0 && Is_Digit(kept[at])))) ++at;
    if (at == 0 || at > static_cast<size_t>(name_limit)) return RANGE_BAD_NAME;
    if (at == kept.size()) return RANGE_UNFINISHED;
    if (kept[at] != '(') return RANGE_BAD_NAME;
    parts->name = kept.substr(0, at++);
    if (!Take_Until(kept, &at, ',', &parts->lower)) return RANGE_UNFINISHED;
    ++at;
    if (!Take_Until(kept, &at, ')', &parts->upper)) return RANGE_UNFINISHED;
    ++at;
    if (parts->lower.empty()) return RANGE_BAD_LOWER;
    if (parts->upper.empty()) return RANGE_BAD_UPPER;
    if (at == kept.size()) return RANGE_SPLIT;
    if (kept[at] != '[') return RANGE_TEXT_AFTER;
    ++at;
    parts->has_count = true;
    if (!Take_Until(kept, &at, ']', &parts->count)) return RANGE_UNFINISHED;
    if (parts->count.empty()) return RANGE_BAD_COUNT;
    return at + 1 == kept.size() ? RANGE_SPLIT : RANGE_TEXT_AFTER;
}
