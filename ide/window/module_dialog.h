// The modal module manager ("OpenTM 模块管理"): the modules of one kind,
// and running, releasing or deleting them.
#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace idewin {

class MainWindow;

class ModuleDialog : public QDialog {
    Q_OBJECT
public:
    explicit ModuleDialog(MainWindow &window);

    void run_module();
    void release_module();
    void release_all();

    QComboBox *kinds() const { return kinds_; }
    QListWidget *names() const { return names_; }
    QLineEdit *name_field() const { return name_; }
    QLineEdit *file_field() const { return file_; }
    QPushButton *run_button() const { return run_; }
    QPushButton *release_button() const { return release_; }
    QPushButton *release_all_button() const { return release_all_; }

private:
    void fill();
    void list_kind(int index);
    void show_module(const QString &name);

    MainWindow &window_;
    QLineEdit *name_;
    QLineEdit *file_;
    QPushButton *run_;
    QPushButton *release_;
    QPushButton *release_all_;
    QComboBox *kinds_;
    QListWidget *names_;
};

}  // namespace idewin
