#include "editor_text.h"

#include <algorithm>

namespace ide {

std::u16string drop_line_feeds(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text)
        if (c != u'\n') out += c;
    return out;
}

int editor_position(std::u16string_view text, int position) {
    if (position <= 0) return position;
    size_t end = std::min(text.size(), size_t(position));
    int feeds = int(std::count(text.begin(), text.begin() + end, u'\n'));
    return position - feeds;
}

}  // namespace ide
