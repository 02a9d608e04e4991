#include "find_replace.h"

namespace ide {
namespace {

char16_t ascii_lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }
bool is_separator(char16_t c) { return c == u'\t' || c == u'\n' || c == u'\r' || c == u' '; }

bool matches_at(std::u16string_view text, std::u16string_view pattern, size_t at,
                SearchOptions options) {
    for (size_t i = 0; i < pattern.size(); ++i) {
        char16_t t = text[at + i], p = pattern[i];
        if (t == p) continue;
        if (options.match_case || ascii_lower(t) != ascii_lower(p)) return false;
    }
    if (!options.whole_word) return true;
    size_t end = at + pattern.size();
    return (at == 0 || is_separator(text[at - 1])) &&
           (end == text.size() || is_separator(text[end]));
}

}  // namespace

std::optional<Selection> find_from(std::u16string_view text, std::u16string_view pattern, int from,
                                   SearchOptions options) {
    if (pattern.empty() || from < 0 || pattern.size() > text.size()) return std::nullopt;
    for (size_t at = size_t(from); at + pattern.size() <= text.size(); ++at)
        if (matches_at(text, pattern, at, options))
            return Selection{int(at), int(at + pattern.size())};
    return std::nullopt;
}

std::optional<Selection> find_next(std::u16string_view text, std::u16string_view pattern,
                                   Selection selection, SearchOptions options) {
    std::optional<Selection> match = find_from(text, pattern, selection.start, options);
    if (match && *match == selection)
        match = find_from(text, pattern, selection.start + 1, options);
    return match;
}

ReplaceAllResult replace_all(std::u16string_view text, std::u16string_view pattern,
                             std::u16string_view replacement, int from, SearchOptions options) {
    ReplaceAllResult result{std::u16string(text)};
    // The editor counts a line break as one character: line feeds of the
    // replacement do not reach the text the search reads back.
    std::u16string inserted;
    for (char16_t c : replacement)
        if (c != u'\n') inserted += c;
    int at = from;
    int previous_end = -1;
    for (;;) {
        std::optional<Selection> match = find_from(result.text, pattern, at, options);
        if (!match) return result;
        if (match->start < previous_end) {
            result.completed = false;
            return result;
        }
        result.text.replace(size_t(match->start), pattern.size(), inserted);
        ++result.replacements;
        previous_end = match->start + int(inserted.size());
        // An empty replacement would find the same place again forever.
        at = inserted.empty() ? match->start : previous_end;
        if (inserted.empty() && pattern.empty()) return result;
    }
}

}  // namespace ide
