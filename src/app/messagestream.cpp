#include "app/messagestream.h"

#include <iostream>

MessagesToErrorStream::MessagesToErrorStream()
    : saved_(std::cout.rdbuf()), forward_(std::cerr.rdbuf()), output_(saved_) {
    std::cout.flush();
    std::cout.rdbuf(&forward_);
}

MessagesToErrorStream::~MessagesToErrorStream() {
    // The dialogue leaves "…なんです。" open for its next prompt; here none follows.
    if (forward_.Line_Open()) std::cout << "\n";
    std::cout.flush();
    std::cout.rdbuf(saved_);
    output_.flush();
}

MessagesToErrorStream::Forward::int_type MessagesToErrorStream::Forward::overflow(int_type letter) {
    if (traits_type::eq_int_type(letter, traits_type::eof())) return traits_type::not_eof(letter);
    last_ = static_cast<unsigned char>(traits_type::to_char_type(letter));
    return target_->sputc(traits_type::to_char_type(letter));
}

std::streamsize MessagesToErrorStream::Forward::xsputn(const char* bytes, std::streamsize count) {
    if (count > 0) last_ = static_cast<unsigned char>(bytes[count - 1]);
    return target_->sputn(bytes, count);
}
