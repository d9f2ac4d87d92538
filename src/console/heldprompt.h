// Console output while lines are edited: whole lines pass straight through,
// but the text after the last line end (a prompt waiting for its answer) is
// held back, so that the line editor can show it as its own prompt and redraw
// it as the line changes. Held text is written when its line ends, when it
// grows past HELD_PROMPT_LIMIT, or on Release.
#ifndef KANSU_HELDPROMPT_H
#define KANSU_HELDPROMPT_H

#include <streambuf>
#include <string>
#include <string_view>

const size_t HELD_PROMPT_LIMIT = 1024;

class HeldPromptBuf : public std::streambuf {
public:
    explicit HeldPromptBuf(std::streambuf* target) : target_(target) {}

    // The held text, which the caller now shows; nothing is held after.
    std::string TakePrompt();
    // Writes the held text through.
    void Release();
    // The last whole line written (without its line end).
    const std::string& LastLine() const { return last_line_; }

protected:
    int_type overflow(int_type letter) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    void Pass(const char* text, size_t count);

    std::streambuf* target_;
    std::string held_;
    std::string last_line_;
};

#endif
