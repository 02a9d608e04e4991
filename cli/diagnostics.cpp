#include "diagnostics.h"

#include <algorithm>

#include "compile_errors.h"
#include "platform/text.h"

namespace cli {
namespace {

bool is_low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Terminal columns of a character: East Asian wide characters take two, so
// the underline stays under Chinese text.
int display_width(char32_t c) {
    bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

size_t line_start_before(const std::u16string &source, size_t index) {
    size_t newline = index == 0 ? std::u16string::npos : source.rfind(u'\n', index - 1);
    return newline == std::u16string::npos ? 0 : newline + 1;
}

// The line holding index, without its line end.  Control characters show
// as '?', one column each like the characters they replace, so binary input
// cannot drive the terminal or cut the report short.
std::u16string line_at(const std::u16string &source, size_t index) {
    size_t begin = line_start_before(source, index);
    size_t end = source.find(u'\n', begin);
    if (end == std::u16string::npos) end = source.size();
    std::u16string line = source.substr(begin, end - begin);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    for (char16_t &c : line)
        if ((c < 0x20 && c != u'\t') || c == 0x7F || (c >= 0x80 && c < 0xA0)) c = u'?';
    return line;
}

// Spaces up to the column of `from` within the line, then '^' and '~' under
// [from, to]; tabs stay tabs so the marks line up wherever the tab stops are.
std::string underline(const std::u16string &line, size_t from, size_t to) {
    std::string marks;
    for (size_t i = 0; i < line.size() && i <= to; ++i) {
        char16_t c = line[i];
        if (is_low_surrogate(c)) continue;
        char32_t code = c;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < line.size() && is_low_surrogate(line[i + 1]))
            code = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(line[i + 1]) - 0xDC00);
        int width = display_width(code);
        char mark = i < from ? (c == u'\t' ? '\t' : ' ') : i == from ? '^' : '~';
        marks += mark;
        if (width == 2) marks += i < from ? ' ' : '~';
    }
    if (from >= line.size()) marks += '^';
    return marks;
}

}  // namespace

std::string compile_error_text(int code) {
    std::u16string reason = ide::compile_error_reason(code);
    return reason.empty() ? "" : "编译错误：" + platform::to_utf8(reason);
}

SourcePosition position_of(const std::u16string &source, size_t index) {
    index = std::min(index, source.size());
    SourcePosition position;
    size_t begin = line_start_before(source, index);
    for (size_t i = 0; i < begin; ++i)
        if (source[i] == u'\n') ++position.line;
    for (size_t i = begin; i < index; ++i)
        if (!is_low_surrogate(source[i])) ++position.column;
    return position;
}

std::string format_compile_error(const std::string &name, const std::u16string &source,
                                 int code, int first, int last) {
    std::string report;
    std::string text = compile_error_text(code);
    if (!text.empty()) report += text + "\n";

    size_t size = source.size();
    size_t from = size == 0 ? 0 : std::min<size_t>(size_t(std::max(first, 0)), size - 1);
    size_t to = size == 0 ? 0 : std::min<size_t>(size_t(std::max(last, 0)), size - 1);
    if (to < from) to = from;
    SourcePosition start = position_of(source, from);
    SourcePosition end = position_of(source, to);
    report += name + ":" + std::to_string(start.line) + ":" + std::to_string(start.column) +
              ": compile error " + std::to_string(code) + " at " + std::to_string(start.line) +
              ":" + std::to_string(start.column) + "-" + std::to_string(end.line) + ":" +
              std::to_string(end.column) + "\n";
    if (size == 0) return report;

    std::u16string line = line_at(source, from);
    size_t line_begin = line_start_before(source, from);
    // A range running past its first line is underlined to that line's end.
    size_t line_to = std::min(to - line_begin, line.empty() ? 0 : line.size() - 1);
    report += "  " + platform::to_utf8(line) + "\n";
    report += "  " + underline(line, from - line_begin, line_to) + "\n";
    return report;
}

}  // namespace cli
