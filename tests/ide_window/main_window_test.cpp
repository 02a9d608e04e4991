// The real main window driven through its menus, keys and dialogs on the
// offscreen platform: menus, computing with F8, a compile error's range,
// find/replace, the help search, the module manager, the run monitor, and
// closing with unsaved edits.  Message boxes are answered by a script.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <deque>

#include "main_window.h"
#include "module_dialog.h"
#include "platform/message_box.h"
#include "scratch_dir.h"

namespace {

struct Box {
    QString text;
    QString caption;
};

class Fixture {
public:
    Fixture() {
        saved_directory = ide::current_directory();
        dir.write("tools.tm", "~twice(x)=2*x;");
        dir.write("cmd1.tm", "1+1");
        dir.write("cmd2.tm", "#USE# Tools; twice(21)");
        dir.write("cmd3.tm", "3+3");
        workspace = dir.write("ws.otm", "#PATH{" + dir.root() +
                                            "}\n#MODULE{\"Tools*tools.tm\"}\n"
                                            "#COMMAND(one){\"first*cmd1.tm\" \"second*cmd2.tm\"}\n"
                                            "#COMMAND (two) {\"third*cmd3.tm\"}\n"
                                            "#KEY{\"twice\"}\n");
        settings.write_default_workspace(QString::fromStdString(workspace).toStdU16String());
    }
    ~Fixture() {
        window.reset();
        ide::change_directory(saved_directory);
    }
    idewin::MainWindow &start(const std::string &file = "") {
        window = std::make_unique<idewin::MainWindow>(settings);
        window->set_box_hook([this](const QString &text, const QString &caption, int style) {
            boxes.push_back({text, caption});
            if (answers.empty()) return platform::default_answer(style);
            int answer = answers.front();
            answers.pop_front();
            return answer;
        });
        if (!window->start(QString::fromStdString(file).toStdU16String())) return *window;
        window->show();
        // Shortcuts reach the active window only.
        window->activateWindow();
        QTest::qWaitForWindowActive(window.get(), 20000);
        return *window;
    }
    // Runs a command of the compute menu by its key and waits for the run.
    QString compute_by_key(const QString &code, Qt::Key key = Qt::Key_F8) {
        window->code_window()->setPlainText(code);
        window->output_window()->clear();
        QSignalSpy finished(window.get(), &idewin::MainWindow::run_finished);
        window->activateWindow();
        QTest::qWaitForWindowActive(window.get(), 20000);
        window->code_window()->setFocus();
        QTest::keyClick(window.get(), key);
        if (!finished.wait(20000)) return "<no end of run>";
        return window->output_window()->toPlainText();
    }
    // The same through the command, without the key and the window
    // activation it needs.
    QString compute(const QString &code) {
        window->code_window()->setPlainText(code);
        window->output_window()->clear();
        QSignalSpy finished(window.get(), &idewin::MainWindow::run_finished);
        window->command(32);
        if (!finished.wait(20000)) return "<no end of run>";
        return window->output_window()->toPlainText();
    }
    QString selected() const { return window->code_window()->textCursor().selectedText(); }

