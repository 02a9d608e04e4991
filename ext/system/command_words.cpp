#include "command_words.h"

namespace syslib {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool escapable_in_double_quotes(char c) { return c == '"' || c == '\\' || c == '$' || c == '`'; }

}  // namespace

std::vector<std::string> command_words(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (is_blank(c)) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\\') {
            if (i + 1 < text.size()) ++i;
            word += text[i];
        } else if (c == '\'') {
            for (++i; i < text.size() && text[i] != '\''; ++i) word += text[i];
        } else if (c == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                const bool escape = text[i] == '\\' && i + 1 < text.size() &&
                                    escapable_in_double_quotes(text[i + 1]);
                if (escape) ++i;
                word += text[i];
            }
        } else {
            word += c;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

}  // namespace syslib
