#include "find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "main_window.h"
#include "platform/message_box.h"

namespace idewin {
namespace {

// Kept across openings of the dialog.
struct StoredSearch {
    QString find;
    QString replace;
    bool whole_word = false;
    bool match_case = false;
    bool replace_mode = false;
};
StoredSearch g_stored;

constexpr char16_t kCaption[] = u"OpenTM 查找替换";

}  // namespace

FindDialog::FindDialog(MainWindow &window) : QDialog(&window), window_(window) {
    setObjectName("DlgFindReplace");
    setWindowTitle("OpenTM 查找替换（从当前位置开始）");
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    find_text_ = new QLineEdit(this);
    replace_text_ = new QLineEdit(this);
    whole_word_ = new QCheckBox("全字匹配", this);
    match_case_ = new QCheckBox("区分大小写", this);
    find_mode_ = new QRadioButton("查找", this);
    replace_mode_ = new QRadioButton("替换", this);
    auto *next_button = new QPushButton("查找下一个", this);
    replace_button_ = new QPushButton("替换", this);
    replace_all_button_ = new QPushButton("全部替换", this);
    auto *cancel_button = new QPushButton("取消", this);
    next_button->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addWidget(new QLabel("查找内容：", this), 0, 0);
    layout->addWidget(find_text_, 0, 1, 1, 2);
    layout->addWidget(next_button, 0, 3);
    layout->addWidget(new QLabel("替换为：", this), 1, 0);
    layout->addWidget(replace_text_, 1, 1, 1, 2);
    layout->addWidget(replace_button_, 1, 3);
    layout->addWidget(whole_word_, 2, 1);
    layout->addWidget(find_mode_, 2, 2);
    layout->addWidget(replace_all_button_, 2, 3);
    layout->addWidget(match_case_, 3, 1);
    layout->addWidget(replace_mode_, 3, 2);
    layout->addWidget(cancel_button, 3, 3);

    connect(next_button, &QPushButton::clicked, this, &FindDialog::find_next);
    connect(replace_button_, &QPushButton::clicked, this, &FindDialog::replace);
    connect(replace_all_button_, &QPushButton::clicked, this, &FindDialog::replace_all);
    connect(cancel_button, &QPushButton::clicked, this, &FindDialog::reject);
    connect(find_mode_, &QRadioButton::toggled, this, &FindDialog::show_mode);

    find_text_->setText(g_stored.find);
    replace_text_->setText(g_stored.replace);
    whole_word_->setChecked(g_stored.whole_word);
    match_case_->setChecked(g_stored.match_case);
    (g_stored.replace_mode ? replace_mode_ : find_mode_)->setChecked(true);
    show_mode();
}

void FindDialog::open_on_selection() {
    QString selected = window_.code_window()->textCursor().selectedText();
    if (!selected.isEmpty()) {
        // The document's paragraph separator stands for the line break,
        // which the search sees without its line feed.
        selected.replace(QChar::ParagraphSeparator, '\r');
        find_text_->setText(selected);
    }
    show();
    raise();
    activateWindow();
    find_text_->setFocus();
}

void FindDialog::show_mode() {
    bool replacing = replace_mode_->isChecked();
    replace_button_->setEnabled(replacing);
    replace_all_button_->setEnabled(replacing);
}

void FindDialog::done(int result) {
    g_stored = {find_text_->text(), replace_text_->text(), whole_word_->isChecked(),
                match_case_->isChecked(), replace_mode_->isChecked()};
    QDialog::done(result);
}

ide::SearchOptions FindDialog::options() const {
    return {match_case_->isChecked(), whole_word_->isChecked()};
}

std::u16string FindDialog::text_without_line_feeds() const {
    QString text = window_.code_window()->toPlainText();
    text.replace('\n', '\r');
    return text.toStdU16String();
}

ide::Selection FindDialog::selection() const {
    QTextCursor cursor = window_.code_window()->textCursor();
    return {cursor.selectionStart(), cursor.selectionEnd()};
}

void FindDialog::select(ide::Selection match) {
    QPlainTextEdit *code = window_.code_window();
    QTextCursor cursor(code->document());
    cursor.setPosition(match.start);
    cursor.setPosition(match.end, QTextCursor::KeepAnchor);
    code->setTextCursor(cursor);
    code->ensureCursorVisible();
    code->setFocus();
}

void FindDialog::end_reached() {
    window_.message_box(u"已经搜索到文件尾！", kCaption, platform::kBoxOk);
}

void FindDialog::find_next() {
    std::u16string pattern = find_text_->text().toStdU16String();
    if (pattern.empty()) return;
    auto match = ide::find_next(text_without_line_feeds(), pattern, selection(), options());
    if (match)
        select(*match);
    else
        end_reached();
}

void FindDialog::replace() {
    std::u16string pattern = find_text_->text().toStdU16String();
    if (pattern.empty()) return;
    ide::Selection current = selection();
    auto match = ide::find_from(text_without_line_feeds(), pattern, current.start, options());
    if (match && *match == current) {
        QTextCursor cursor = window_.code_window()->textCursor();
        cursor.insertText(replace_text_->text());
        window_.code_window()->setTextCursor(cursor);
        find_next();
        return;
    }
    if (match)
        select(*match);
    else
        end_reached();
}

void FindDialog::replace_all() {
    std::u16string pattern = find_text_->text().toStdU16String();
    if (pattern.empty()) return;
    std::u16string text = text_without_line_feeds();
    ide::ReplaceAllResult result = ide::replace_all(
        text, pattern, replace_text_->text().toStdU16String(), selection().start, options());
    if (result.replacements > 0) {
        // One edit for the whole replacement, so one undo takes it back.
        QString replaced = QString::fromStdU16String(result.text);
        replaced.replace('\r', '\n');
        QTextCursor cursor(window_.code_window()->document());
        cursor.beginEditBlock();
        cursor.select(QTextCursor::Document);
        cursor.insertText(replaced);
        cursor.endEditBlock();
    }
    if (result.completed)
        end_reached();
    else
        window_.message_box(u"全部替换操作没有完成！", kCaption, platform::kBoxOk);
}

}  // namespace idewin
