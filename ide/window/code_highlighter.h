// The code window's colouring: comments green, strings magenta, keywords
// blue, over the ranges the editor logic's scanner finds in the whole text.
// Formats are a layer over the text, so the caret, the selection, the scroll
// position and the undo history stay as they are.
#pragma once

#include <QSyntaxHighlighter>
#include <string>
#include <vector>

#include "colouring.h"

namespace idewin {

class CodeHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit CodeHighlighter(QTextDocument *document);
    void set_keywords(const std::vector<std::u16string> &words);
    // The ranges of the text as last coloured (tests read them).
    const std::vector<ide::ColourRange> &ranges() { return current_ranges(); }

protected:
    void highlightBlock(const QString &text) override;

private:
    const std::vector<ide::ColourRange> &current_ranges();

    std::vector<std::u16string> keywords_;
    std::vector<ide::ColourRange> ranges_;
    int scanned_revision_ = -1;
};

}  // namespace idewin
