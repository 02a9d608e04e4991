#include "fuzz_input.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

int module_number(uint8_t low, uint8_t high) {
    static constexpr int kExtremes[] = {
        0,       INT_MAX,        INT_MIN,     INT_MIN + 1, INT_MAX - 1,
        -INT_MAX, 2147483599,    2147483600,  -2147483599, 1999999999,
    };
    if (high != 0xFF) return int8_t(low);
    return kExtremes[low % (sizeof kExtremes / sizeof kExtremes[0])];
}

std::u16string utf16_text(const uint8_t *data, size_t size) {
    std::u16string text(size / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = char16_t(data[2 * i] | data[2 * i + 1] << 8);
    return text;
}

std::vector<std::u16string> split_at_zeros(const std::u16string &text, size_t limit) {
    std::vector<std::u16string> pieces;
    size_t start = 0;
    while (pieces.size() < limit && start <= text.size()) {
        size_t end = text.find(u'\0', start);
        if (end == std::u16string::npos) end = text.size();
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

void fail(const char *what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

}  // namespace fuzz
