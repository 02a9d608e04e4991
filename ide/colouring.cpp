#include "colouring.h"

#include <algorithm>

namespace ide {
namespace {

bool starts_word(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c > 255;
}
bool in_word(char16_t c) { return starts_word(c) || (c >= u'0' && c <= u'9'); }

class Scanner {
public:
    Scanner(std::u16string_view text, const std::vector<std::u16string> &keywords)
        : text_(text), keywords_(keywords) {}

    std::vector<ColourRange> run() {
        const int n = int(text_.size());
        int at = 0;
        while (at < n) {
            if (at + 1 < n && text_[at] == u'/' && text_[at + 1] == u'/') {
                at = line_comment(at);
            } else if (at + 1 < n && text_[at] == u'/' && text_[at + 1] == u'*') {
                if (depth_++ == 0) block_start_ = at;
                at += 2;
            } else if (at + 1 < n && text_[at] == u'*' && text_[at + 1] == u'/') {
                if (--depth_ < 0) {
                    // Everything before is green now, whatever it was.
                    ranges_.clear();
                    add(0, at + 2, Colour::Comment);
                    return std::move(ranges_);
                }
                if (depth_ == 0) add(block_start_, at + 2, Colour::Comment);
                at += 2;
            } else if (depth_ > 0) {
                ++at;
            } else if (text_[at] == u'"') {
                at = string(at);
            } else if (starts_word(text_[at])) {
                at = word(at);
            } else {
                ++at;
            }
        }
        if (depth_ > 0) add(block_start_, n, Colour::Comment);
        return std::move(ranges_);
    }

private:
    void add(int start, int end, Colour colour) {
        if (end > start) ranges_.push_back({start, end, colour});
    }

    int line_comment(int at) {
        size_t end = text_.find(u'\r', size_t(at));
        int stop = end == std::u16string_view::npos ? int(text_.size()) : int(end);
        // Inside a block comment the whole block is coloured when it closes.
        if (depth_ == 0) add(at, stop, Colour::Comment);
        return stop;
    }

    int string(int at) {
        const int n = int(text_.size());
        for (int i = at + 1; i < n; ++i) {
            if (text_[i] == u'"' && text_[i - 1] != u'\\') {
                add(at, i + 1, Colour::String);
                return i + 1;
            }
        }
        add(at, n, Colour::String);
        return n;
    }

    int word(int at) {
        int end = at;
        while (end < int(text_.size()) && in_word(text_[end])) ++end;
        std::u16string_view w = text_.substr(size_t(at), size_t(end - at));
        if (std::find(keywords_.begin(), keywords_.end(), w) != keywords_.end()) {
            bool before = at > 0 && text_[at - 1] == u'#';
            bool after = end < int(text_.size()) && text_[end] == u'#';
            add(before ? at - 1 : at, before && after ? end + 1 : end, Colour::Keyword);
        }
        return end;
    }

    std::u16string_view text_;
    const std::vector<std::u16string> &keywords_;
    std::vector<ColourRange> ranges_;
    int depth_ = 0;
    int block_start_ = 0;
};

}  // namespace

std::vector<ColourRange> colour_ranges(std::u16string_view text,
                                       const std::vector<std::u16string> &keywords) {
    return Scanner(text, keywords).run();
}

}  // namespace ide
