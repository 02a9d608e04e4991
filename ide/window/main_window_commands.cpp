// The menu commands: file, edit, compute, workspace, tool, window and help
// items, the menu states when a menu opens, and closing the window.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFontDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSplitter>

#include "find_dialog.h"
#include "help_dialog.h"
#include "main_window.h"
#include "module_dialog.h"
#include "platform/message_box.h"
#include "shell_open.h"

namespace idewin {
namespace {

constexpr char16_t kRunning[] = u"请先关闭主线程中运行的程序！";

bool clipboard_has_text() {
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

}  // namespace

bool MainWindow::idle_or_tell(const char16_t *busy_text) {
    if (!worker_.busy()) return true;
    message_box(busy_text, u"OpenTM", platform::kBoxOk);
    return false;
}

bool MainWindow::post_run(std::function<void()> job) {
    if (!idle_or_tell(kRunning)) return false;
    worker_.post(std::move(job), [this] {
        QMetaObject::invokeMethod(
            this, [this] { emit run_finished(); }, Qt::QueuedConnection);
    });
    return true;
}

void MainWindow::compute_command(int id) {
    ide::Editor &editor = *editor_;
    switch (id) {
        case 30: post_run([&editor] { editor.compile(); }); break;
        case 31: post_run([&editor] { editor.run(); }); break;
        case 32: post_run([&editor] { editor.compute(); }); break;
        case 33: post_run([&editor] { editor.compute_as_ordinary_module(); }); break;
        case 34: post_run([&editor] { editor.compute_as_temporary_module(); }); break;
        case 35: post_run([&editor] { editor.compute_clipboard(); }); break;
        case 36: post_run([&editor] { editor.compute_selection(); }); break;
        default: post_run([&editor, id] { editor.run_command(id); }); break;
    }
}

void MainWindow::command(int id) {
    if ((id >= 30 && id <= 36) || id >= 2000) return compute_command(id);
    QPlainTextEdit *edit = edit_target();
    switch (id) {
        // Edit commands act on whichever edit window was focused last and
        // need nothing of the logic, so they work while a program runs.
        case 10: edit->undo(); return;
        case 11: edit->redo(); return;
        case 12: edit->cut(); return;
        case 13: edit->copy(); return;
        case 14: paste(); return;
        case 15: edit->textCursor().removeSelectedText(); return;
        case 16: edit->selectAll(); return;
        case 17: open_find_dialog(); return;
        case 18: choose_font(); return;
        case 66: toggle_bars(); return;
        case 68: open_help_dialog(); return;
        case 71: splitter_->setSizes({1, 1}); return;
        case 81: about(); return;
        case 82: ide::shell_open("https://tamrix.invalid/support"); return;
        case 83: ide::shell_open("mailto:support@tamrix.invalid"); return;
        case 8: close(); return;
        default: break;
    }
    // Everything else uses the open-file list or the engine, which a
    // running program holds.
    if (!idle_or_tell(kRunning)) return;
    ide::Editor &editor = *editor_;
    if (id >= ide::kFirstWindowItem && id < 2000) return editor.window_item(id);
    switch (id) {
        case 1:
            editor.new_file();
            code_->setFocus();
            break;
        case 2: editor.open_file(); break;
        case 3: editor.close_file(); break;
        case 4: editor.close_all(); break;
        case 5: editor.save(); break;
        case 6: editor.save_all(); break;
        case 7: editor.save_as(); break;
        case 50: editor.set_current_as_workspace(); break;
        case 51: editor.close_workspace(); break;
        case 52: editor.set_default_workspace(); break;
        case 53: editor.clear_default_workspace(); break;
        case 54: editor.reload_all(); break;
        case 55: editor.reload_extensions(); break;
        case 56: editor.reload_commands(); break;
        case 57: editor.reload_modules(); break;
        case 58: editor.reload_constants(ide::ConstantType::Integer); break;
        case 59: editor.reload_constants(ide::ConstantType::Real); break;
        case 60: editor.reload_constants(ide::ConstantType::Complex); break;
        case 65: editor.remove_file_association(); break;
        case 67: open_module_manager(); break;
        case 70: editor.next_window(); break;
        case 72: editor.show_workspace_file(); break;
        case 80: editor.open_help(); break;
        default: break;
    }
}

void MainWindow::paste() {
    std::u16string text;
    switch (clipboard_text(text)) {
        case Clipboard::Text:
            edit_target()->insertPlainText(QString::fromStdU16String(text));
            return;
        case Clipboard::NoText:
            message_box(u"剪贴板上无文本数据，不能粘贴！", u"OpenTM", platform::kBoxOk);
            return;
        case Clipboard::OpenFailed:
            message_box(u"剪贴板打开失败！", u"OpenTM", platform::kBoxOk);
            return;
        case Clipboard::ReadFailed:
            message_box(u"无法读取剪贴板数据！", u"OpenTM", platform::kBoxOk);
            return;
    }
}

void MainWindow::update_edit_menu() {
    QPlainTextEdit *edit = edit_target();
    bool code = edit == code_;
    bool selected = edit->textCursor().hasSelection();
    action(10)->setEnabled(edit->document()->isUndoAvailable());
    // The output window leaves redo as it was.
    if (code) action(11)->setEnabled(edit->document()->isRedoAvailable());
    action(12)->setEnabled(selected);
    action(13)->setEnabled(selected);
    action(15)->setEnabled(selected);
    action(16)->setEnabled(!edit->document()->isEmpty());
    action(17)->setEnabled(code);
    action(14)->setEnabled(clipboard_has_text());
}

void MainWindow::update_compute_menu() {
    action(36)->setEnabled(edit_target() == code_);
    action(35)->setEnabled(clipboard_has_text());
}

void MainWindow::choose_font() {
    bool chosen = false;
    QFont font = QFontDialog::getFont(&chosen, code_->font(), this, "设置字体");
    if (!chosen) return;
    code_->setFont(font);
    output_->setFont(font);
}

void MainWindow::open_find_dialog() {
    if (!find_dialog_) find_dialog_ = new FindDialog(*this);
    find_dialog_->open_on_selection();
}

void MainWindow::open_help_dialog() {
    if (!help_dialog_) help_dialog_ = new HelpDialog(*this);
    help_dialog_->show();
    help_dialog_->raise();
    help_dialog_->activateWindow();
}

void MainWindow::open_module_manager() {
    ModuleDialog dialog(*this);
    dialog.exec();
}

void MainWindow::about() {
    QMessageBox::about(this, "关于 OpenTM",
                       QString("OpenTM %1\nTamrix 公式编译器的桌面编辑器")
                           .arg(QApplication::applicationVersion()));
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (!idle_or_tell(kRunning) || !editor_->can_close_window()) {
        event->ignore();
        return;
    }
    if (find_dialog_) find_dialog_->close();
    if (help_dialog_) help_dialog_->close();
    event->accept();
}

}  // namespace idewin
