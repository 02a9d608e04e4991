#include "text_blocks.h"

namespace ide {

std::vector<TextBlock> parse_text_blocks(std::u16string_view text) {
    std::vector<TextBlock> blocks;
    size_t at = 0;
    for (;;) {
        size_t hash = text.find(u'#', at);
        if (hash == std::u16string_view::npos) break;
        size_t open = text.find(u'{', hash + 1);
        if (open == std::u16string_view::npos) break;
        size_t close = text.find(u"}#", open + 1);
        if (close == std::u16string_view::npos) break;
        TextBlock block{std::u16string(text.substr(hash + 1, open - hash - 1)),
                        std::u16string(text.substr(open + 1, close - open - 1))};
        if (!block.name.empty() && !block.text.empty()) blocks.push_back(std::move(block));
        at = close + 2;
    }
    return blocks;
}

}  // namespace ide
