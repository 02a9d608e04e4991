#include <gtest/gtest.h>

#include "editor_text.h"

namespace {

TEST(EditorText, DropsEveryLineFeed) {
    EXPECT_EQ(ide::drop_line_feeds(u"a\r\nb\n\nc"), u"a\rbc");
    EXPECT_EQ(ide::drop_line_feeds(u""), u"");
}

TEST(EditorText, PositionsCountLineBreaksOnce) {
    const std::u16string text = u"ab\r\n中\r\n\U0001F600x";
    struct {
        int text_position, editor;
    } cases[] = {{0, 0}, {2, 2}, {3, 3}, {4, 3}, {5, 4}, {7, 5}, {9, 7}, {10, 8}, {-1, -1}};
    for (auto c : cases)
        EXPECT_EQ(ide::editor_position(text, c.text_position), c.editor) << c.text_position;
}

}  // namespace
