#include "help_search.h"

#include <algorithm>

namespace ide {
namespace {

char16_t ascii_upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }
bool is_separator(char16_t c) { return c == u'\t' || c == u'\n' || c == u'\r' || c == u' '; }

}  // namespace

std::u16string normalise_keywords(std::u16string_view input) {
    std::u16string text(input.substr(0, 260));
    for (char16_t &c : text) c = ascii_upper(c);
    return text;
}

std::vector<std::u16string> split_keywords(std::u16string_view keywords) {
    std::vector<std::u16string> words;
    size_t at = 0;
    while (at < keywords.size()) {
        while (at < keywords.size() && is_separator(keywords[at])) ++at;
        size_t end = at;
        while (end < keywords.size() && !is_separator(keywords[end])) ++end;
        if (end > at) words.emplace_back(keywords.substr(at, end - at));
        at = end;
    }
    return words;
}

bool help_text_matches(const std::vector<std::u16string> &keywords, std::u16string_view text) {
    auto same = [](char16_t t, char16_t k) { return t == k || ascii_upper(t) == k; };
    for (const std::u16string &keyword : keywords) {
        if (std::search(text.begin(), text.end(), keyword.begin(), keyword.end(), same) ==
            text.end())
            return false;
    }
    return true;
}

}  // namespace ide