    std::u16string saved_directory;
    idetest::ScratchDir dir;
    std::string workspace;
    ide::FileSettings settings{dir.path("conf/OpenTM.conf")};
    std::unique_ptr<idewin::MainWindow> window;
    std::vector<Box> boxes;
    std::deque<int> answers;
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void menus_have_their_ids_texts_and_shortcuts();
    void command_menu_holds_every_command_section();
    void f8_computes_and_shows_the_result();
    void compile_error_selects_the_faulty_characters();
    void find_next_replace_and_replace_all();
    void help_search_lists_matching_functions();
    void module_manager_runs_and_releases();
    void monitor_appears_on_a_long_run_and_esc_interrupts();
    void closing_asks_for_modified_files_and_cancel_keeps_them();
    void bad_files_give_their_message_and_the_window_stays_usable();
    void colouring_marks_comments_strings_and_keywords();
    void output_past_its_limit_asks_and_grows_the_limit();
    void workspace_whose_library_fails_keeps_the_window_usable();
    void scene_asking_every_frame_keeps_the_editor_usable_and_ends_with_it();
    void run_error_of_a_scene_is_reported_in_the_output_window();
};

void MainWindowTest::menus_have_their_ids_texts_and_shortcuts() {
    Fixture f;
    idewin::MainWindow &w = f.start();
    struct Item {
        int id;
        const char *text;
        const char *shortcut;
    };
    const Item items[] = {
        {1, "新建(&N)", "Ctrl+N"},
        {2, "打开(&O)...", "Ctrl+O"},
        {5, "保存(&S)", "Ctrl+S"},
        {10, "撤消(&U)", "Ctrl+Z"},
        {11, "恢复(&R)\tCtrl+Y", ""},
        {15, "删除(&D)", "Ctrl+D"},
        {17, "查找替换(&F)...", "Ctrl+F"},
        {32, "计算(&J)", "F8"},
        {31, "执行(&Z)", "F7"},
        {35, "计算剪贴板中文本(&C)", "F6"},
        {36, "计算选中文本(&S)", "F5"},
        {67, "模块管理(&M)...", "F2"},
        {68, "函数查询(&F)...", "F3"},
        {70, "下一个窗口(&N)", "F9"},
        {71, "恢复窗口(&W)", "F10"},
        {80, "帮助(&H)", "F1"},
        {81, "关于 OpenTM (&A)...", ""},
    };
    for (const Item &item : items) {
        QAction *action = w.action(item.id);
        QVERIFY2(action, QByteArray::number(item.id));
        QCOMPARE(action->text(), QString(item.text));
        QCOMPARE(action->shortcut().toString(), QString(item.shortcut));
    }
    QList<QAction *> popups = w.menuBar()->actions();
    QCOMPARE(popups.at(3)->text(), QString("命令(&C)"));
    QCOMPARE(popups.at(6)->text(), QString("窗口(&W)"));
    w.command(66);
    QCOMPARE(w.action(66)->text(), QString("打开工具栏和状态栏"));
    w.command(66);
    QCOMPARE(w.action(66)->text(), QString("取消工具栏和状态栏"));
    QCOMPARE(w.status_text(), QString("准备就绪"));
}

void MainWindowTest::command_menu_holds_every_command_section() {
    Fixture f;
    idewin::MainWindow &w = f.start();
    QMenu *commands = w.menuBar()->actions().at(3)->menu();
    QCOMPARE(commands->actions().size(), 2);
    QCOMPARE(commands->actions().at(1)->text(), QString("two"));
    QCOMPARE(w.action(2001)->text(), QString("second"));
    QCOMPARE(w.action(2002)->text(), QString("third"));
    QSignalSpy finished(&w, &idewin::MainWindow::run_finished);
    w.action(2001)->trigger();
    QVERIFY(finished.wait(20000));
    QVERIFY(w.output_window()->toPlainText().contains("42"));
}

void MainWindowTest::f8_computes_and_shows_the_result() {
    Fixture f;
    f.start();
    QCOMPARE(f.compute_by_key("1+2"), QString("\n3"));
    QCOMPARE(f.compute_by_key("#USE# Tools; twice(2.5)"), QString("\n5"));
    QCOMPARE(f.window->status_text(), QString("准备就绪"));
    QVERIFY(f.boxes.empty());
}

void MainWindowTest::compile_error_selects_the_faulty_characters() {
    Fixture f;
    // A CR LF file with Chinese text and a surrogate pair before the fault.
    std::string file = f.dir.write("bad.tm", "// 中文\xF0\x9F\x98\x80\r\n1+2;\r\n\"字\";1+*2\r\n");
    idewin::MainWindow &w = f.start(file);
    QVERIFY(w.windowTitle().startsWith(QString::fromStdString(file)));
    w.output_window()->clear();
    QSignalSpy finished(&w, &idewin::MainWindow::run_finished);
    QTest::keyClick(&w, Qt::Key_F8);
    QVERIFY(finished.wait(20000));
    QVERIFY(w.output_window()->toPlainText().contains("编译错误"));
    QCOMPARE(f.selected(), QString("+*"));
    QVERIFY(w.code_window()->hasFocus() || !w.isActiveWindow());
}

void MainWindowTest::find_next_replace_and_replace_all() {
    Fixture f;
    idewin::MainWindow &w = f.start();
    w.code_window()->setPlainText("ab Ab\nab aB");
    QTextCursor start(w.code_window()->document());
    w.code_window()->setTextCursor(start);
    w.command(17);
    idewin::FindDialog *dialog = w.find_dialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QString("OpenTM 查找替换（从当前位置开始）"));
    dialog->find_edit()->setText("ab");
    dialog->find_next();
    QCOMPARE(w.code_window()->textCursor().selectionStart(), 0);
    // Without match case "Ab" matches; a match that is the selection is skipped.
    dialog->find_next();
    QCOMPARE(w.code_window()->textCursor().selectionStart(), 3);
    dialog->match_case()->setChecked(true);
    dialog->find_next();
    QCOMPARE(w.code_window()->textCursor().selectionStart(), 6);
    dialog->find_next();
    QCOMPARE(f.boxes.back().text, QString("已经搜索到文件尾！"));
    QCOMPARE(f.boxes.back().caption, QString("OpenTM 查找替换"));

