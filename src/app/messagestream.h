// While a script command runs, what the shared dialogue code prints on the
// console (a refused formula's report, a refused range) goes to standard
// error instead, so that standard output carries the values alone.
#ifndef KANSU_APP_MESSAGESTREAM_H
#define KANSU_APP_MESSAGESTREAM_H

#include <ostream>
#include <streambuf>

class MessagesToErrorStream {
public:
    MessagesToErrorStream();
    // Ends a message left without its line end, and gives std::cout back.
    ~MessagesToErrorStream();
    MessagesToErrorStream(const MessagesToErrorStream&) = delete;
    MessagesToErrorStream& operator=(const MessagesToErrorStream&) = delete;

    // Standard output itself, for the values.
    std::ostream& Output() { return output_; }

private:
    // Passes every byte on to standard error, remembering the last one.
    class Forward : public std::streambuf {
    public:
        explicit Forward(std::streambuf* target) : target_(target) {}
        bool Line_Open() const { return last_ != '\n' && last_ != EMPTY; }

    protected:
        int_type overflow(int_type letter) override;
        std::streamsize xsputn(const char* bytes, std::streamsize count) override;
        int sync() override { return target_->pubsync(); }

    private:
        static const int EMPTY = -1;
        std::streambuf* target_;
        int last_ = EMPTY;
    };

    std::streambuf* saved_;
    Forward forward_;
    std::ostream output_;
};

#endif
