// The modeless find/replace dialog over the code window ("OpenTM 查找替换
// （从当前位置开始）").  Its texts, flags and mode outlive the dialog.
#pragma once

#include <QDialog>

#include "find_replace.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace idewin {

class MainWindow;

class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(MainWindow &window);
    // Shows the dialog: the code window's selection, if any, becomes the
    // find text.
    void open_on_selection();

    void find_next();
    void replace();
    void replace_all();

    QLineEdit *find_edit() const { return find_text_; }
    QLineEdit *replace_edit() const { return replace_text_; }
    QCheckBox *whole_word() const { return whole_word_; }
    QCheckBox *match_case() const { return match_case_; }
    QRadioButton *replace_mode() const { return replace_mode_; }

protected:
    void done(int result) override;

private:
    void show_mode();
    ide::SearchOptions options() const;
    std::u16string text_without_line_feeds() const;
    ide::Selection selection() const;
    void select(ide::Selection match);
    void end_reached();

    MainWindow &window_;
    QLineEdit *find_text_;
    QLineEdit *replace_text_;
    QCheckBox *whole_word_;
    QCheckBox *match_case_;
    QRadioButton *find_mode_;
    QRadioButton *replace_mode_;
    QPushButton *replace_button_;
    QPushButton *replace_all_button_;
};

}  // namespace idewin
