// What the host prints: results in the host's output forms and the texts the
// libraries send through "TmMessage".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace cli {

// "i: 42"
std::string format_int(int64_t value);
// 16 significant digits in general notation ("0.1", "3.333333333333333",
// "1e+20"); NaN prints as "nan" whatever its sign bit.
std::string format_real(double value);
// "c: 1+2i"; an imaginary part of 0 prints the real part only.
std::string format_complex(double re, double im);

// UTF-16 message text to UTF-8 with "\n" line ends.
std::string message_to_utf8(const char16_t *text);

// The results and messages of a run, written to one stream.  The host's
// texts open each item with a line break ("\r\ni: 42"); a break that would
// open an empty line at the start of a line is dropped, so results land one
// per line and a report's blank lines survive.
//
// A failed write (the reader of a pipe went away, a full disk) marks the
// sink failed: nothing more is written, and `on_failure` is called on every
// later write, so the host can stop the run instead of computing output
// nobody receives.
class OutputSink {
public:
    explicit OutputSink(std::FILE *stream) : stream_(stream) {}
    void write(std::string_view text);
    // Ends an unfinished line and flushes; called before anything else is
    // written to another stream and after every run.
    void finish_line();
    bool at_line_start() const { return at_line_start_; }

    // 0 while every write succeeded, else the errno of the first failure
    // (EPIPE: the reader has gone).
    int failure() const { return failure_; }
    void on_failure(void (*callback)()) { on_failure_ = callback; }

private:
    void check(bool written);

    std::FILE *stream_;
    bool at_line_start_ = true;
    int failure_ = 0;
    void (*on_failure_)() = nullptr;
};

}  // namespace cli
