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
class OutputSink {
public:
    explicit OutputSink(std::FILE *stream) : stream_(stream) {}
    void write(std::string_view text);
    // Ends an unfinished line; called before anything else is written to
    // another stream and after every run.
    void finish_line();
    bool at_line_start() const { return at_line_start_; }

private:
    std::FILE *stream_;
    bool at_line_start_ = true;
};

}  // namespace cli
