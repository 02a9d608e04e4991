// Error-text and help-text files: blocks "#name{text}#".  A block starts at
// a '#'; its name runs to the next '{' and its text to the next '}' that a
// '#' directly follows.  Anything between blocks is ignored, so such a file
// carries no '#' outside its blocks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ide {

struct TextBlock {
    std::u16string name;
    std::u16string text;
};

// The blocks in order.  A missing '{' or "}#" ends the scan: the blocks
// before it are kept.  Blocks with an empty name or text are skipped.
std::vector<TextBlock> parse_text_blocks(std::u16string_view text);

}  // namespace ide
