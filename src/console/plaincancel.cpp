#include "console/plaincancel.h"

#include <iostream>
#include <streambuf>

#include "console/dialoguecancel.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {
// Passes standard input's characters through unbuffered; at end of input
// inside a dialogue it cancels the dialogue, whose output is then dropped.
class CancellingInputBuf : public std::streambuf {
public:
    explicit CancellingInputBuf(std::streambuf* plain) : plain_(plain) {}

protected:
    // A cancelled dialogue reads nothing more, so no further key is awaited.
    int_type underflow() override {
        return Dialogue_Cancelled() ? Cancelled() : Seen(plain_->sgetc());
    }
    int_type uflow() override {
        return Dialogue_Cancelled() ? Cancelled() : Seen(plain_->sbumpc());
    }
    int_type pbackfail(int_type letter) override {
        return traits_type::eq_int_type(letter, traits_type::eof())
                   ? plain_->sungetc()
                   : plain_->sputbackc(traits_type::to_char_type(letter));
    }

private:
    int_type Seen(int_type letter) {
        if (!traits_type::eq_int_type(letter, traits_type::eof())) return letter;
        return Dialogue_Cancelled() || Cancel_Dialogue() ? Cancelled() : letter;
    }

    // The screen's line is ended once, and the dialogue's output dropped.
    int_type Cancelled() {
        if (!std::cout.bad()) {
            std::cout << "\n" << std::flush;
            std::cout.setstate(std::ios::badbit);
        }
        return traits_type::eof();
    }

    std::streambuf* plain_;
};
}  // namespace

bool Watch_PlainTerminalInput() {
#ifdef _WIN32
    return false;
#else
    if (isatty(STDIN_FILENO) == 0 || isatty(STDOUT_FILENO) == 0) return false;
    static CancellingInputBuf watching(std::cin.rdbuf());
    std::cin.rdbuf(&watching);
    return true;
#endif
}
