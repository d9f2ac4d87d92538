#include "console/heldprompt.h"

std::string HeldPromptBuf::TakePrompt() {
    std::string prompt;
    prompt.swap(held_);
    return prompt;
}

void HeldPromptBuf::Release() {
    Pass(held_.data(), held_.size());
    held_.clear();
    target_->pubsync();
}

void HeldPromptBuf::Pass(const char* text, size_t count) {
    if (count > 0) target_->sputn(text, static_cast<std::streamsize>(count));
}

HeldPromptBuf::int_type HeldPromptBuf::overflow(int_type letter) {
    if (traits_type::eq_int_type(letter, traits_type::eof())) return traits_type::not_eof(letter);
    char typed = traits_type::to_char_type(letter);
    xsputn(&typed, 1);
    return letter;
}

std::streamsize HeldPromptBuf::xsputn(const char* text, std::streamsize count) {
    std::string_view chunk(text, static_cast<size_t>(count));
    size_t line_end = chunk.rfind('\n');
    if (line_end != std::string_view::npos) {
        size_t line_start =
            line_end == 0 ? std::string_view::npos : chunk.rfind('\n', line_end - 1);
        if (line_start == std::string_view::npos)
            last_line_ = held_ + std::string(chunk.substr(0, line_end));
        else
            last_line_ = std::string(chunk.substr(line_start + 1, line_end - line_start - 1));
        Pass(held_.data(), held_.size());
        held_.clear();
        Pass(text, line_end + 1);
        chunk.remove_prefix(line_end + 1);
    }
    held_.append(chunk.data(), chunk.size());
    if (held_.size() > HELD_PROMPT_LIMIT) Release();
    return count;
}

int HeldPromptBuf::sync() { return target_->pubsync(); }
