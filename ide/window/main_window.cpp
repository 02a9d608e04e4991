// The main window's widgets: menus with their ids, texts and shortcuts, the
// tool bar, the status bar and the two edit windows with the border between.
#include "main_window.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QThread>
#include <QToolBar>

#include "code_highlighter.h"
#include "run_monitor.h"

namespace idewin {
namespace {

// The border between the code and the output window.
constexpr int kBorderWidth = 5;

QPlainTextEdit *make_edit_window(QWidget *parent, const QString &name) {
    auto *edit = new QPlainTextEdit(parent);
    edit->setObjectName(name);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return edit;
}

}  // namespace

MainWindow::MainWindow(ide::Settings &settings) : settings_(settings) {
    setObjectName("classOpenTM");
    setWindowTitle("OpenTM");
    setWindowIcon(QIcon(":/opentm/opentm.svg"));

    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setHandleWidth(kBorderWidth);
    splitter_->setChildrenCollapsible(false);
    code_ = make_edit_window(splitter_, "code");
    output_ = make_edit_window(splitter_, "output");
    splitter_->addWidget(code_);
    splitter_->addWidget(output_);
    splitter_->setSizes({1, 1});
    setCentralWidget(splitter_);
    highlighter_ = new CodeHighlighter(code_->document());
    last_edit_ = code_;
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now == code_ || now == output_) last_edit_ = static_cast<QPlainTextEdit *>(now);
    });

    status_ = new QLabel("准备就绪", this);
    statusBar()->setObjectName("status");
    statusBar()->addWidget(status_, 1);

    build_menus();
    build_tool_bar();
    resize(900, 640);
    editor_ = std::make_unique<ide::Editor>(*this, engine_, settings_);
}

