#include "start_options.h"

#include <charconv>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace gllib {

namespace {

constexpr long kMaxSide = 16384;

std::vector<std::string> words_of(const std::string &text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == ',' || c == '\t') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

bool read_number(std::string_view text, long low, long high, long &out) {
    long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    if (value < low || value > high) return false;
    out = value;
    return true;
}

bool read_size(std::string_view text, StartOptions &options) {
    size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) return false;
    long w = 0, h = 0;
    if (!read_number(text.substr(0, x), 1, kMaxSide, w)) return false;
    if (!read_number(text.substr(x + 1), 1, kMaxSide, h)) return false;
    options.width = int(w);
    options.height = int(h);
    return true;
}

bool read_word(const std::string &word, StartOptions &options) {
    std::string_view w = word;
    if (w == "offscreen") {
        options.offscreen = true;
        return true;
    }
    if (w == "window") {
        options.offscreen = false;
        return true;
    }
    if (w.starts_with("frames=")) return read_number(w.substr(7), 0, 1L << 40, options.frames);
    if (w.starts_with("size=")) return read_size(w.substr(5), options);
    if (w.starts_with("save=") && w.size() > 5) {
        options.save = std::string(w.substr(5));
        return true;
    }
    return false;
}

}  // namespace

ParsedStartOptions parse_start_options(const char16_t *argument) {
    ParsedStartOptions parsed;
    if (!argument) return parsed;
    for (const std::string &word : words_of(platform::to_utf8(argument))) {
        if (read_word(word, parsed.options)) continue;
        parsed.ok = false;
        parsed.error = word;
        return parsed;
    }
    return parsed;
}

}  // namespace gllib
