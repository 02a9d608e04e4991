// Message boxes in the style codes of the editor logic: button set and icon
// in, the answer code out.
#pragma once

class QString;
class QWidget;

namespace idewin {

int show_message_box(QWidget *parent, const QString &text, const QString &caption, int style);

}  // namespace idewin
