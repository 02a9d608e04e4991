#include "constant_file.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <sstream>

namespace ide {
namespace {

bool is_space_or_tab(char16_t c) { return c == u' ' || c == u'\t'; }
bool is_letter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c > 255;
}
bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool in_integer_run(char16_t c) { return is_digit(c) || c == u'-'; }
bool in_real_run(char16_t c) {
    return is_digit(c) || c == u'+' || c == u'-' || c == u'.' || c == u'E' || c == u'e';
}

size_t skip(std::u16string_view text, size_t at, bool (*accept)(char16_t)) {
    while (at < text.size() && accept(text[at])) ++at;
    return at;
}

std::string ascii(std::u16string_view run) { return std::string(run.begin(), run.end()); }

// strtoll and strtod follow the C locale unless a program changed it; the
// classic stream does not depend on that.
bool read_integer(std::u16string_view run, int64_t &value) {
    std::string text = ascii(run);
    errno = 0;
    char *end = nullptr;
    long long number = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str()) return false;
    value = number;
    return true;
}

bool read_real(std::u16string_view run, double &value) {
    std::istringstream in(ascii(run));
    in.imbue(std::locale::classic());
    double number = 0;
    in >> number;
    if (in.fail()) return false;
    value = number;
    return true;
}

// One real value at `at`: the run, converted; `at` moves past the run.
bool real_value(std::u16string_view line, size_t &at, double &value) {
    size_t end = skip(line, at, in_real_run);
    bool ok = end > at && read_real(line.substr(at, end - at), value);
    at = end;
    return ok;
}

ConstantDefinition parse_line(std::u16string_view line, size_t start, ConstantType type) {
    ConstantDefinition definition;
    size_t at = skip(line, start, [](char16_t c) { return is_letter(c) || is_digit(c); });
    definition.name = std::u16string(line.substr(start, at - start));
    auto stop = [&](size_t where) {
        definition.text = std::u16string(line.substr(start, where - start));
        return definition;
    };
    at = skip(line, at, is_space_or_tab);
    if (at >= line.size() || line[at] != u'=') return stop(at);
    at = skip(line, at + 1, is_space_or_tab);
    switch (type) {
        case ConstantType::Integer: {
            size_t end = skip(line, at, in_integer_run);
            if (end == at || !read_integer(line.substr(at, end - at), definition.integer))
                return stop(end);
            break;
        }
        case ConstantType::Real:
            if (!real_value(line, at, definition.re)) return stop(at);
            break;
        case ConstantType::Complex:
            if (!real_value(line, at, definition.re)) return stop(at);
            at = skip(line, at, is_space_or_tab);
            if (at >= line.size() || line[at] != u',') return stop(at);
            at = skip(line, at + 1, is_space_or_tab);
            if (!real_value(line, at, definition.im)) return stop(at);
            break;
    }
    definition.ok = true;
    return definition;
}

}  // namespace

std::vector<ConstantDefinition> parse_constants(std::u16string_view text, ConstantType type) {
    std::vector<ConstantDefinition> definitions;
    size_t line_start = 0;
    while (line_start < text.size()) {
        size_t line_end = text.find_first_of(u"\r\n", line_start);
        if (line_end == std::u16string_view::npos) line_end = text.size();
        std::u16string_view line = text.substr(line_start, line_end - line_start);
        size_t first = skip(line, 0, is_space_or_tab);
        if (first < line.size() && is_letter(line[first]))
            definitions.push_back(parse_line(line, first, type));
        line_start = line_end + 1;
    }
    return definitions;
}

}  // namespace ide
