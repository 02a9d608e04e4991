#include "output.h"

#include <cerrno>

#include "output_forms.h"
#include "platform/text.h"

namespace cli {

// The forms are the editor's; this host only drops the leading line break.
std::string format_int(int64_t value) { return "i: " + ide::format_int(value); }
std::string format_real(double value) { return ide::format_real(value); }
std::string format_complex(double re, double im) { return "c: " + ide::format_complex(re, im); }

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

void OutputSink::check(bool written) {
    if (failure_ == 0 && (!written || std::ferror(stream_))) failure_ = errno != 0 ? errno : EIO;
    if (failure_ != 0 && on_failure_) on_failure_();
}

void OutputSink::write(std::string_view text) {
    if (failure_ != 0) return check(false);
    if (text.empty()) return;
    if (at_line_start_ && text.front() == '\n') text.remove_prefix(1);
    if (text.empty()) return;
    errno = 0;
    check(std::fwrite(text.data(), 1, text.size(), stream_) == text.size());
    at_line_start_ = text.back() == '\n';
}

void OutputSink::finish_line() {
    if (failure_ != 0) return;
    errno = 0;
    bool written = at_line_start_ || std::fputc('\n', stream_) != EOF;
    at_line_start_ = true;
    check(std::fflush(stream_) == 0 && written);
}

}  // namespace cli