MainWindow::~MainWindow() {
    // Focus moves while the widgets go, after this part of the window has.
    disconnect(qApp, nullptr, this, nullptr);
    // A run still going (the window destroyed without being closed) is
    // interrupted; it may be waiting for this thread, so events go on.
    if (worker_.busy()) engine_.monitor().interrupt();
    while (worker_.busy()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    // A library's thread may be waiting for this window while it holds the
    // workspace (the graphics window showing a message): it is let go
    // before the workspace is taken and the libraries are shut down.
    abandon_waiting_threads();
    editor_.reset();
    if (engine_.bound()) engine_.unbind_engine();
}

bool MainWindow::start(const std::u16string &file_argument) {
    if (!engine_.bind_engine()) return false;
    return editor_->start(file_argument);
}

QAction *MainWindow::action(int id) const {
    auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

QPlainTextEdit *MainWindow::edit_target() const {
    return last_edit_;
}

QString MainWindow::status_text() const {
    return status_->text();
}

QAction *MainWindow::add_item(QMenu *menu, int id, const QString &text,
                              const QKeySequence &shortcut) {
    QAction *item = menu->addAction(text);
    item->setData(id);
    if (!shortcut.isEmpty()) item->setShortcut(shortcut);
    connect(item, &QAction::triggered, this, [this, id] { command(id); });
    actions_[id] = item;
    return item;
}

void MainWindow::build_menus() {
    QMenuBar *bar = menuBar();
    QMenu *file = bar->addMenu("文件(&F)");
    add_item(file, 1, "新建(&N)", QKeySequence("Ctrl+N"));
    add_item(file, 2, "打开(&O)...", QKeySequence("Ctrl+O"));
    add_item(file, 3, "关闭(&C)");
    add_item(file, 4, "全部关闭(&G)");
    file->addSeparator();
    add_item(file, 5, "保存(&S)", QKeySequence("Ctrl+S"));
    add_item(file, 6, "全部保存(&B)");
    add_item(file, 7, "另存为(&A)...");
    file->addSeparator();
    add_item(file, 8, "退出(&X)");

    QMenu *edit = bar->addMenu("编辑(&E)");
    add_item(edit, 10, "撤消(&U)", QKeySequence("Ctrl+Z"));
    // The redo item shows Ctrl+Y without owning that key.
    add_item(edit, 11, "恢复(&R)\tCtrl+Y");
    edit->addSeparator();
    add_item(edit, 12, "剪切(&T)", QKeySequence("Ctrl+X"));
    add_item(edit, 13, "复制(&C)", QKeySequence("Ctrl+C"));
    add_item(edit, 14, "粘贴(&P)", QKeySequence("Ctrl+V"));
    add_item(edit, 15, "删除(&D)", QKeySequence("Ctrl+D"));
    edit->addSeparator();
    add_item(edit, 16, "全部选定(&A)", QKeySequence("Ctrl+A"));
    add_item(edit, 17, "查找替换(&F)...", QKeySequence("Ctrl+F"));
    add_item(edit, 18, "设置字体(&S)...");
    connect(edit, &QMenu::aboutToShow, this, &MainWindow::update_edit_menu);

    QMenu *compute = bar->addMenu("计算(&J)");
    add_item(compute, 32, "计算(&J)", QKeySequence("F8"));
    add_item(compute, 30, "编译(&B)");
    add_item(compute, 31, "执行(&Z)", QKeySequence("F7"));
    compute->addSeparator();
    add_item(compute, 33, "编译为普通模块并执行(&M)");
    add_item(compute, 34, "编译为临时模块并执行(&T)");
    compute->addSeparator();
    add_item(compute, 35, "计算剪贴板中文本(&C)", QKeySequence("F6"));
    add_item(compute, 36, "计算选中文本(&S)", QKeySequence("F5"));
    connect(compute, &QMenu::aboutToShow, this, &MainWindow::update_compute_menu);

    // Position 3; the logic fills it from the workspace's "#COMMAND" sections.
    command_menu_ = bar->addMenu("命令(&C)");

    QMenu *workspace = bar->addMenu("设置(&S)");
    add_item(workspace, 50, "设置当前文件为工作区(&S)");
    add_item(workspace, 51, "关闭工作区(&E)");
    workspace->addSeparator();
    add_item(workspace, 52, "设为当前文件为缺省工作区(&W)");
    add_item(workspace, 53, "设置缺省工作区为空(&N)");
    workspace->addSeparator();
    add_item(workspace, 54, "重载所有项目(&A)");
    add_item(workspace, 55, "重载动态库扩展(&L)");
    add_item(workspace, 56, "重载命令(&D)");
    add_item(workspace, 57, "重载模块文件(&M)");
    add_item(workspace, 58, "重载整型常量(&I)");
    add_item(workspace, 59, "重载实型常量(&R)");
    add_item(workspace, 60, "重载复型常量(&C)");

    QMenu *tools = bar->addMenu("工具(&T)");
    add_item(tools, 65, "取消文件关联...");
    add_item(tools, 66, "取消工具栏和状态栏");
    tools->addSeparator();
    add_item(tools, 67, "模块管理(&M)...", QKeySequence("F2"));
    add_item(tools, 68, "函数查询(&F)...", QKeySequence("F3"));

    window_menu_ = bar->addMenu("窗口(&W)");
    add_item(window_menu_, 70, "下一个窗口(&N)", QKeySequence("F9"));
    add_item(window_menu_, 71, "恢复窗口(&W)", QKeySequence("F10"));
    add_item(window_menu_, 72, "工作区文件(&E)");
    window_menu_->addSeparator();

    QMenu *help = bar->addMenu("帮助(&H)");
    add_item(help, 80, "帮助(&H)", QKeySequence("F1"));
    add_item(help, 82, "帮助和支持");
    add_item(help, 83, "技术支持");
    help->addSeparator();
    add_item(help, 81, "关于 OpenTM (&A)...");
}

void MainWindow::build_tool_bar() {
    tool_bar_ = addToolBar("tool bar");
    tool_bar_->setObjectName("toolbar");
    tool_bar_->setMovable(false);
    tool_bar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    struct Button {
        int id;  // 0: separator
        const char *label;
        const char *tip;
    };
    static const Button buttons[] = {
        {1, "新建", "新建"},
        {2, "打开", "打开"},
        {5, "保存", "保存"},
        {0, nullptr, nullptr},
        {12, "剪切", "剪切"},
        {13, "复制", "复制"},
        {14, "粘贴", "粘贴"},
        {0, nullptr, nullptr},
        {32, "计算", "计算"},
        {30, "编译", "编译"},
        {31, "执行", "执行"},
        {0, nullptr, nullptr},
        {35, "算剪贴板", "计算剪贴板中文本"},
        {36, "算选中", "计算源代码窗口中的选中文本"},
        {0, nullptr, nullptr},
        {67, "模块", "模块管理"},
        {0, nullptr, nullptr},
        {68, "函数", "函数查询"},
        {0, nullptr, nullptr},
        {70, "下一个", "下一个窗口"},
        {0, nullptr, nullptr},
        {80, "帮助", "帮助"},
        {81, "关于", "关于 OpenTM"},
    };
    for (const Button &button : buttons) {
        if (button.id == 0) {
            tool_bar_->addSeparator();
            continue;
        }
        // Tool bar buttons are actions of their own: the menu item keeps its
        // shortcut, the button its short label and the tip.
        QAction *item = tool_bar_->addAction(button.label);
        item->setToolTip(button.tip);
        item->setData(button.id);
        int id = button.id;
        connect(item, &QAction::triggered, this, [this, id] { command(id); });
    }
}

void MainWindow::toggle_bars() {
    bars_shown_ = !bars_shown_;
    tool_bar_->setVisible(bars_shown_);
    statusBar()->setVisible(bars_shown_);
    action(66)->setText(bars_shown_ ? "取消工具栏和状态栏" : "打开工具栏和状态栏");
}

}  // namespace idewin
