#include "code_highlighter.h"

#include <QTextBlock>
#include <QTextDocument>

namespace idewin {
namespace {

QColor colour_of(ide::Colour colour) {
    unsigned bgr = colour == ide::Colour::Comment  ? ide::kCommentColour
                   : colour == ide::Colour::String ? ide::kStringColour
                                                   : ide::kKeywordColour;
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

}  // namespace

CodeHighlighter::CodeHighlighter(QTextDocument *document) : QSyntaxHighlighter(document) {}

void CodeHighlighter::set_keywords(const std::vector<std::u16string> &words) {
    keywords_ = words;
    scanned_revision_ = -1;
    rehighlight();
}

// One scan of the whole text per change: a comment opened in one line can
// colour any later one.  The scanner counts a line break as one character,
// as the document does, with "\r" as the break.
const std::vector<ide::ColourRange> &CodeHighlighter::current_ranges() {
    QTextDocument *text = document();
    if (text && text->revision() != scanned_revision_) {
        QString plain = text->toPlainText();
        plain.replace('\n', '\r');
        ranges_ = ide::colour_ranges(plain.toStdU16String(), keywords_);
        scanned_revision_ = text->revision();
    }
    return ranges_;
}

void CodeHighlighter::highlightBlock(const QString &text) {
    const std::vector<ide::ColourRange> &ranges = current_ranges();
    int start = currentBlock().position();
    int end = start + int(text.size());
    for (const ide::ColourRange &range : ranges) {
        if (range.end <= start || range.start >= end) continue;
        int from = std::max(range.start, start);
        int to = std::min(range.end, end);
        setFormat(from - start, to - from, colour_of(range.colour));
    }
    // A state that changes with every edit makes every later line be
    // coloured again, as one edit can open or close a comment far above.
    setCurrentBlockState(scanned_revision_);
}

}  // namespace idewin