    dialog->replace_mode()->setChecked(true);
    dialog->replace_edit()->setText("xy");
    dialog->match_case()->setChecked(false);
    w.code_window()->setTextCursor(QTextCursor(w.code_window()->document()));
    dialog->find_next();
    dialog->replace();
    QCOMPARE(w.code_window()->toPlainText(), QString("xy Ab\nab aB"));
    QCOMPARE(w.code_window()->textCursor().selectionStart(), 3);
    dialog->replace_all();
    QCOMPARE(w.code_window()->toPlainText(), QString("xy xy\nxy xy"));
    // One undo takes the whole replacement back.
    w.code_window()->undo();
    QCOMPARE(w.code_window()->toPlainText(), QString("xy Ab\nab aB"));
    dialog->close();
    // The texts are kept for the next opening.
    w.command(17);
    QCOMPARE(w.find_dialog()->replace_edit()->text(), QString("xy"));
}

void MainWindowTest::help_search_lists_matching_functions() {
    Fixture f;
    idewin::MainWindow &w = f.start();
    w.command(68);
    idewin::HelpDialog *help = w.help_dialog();
    QVERIFY(help);
    help->keywords()->setText("");
    help->search();
    int all = help->results()->count();
    QVERIFY(all > 10);
    QCOMPARE(help->help_text()->toPlainText(), QString("搜索到 %1 个结果。").arg(all));
    help->keywords()->setText("sin");
    help->search();
    QVERIFY(help->results()->count() < all);
    QVERIFY(help->results()->count() > 0);
    help->results()->setCurrentRow(0);
    QVERIFY(help->help_text()->toPlainText().toUpper().contains("SIN"));
}

void MainWindowTest::module_manager_runs_and_releases() {
    Fixture f;
    idewin::MainWindow &w = f.start();
    f.compute_by_key("1", Qt::Key_F8);
    idewin::ModuleDialog dialog(w);
    QCOMPARE(dialog.windowTitle(), QString("OpenTM 模块管理"));
    QCOMPARE(dialog.kinds()->count(), 4);
    QVERIFY(!dialog.run_button()->isEnabled());
    QVERIFY(dialog.release_all_button()->isEnabled());
    QList<QListWidgetItem *> tools = dialog.names()->findItems("Tools", Qt::MatchExactly);
    QCOMPARE(tools.size(), 1);
    dialog.names()->setCurrentItem(tools.front());
    QVERIFY(dialog.run_button()->isEnabled());
    QVERIFY(dialog.file_field()->text().endsWith("tools.tm"));
    QSignalSpy finished(&w, &idewin::MainWindow::run_finished);
    dialog.run_module();
    QVERIFY(finished.wait(20000));
    QVERIFY(w.output_window()->toPlainText().contains(">> 正在执行模块：Tools"));
    dialog.name_field()->setText("nothing");
    dialog.release_module();
    QCOMPARE(f.boxes.back().text, QString("该模块不存在或者已经删除！"));
    dialog.release_all();
    QVERIFY(dialog.name_field()->text().isEmpty());
}

