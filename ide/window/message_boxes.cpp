#include "message_boxes.h"

#include <QMessageBox>

#include "platform/message_box.h"

namespace idewin {

int show_message_box(QWidget *parent, const QString &text, const QString &caption, int style) {
    using platform::MessageBoxStyle;
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (style & 0xF0) {
        case platform::kBoxIconError: box.setIcon(QMessageBox::Critical); break;
        case platform::kBoxIconQuestion: box.setIcon(QMessageBox::Question); break;
        case platform::kBoxIconWarning: box.setIcon(QMessageBox::Warning); break;
        case platform::kBoxIconInformation: box.setIcon(QMessageBox::Information); break;
        default: break;
    }
    QMessageBox::StandardButtons buttons;
    switch (style & 0x0F) {
        case platform::kBoxOkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
        case platform::kBoxYesNoCancel:
            buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            break;
        case platform::kBoxYesNo: buttons = QMessageBox::Yes | QMessageBox::No; break;
        default: buttons = QMessageBox::Ok; break;
    }
    box.setStandardButtons(buttons);
    // Closing the box without a button is Cancel where there is one, else
    // the box's only or negative answer.
    if (buttons & QMessageBox::Cancel) box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Cancel: return platform::kAnswerCancel;
        case QMessageBox::Yes: return platform::kAnswerYes;
        case QMessageBox::No: return platform::kAnswerNo;
        case QMessageBox::Ok: return platform::kAnswerOk;
        default:
            return (buttons & QMessageBox::Cancel) ? platform::kAnswerCancel
                   : (buttons & QMessageBox::No)   ? platform::kAnswerNo
                                                   : platform::kAnswerOk;
    }
}

}  // namespace idewin
