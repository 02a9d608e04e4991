#include "module_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "main_window.h"

namespace idewin {
namespace {

const char *const kKindLabels[] = {
    "标准模块：在工作区中设置或通过#USE#加载的模块",
    "命令模块：在工作区文件中设置的命令",
    "普通模块：在主窗口中编译的普通模块",
    "临时模块：在主窗口中编译的临时模块",
};

constexpr char16_t kBusy[] = u"Tamrix工作区被占用！无法执行该操作！\r\n\r\n请稍后再试！";

}  // namespace

ModuleDialog::ModuleDialog(MainWindow &window) : QDialog(&window), window_(window) {
    setObjectName("DlgModuleManage");
    setWindowTitle("OpenTM 模块管理");
    name_ = new QLineEdit(this);
    file_ = new QLineEdit(this);
    run_ = new QPushButton("运行", this);
    release_ = new QPushButton("释放/删除", this);
    release_all_ = new QPushButton("全部释放", this);
    kinds_ = new QComboBox(this);
    names_ = new QListWidget(this);

    auto *layout = new QGridLayout(this);
    layout->addWidget(new QLabel("模块类型：", this), 0, 0);
    layout->addWidget(kinds_, 0, 1, 1, 3);
    layout->addWidget(names_, 1, 0, 1, 4);
    layout->addWidget(new QLabel("模块名称：", this), 2, 0);
    layout->addWidget(name_, 2, 1, 1, 3);
    layout->addWidget(new QLabel("所在位置：", this), 3, 0);
    layout->addWidget(file_, 3, 1, 1, 3);
    layout->addWidget(run_, 4, 1);
    layout->addWidget(release_, 4, 2);
    layout->addWidget(release_all_, 4, 3);
    resize(520, 380);

    connect(kinds_, &QComboBox::activated, this, &ModuleDialog::list_kind);
    connect(names_, &QListWidget::currentTextChanged, this, &ModuleDialog::show_module);
    connect(run_, &QPushButton::clicked, this, &ModuleDialog::run_module);
    connect(release_, &QPushButton::clicked, this, &ModuleDialog::release_module);
    connect(release_all_, &QPushButton::clicked, this, &ModuleDialog::release_all);
    fill();
}

void ModuleDialog::fill() {
    name_->clear();
    file_->clear();
    kinds_->clear();
    names_->clear();
    run_->setEnabled(false);
    release_->setEnabled(false);
    const ide::ModuleList &modules = window_.engine().modules();
    release_all_->setEnabled(!modules.empty());
    if (modules.empty()) return;
    for (const char *label : kKindLabels) kinds_->addItem(label);
    int index = ide::kind_index(modules.front().kind);
    kinds_->setCurrentIndex(index);
    list_kind(index);
}

void ModuleDialog::list_kind(int index) {
    names_->clear();
    if (index < 0 || index > 3) return;
    for (const std::u16string &name :
         ide::module_names_of_kind(window_.engine().modules(), ide::kind_of_index(index)))
        names_->addItem(QString::fromStdU16String(name));
}

void ModuleDialog::show_module(const QString &name) {
    if (name.isEmpty()) return;
    for (const ide::ModuleEntry &entry : window_.engine().modules()) {
        if (entry.name != name.toStdU16String()) continue;
        name_->setText(name);
        file_->setText(QString::fromStdU16String(entry.file));
        run_->setEnabled(true);
        release_->setEnabled(true);
        return;
    }
}

// A run goes to the worker like any other, so a long module leaves the
// window (and the run monitor) responsive.
void ModuleDialog::run_module() {
    std::u16string name = name_->text().toStdU16String();
    ide::Editor &editor = window_.editor();
    window_.post_run([&editor, name] { editor.run_named_module(name); });
}

void ModuleDialog::release_module() {
    if (!window_.idle_or_tell(kBusy)) return;
    window_.editor().release_named_module(name_->text().toStdU16String());
    int kind = kinds_->currentIndex();
    list_kind(kind);
}

void ModuleDialog::release_all() {
    if (!window_.idle_or_tell(kBusy)) return;
    window_.editor().release_all_modules();
    fill();
}

}  // namespace idewin