void MainWindowTest::monitor_appears_on_a_long_run_and_esc_interrupts() {
    Fixture f;
    idewin::MainWindow &w = f.start();
    w.code_window()->setPlainText("while(1, 1)");
    QSignalSpy finished(&w, &idewin::MainWindow::run_finished);
    w.command(32);
    QTRY_VERIFY_WITH_TIMEOUT(w.monitor_dialog() != nullptr, 30000);
    QCOMPARE(w.monitor_dialog()->windowTitle(), QString("OpenTM：Tamrix 运行监视器"));
    // Other engine commands and closing wait for the run.
    w.command(54);
    QCOMPARE(f.boxes.back().text, QString("请先关闭主线程中运行的程序！"));
    QVERIFY(!w.close());
    // Esc asks; Cancel goes on, OK interrupts.
    f.answers = {platform::kAnswerCancel, platform::kAnswerOk};
    QTest::keyClick(w.monitor_dialog(), Qt::Key_Escape);
    QCOMPARE(f.boxes.back().text, QString("确定退出Tamrix运行吗？"));
    QVERIFY(w.worker().busy());
    QTest::keyClick(w.monitor_dialog(), Qt::Key_Escape);
    QVERIFY(finished.wait(20000));
    QVERIFY(w.output_window()->toPlainText().contains("OpenTM：用户中断了Tamrix运行。"));
    QTRY_VERIFY(w.monitor_dialog() == nullptr);
    QCOMPARE(f.compute_by_key("2+3"), QString("\n5"));
}

void MainWindowTest::closing_asks_for_modified_files_and_cancel_keeps_them() {
    Fixture f;
    std::string file = f.dir.write("edit.tm", "1+1\r\n");
    idewin::MainWindow &w = f.start(file);
    QTest::keyClicks(w.code_window(), "2+");
    QVERIFY(w.code_window()->document()->isModified());
    f.answers = {platform::kAnswerCancel};
    QVERIFY(!w.close());
    QCOMPARE(f.boxes.back().text, QString("OpenTM：文件正文已经更改。是否保存更改？"));
    QVERIFY(w.isVisible());
    // Yes saves the file in the encoding it had (UTF-8 with CR LF kept).
    f.answers = {platform::kAnswerYes};
    QVERIFY(w.close());
    QCOMPARE(QByteArray::fromStdString(f.dir.read("edit.tm")), QByteArray("2+1+1\r\n"));
}

void MainWindowTest::bad_files_give_their_message_and_the_window_stays_usable() {
    Fixture f;
    std::string binary = f.dir.write("binary.bin", std::string("\x00\x01\xFF\xFE\x80", 5));
    std::string gb = f.dir.write("gb.tm", "\xD6\xD0\xCE\xC4");  // "中文" in GB18030
    std::string large = f.dir.write("large.tm", std::string(50 * 1024 * 1024, '1'));
    idewin::MainWindow &w = f.start();
    w.editor().open_path(QString::fromStdString(binary).toStdU16String());
    w.editor().open_path(QString::fromStdString(gb).toStdU16String());
    QCOMPARE(w.code_window()->toPlainText(), QString("中文"));
    f.boxes.clear();
    w.editor().open_path(QString::fromStdString(large).toStdU16String());
    QVERIFY(!f.boxes.empty());
    QVERIFY(f.boxes.back().text.startsWith("OpenTM：文件太大") ||
            f.boxes.back().caption.startsWith("OpenTM：文件太大"));
    QCOMPARE(f.compute_by_key("6*7"), QString("\n42"));
}

void MainWindowTest::workspace_whose_library_fails_keeps_the_window_usable() {
    Fixture f;
    f.dir.write("ws.otm", "#PATH{" + f.dir.root() + "}\n#LOAD{\"no_such_library.so\"}\n");
    f.start();
    QVERIFY(!f.boxes.empty());
    QCOMPARE(f.boxes.front().caption, QString("OpenTM：加载动态库失败！"));
    QCOMPARE(f.compute_by_key("6*7"), QString("\n42"));
}

void MainWindowTest::output_past_its_limit_asks_and_grows_the_limit() {
    Fixture f;
    idewin::MainWindow &w = f.start();
    // Cancel goes on: the line that did not fit is dropped, the limit grows.
    f.answers = {platform::kAnswerCancel};
    QCOMPARE(f.compute_by_key("SetOutWinMax(20); 1234567890; 1234567890; 2"),
             QString("\n20\n1234567890\n2"));
    QVERIFY(f.boxes.back().text.startsWith("输出窗口内容太多了"));
    QCOMPARE(w.limit(ide::Window::Output), 1020);
    // OK stops the run.
    f.answers = {platform::kAnswerOk};
    QString output = f.compute_by_key("SetOutWinMax(10); 1234567890; 1234567890; 2");
    QVERIFY(!output.endsWith("\n2"));
}

