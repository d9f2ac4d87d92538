// Standard output swapped for a buffer, for unit tests of code that writes messages.
#ifndef KANSU_TESTS_COUT_CAPTURE_H
#define KANSU_TESTS_COUT_CAPTURE_H

#include <iostream>
#include <sstream>
#include <string>

// Captures std::cout while alive.
class CoutCapture {
public:
    CoutCapture() : saved_(std::cout.rdbuf(buffer_.rdbuf())) {}
    ~CoutCapture() { std::cout.rdbuf(saved_); }
    CoutCapture(const CoutCapture&) = delete;
    CoutCapture& operator=(const CoutCapture&) = delete;
    std::string Text() const { return buffer_.str(); }

private:
    std::stringstream buffer_;
    std::streambuf* saved_;
};

#endif
