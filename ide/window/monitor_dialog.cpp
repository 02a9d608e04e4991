#include "monitor_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "message_boxes.h"
#include "platform/message_box.h"
#include "run_monitor.h"

namespace idewin {
namespace {

constexpr char kCaption[] = "OpenTM：Tamrix 运行监视器";

}  // namespace

MonitorDialog::MonitorDialog(ide::RunMonitor &monitor, QWidget *parent, BoxHook box_hook)
    : QDialog(parent), monitor_(monitor), box_hook_(std::move(box_hook)) {
    setObjectName("QuitTamrixClass");
    setWindowTitle(kCaption);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("程序已经运行了较长时间，且仍在继续运行... ...", this));
    layout->addWidget(new QLabel("按“Esc”键可以退出Tamrix运行。", this));
    resize(350, 100);
}

void MonitorDialog::close_by_monitor() {
    closing_by_monitor_ = true;
    close();
}

void MonitorDialog::keyPressEvent(QKeyEvent *event) {
    if (event->key() != Qt::Key_Escape) return QDialog::keyPressEvent(event);
    const QString question = "确定退出Tamrix运行吗？";
    int style = platform::kBoxOkCancel | platform::kBoxIconQuestion;
    int answer = box_hook_ ? box_hook_(question, kCaption, style)
                           : show_message_box(this, question, kCaption, style);
    if (answer != platform::kAnswerOk) return;
    monitor_.interrupt();
    close();
}

void MonitorDialog::closeEvent(QCloseEvent *event) {
    if (!closing_by_monitor_) monitor_.closed();
    QDialog::closeEvent(event);
}

}  // namespace idewin