void MainWindowTest::colouring_marks_comments_strings_and_keywords() {
    Fixture f;
    idewin::MainWindow &w = f.start();
    QPlainTextEdit *code = w.code_window();
    code->setPlainText("/* a\n/* b */\nc */ twice(\"x\\\"y\")");
    QTextCursor caret(code->document());
    caret.setPosition(3);
    code->setTextCursor(caret);
    QTest::keyClick(code, Qt::Key_Z);
    // Typing recolours without moving the caret.
    QCOMPARE(code->textCursor().position(), 4);
    auto colour_at = [&](int block, int column) {
        QTextBlock text = code->document()->findBlockByNumber(block);
        for (const QTextLayout::FormatRange &range : text.layout()->formats())
            if (column >= range.start && column < range.start + range.length)
                return range.format.foreground().color();
        return QColor();
    };
    QCOMPARE(colour_at(2, 2), QColor(0, 128, 0));     // nested comment to the outer "*/"
    QCOMPARE(colour_at(2, 6), QColor(0, 0, 255));     // keyword
    QCOMPARE(colour_at(2, 15), QColor(255, 0, 255));  // string past its escaped quote
    QCOMPARE(colour_at(2, 17), QColor());             // the closing parenthesis
}

// The graphics library's window thread asks through a message box in every
// frame while it holds the workspace.  The editor answers on its own thread
// and still computes beside the scene; waiting for the workspace on its own
// thread, and destroying the window, let a frame that is waiting for an
// answer go, instead of waiting for the workspace that frame holds.
void MainWindowTest::scene_asking_every_frame_keeps_the_editor_usable_and_ends_with_it() {
    Fixture f;
    f.dir.write("ws.otm", "#PATH{" + f.dir.root() +
                              "}\n#LOAD{\"TmData32W.dll\" \"OpenTmGl32W.dll:offscreen,size=80x60\"}\n");
    f.start();
    QVERIFY(f.boxes.empty());
    // The run evaluates the scene formula once itself (it has no
    // parameters), then starts the scene.
    const char *scene = "s()= gleMessageBox(\"帧\", \"场景\"); gleWorkDrawScene(HFor(\"s\", 2))";
    auto asked = [&f](const QString &text) {
        return std::count_if(f.boxes.begin(), f.boxes.end(),
                             [&](const Box &box) { return box.text == text; });
    };
    QCOMPARE(f.compute(scene), QString("\n1\n0"));
    QTRY_VERIFY(asked("帧") >= 3);
    // Computing again replaces the main module, and with it the scene's
    // formula (the window shows no signal); the scene starts once more.
    QCOMPARE(f.compute("6*7"), QString("\n42"));
    QCOMPARE(f.compute(scene), QString("\n1\n0"));
    f.boxes.clear();
    QTRY_VERIFY(asked("帧") >= 2);
    // This thread waits for the workspace (a help search) while a frame
    // holds it and waits for an answer: the frame is let go unanswered.
    for (int i = 0; i < 5; ++i) {
        std::vector<std::u16string> names;
        QVERIFY(f.window->engine().search_help(u"fgPlot3d", names));
        QVERIFY(!names.empty());
        QTRY_VERIFY(asked("帧") >= 3 + i);
    }
    f.window.reset();
    // The library says that it waits for its window thread.
    QCOMPARE(asked("正在退出OpenTmGl!"), 1);
}

// The window thread reports its scene's run error through the host's
// output while it holds the workspace; the text is posted to the output
// window, after the run's own output.
void MainWindowTest::run_error_of_a_scene_is_reported_in_the_output_window() {
    Fixture f;
    f.dir.write("ws.otm", "#PATH{" + f.dir.root() +
                              "}\n#LOAD{\"TmData32W.dll\" \"OpenTmGl32W.dll:offscreen,size=80x60\"}\n");
    idewin::MainWindow &w = f.start();
    QCOMPARE(f.compute("s()= glBegin(99); gleWorkDrawScene(HFor(\"s\", 2))"),
             QString("\n0\n0"));
    QTRY_VERIFY(w.output_window()->toPlainText().contains("OpenTmGl发现运行错误！！！"));
    QString report = w.output_window()->toPlainText();
    QVERIFY2(report.startsWith("\n0\n0\nOpenTmGl发现运行错误！！！\n实数函数运行错误！函数名：glBegin，错误代码：2"),
             qPrintable(report));
    QVERIFY(f.boxes.empty());
    // The error stays pending until the next run, which goes ahead.
    QCOMPARE(f.compute("6*7"), QString("\n42"));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
