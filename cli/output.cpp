#include "output.h"

#include <cinttypes>
#include <cmath>

#include "platform/text.h"

namespace cli {

std::string format_int(int64_t value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "i: %" PRId64, value);
    return buffer;
}

std::string format_real(double value) {
    if (std::isnan(value)) return "nan";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.16g", value);
    return buffer;
}

std::string format_complex(double re, double im) {
    std::string text = "c: " + format_real(re);
    if (im == 0) return text;
    // "+" for a positive part and for NaN, whose own form carries no sign.
    if (!(im < 0)) text += '+';
    return text + format_real(im) + "i";
}

std::string message_to_utf8(const char16_t *text) {
    if (!text) return "";
    std::string utf8 = platform::to_utf8(text);
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
        out += utf8[i];
    }
    return out;
}

void OutputSink::write(std::string_view text) {
    if (text.empty()) return;
    if (at_line_start_ && text.front() == '\n') text.remove_prefix(1);
    if (text.empty()) return;
    std::fwrite(text.data(), 1, text.size(), stream_);
    at_line_start_ = text.back() == '\n';
}

void OutputSink::finish_line() {
    if (!at_line_start_) std::fputc('\n', stream_);
    at_line_start_ = true;
    std::fflush(stream_);
}

}  // namespace cli
