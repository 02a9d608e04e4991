// The modeless function-help dialog ("OpenTM 函数查询（多个关键字之间用空格
// 分隔）"): functions whose help text holds every keyword, and the help
// text of the one selected.  List and text share the height below the
// keyword line at a ratio the user drags (0.3 at first).
#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QSplitter;

namespace idewin {

class MainWindow;

class HelpDialog : public QDialog {
    Q_OBJECT
public:
    explicit HelpDialog(MainWindow &window);
    void search();
    void show_help(const QString &name);

    QLineEdit *keywords() const { return keywords_; }
    QListWidget *results() const { return results_; }
    QPlainTextEdit *help_text() const { return help_text_; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    MainWindow &window_;
    QLineEdit *keywords_;
    QListWidget *results_;
    QPlainTextEdit *help_text_;
    QSplitter *split_;
    double ratio_ = 0.3;
};

}  // namespace idewin
