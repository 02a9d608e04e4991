#include "help_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include "main_window.h"

namespace idewin {
namespace {

constexpr char16_t kBusy[] = u"Tamrix工作区被占用！无法执行该操作！\r\n\r\n请稍后再试！";

}  // namespace

HelpDialog::HelpDialog(MainWindow &window) : QDialog(&window), window_(window) {
    setObjectName("DlgFunHelp");
    setWindowTitle("OpenTM 函数查询（多个关键字之间用空格分隔）");
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    keywords_ = new QLineEdit(this);
    keywords_->setMaxLength(260);
    auto *search_button = new QPushButton("搜 索", this);
    search_button->setDefault(true);
    results_ = new QListWidget(this);
    help_text_ = new QPlainTextEdit(this);
    help_text_->setReadOnly(true);
    split_ = new QSplitter(Qt::Vertical, this);
    split_->setHandleWidth(8);
    split_->setChildrenCollapsible(false);
    split_->addWidget(results_);
    split_->addWidget(help_text_);
    connect(split_, &QSplitter::splitterMoved, this, [this] {
        QList<int> sizes = split_->sizes();
        int total = sizes[0] + sizes[1];
        if (total > 0) ratio_ = double(sizes[0]) / total;
    });

    auto *head = new QHBoxLayout;
    head->addWidget(new QLabel("关键字：", this));
    head->addWidget(keywords_, 1);
    head->addWidget(search_button);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(split_, 1);
    resize(520, 420);

    connect(search_button, &QPushButton::clicked, this, &HelpDialog::search);
    connect(results_, &QListWidget::currentTextChanged, this, &HelpDialog::show_help);
}

void HelpDialog::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    int height = split_->height();
    split_->setSizes({int(height * ratio_), height - int(height * ratio_)});
}

void HelpDialog::search() {
    results_->clear();
    if (!window_.idle_or_tell(kBusy)) return;
    std::vector<std::u16string> names;
    if (!window_.engine().search_help(keywords_->text().toStdU16String(), names)) return;
    for (const std::u16string &name : names) results_->addItem(QString::fromStdU16String(name));
    help_text_->setPlainText(QString("搜索到 %1 个结果。").arg(names.size()));
}

void HelpDialog::show_help(const QString &name) {
    if (name.isEmpty() || !window_.idle_or_tell(kBusy)) return;
    QString text = QString::fromStdU16String(window_.engine().help_text(name.toStdU16String()));
    text.replace("\r\n", "\n");
    help_text_->setPlainText(text);
}

}  // namespace idewin
