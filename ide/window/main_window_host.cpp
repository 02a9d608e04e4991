// The window as the editor logic's Host.  Runs call in from the worker
// thread and libraries from theirs: such calls are carried over to the
// window's thread and waited for, so output keeps its order and a message
// box answers the run that asked.  The window's thread never waits for a
// run; a library thread's output is not waited for (see append_output),
// and the window stops answering before it shuts the libraries down.
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QThread>

#include "code_highlighter.h"
#include "main_window.h"
#include "message_boxes.h"
#include "monitor_dialog.h"
#include "platform/message_box.h"

namespace idewin {
namespace {

QString to_qt(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

// The logic's texts break lines with "\r\n"; the edit windows with one
// paragraph separator, which counts one position as in the logic.
QString to_window_text(std::u16string_view text) {
    QString converted = to_qt(text);
    converted.replace("\r\n", "\n");
    converted.replace('\r', '\n');
    return converted;
}

std::u16string from_window_text(QString text) {
    text.replace('\n', "\r\n");
    return text.toStdU16String();
}

}  // namespace

// The work is posted to the window's event loop and the caller waits for
// it.  A caller other than the run worker (a library's own thread, such as
// the graphics window's) is let go with a default result when this thread
// cannot answer: while it waits for the workspace, which that caller may be
// holding, and once the window is being destroyed.  Its work then does not
// run, should it still come up.  (The run worker is never let go: the
// window keeps compute commands back while it runs, see RunWorker.)
template <typename Work>
auto MainWindow::on_window_thread(Work work) -> decltype(work()) {
    using Result = decltype(work());
    if (QThread::currentThread() == thread()) return work();
    constexpr bool kVoid = std::is_void_v<Result>;
    struct Call {
        bool started = false, done = false, gone = false;
        std::conditional_t<kVoid, bool, Result> result{};
    };
    auto call = std::make_shared<Call>();
    const bool library_thread = !worker_.on_worker_thread();
    auto unanswerable = [&] {
        return !call->started && (abandoned_ || (library_thread && window_waits_ > 0));
    };
    std::unique_lock<std::mutex> lock(waits_mutex_);
    if (!unanswerable()) {
        lock.unlock();
        QMetaObject::invokeMethod(
            this,
            [this, call, &work] {
                {
                    std::lock_guard<std::mutex> guard(waits_mutex_);
                    if (call->gone) return;  // the caller was let go
                    call->started = true;
                }
                if constexpr (kVoid) {
                    work();
                } else {
                    call->result = work();
                }
                std::lock_guard<std::mutex> guard(waits_mutex_);
                call->done = true;
                waits_done_.notify_all();
            },
            Qt::QueuedConnection);
        lock.lock();
        waits_done_.wait(lock, [&] { return call->done || unanswerable(); });
    }
    call->gone = !call->done;
    if constexpr (!kVoid) return call->done ? call->result : Result{};
}

void MainWindow::waiting_for_workspace(bool waiting) {
    if (QThread::currentThread() != thread()) return;
    std::lock_guard<std::mutex> lock(waits_mutex_);
    window_waits_ += waiting ? 1 : -1;
    waits_done_.notify_all();
}

void MainWindow::abandon_waiting_threads() {
    std::lock_guard<std::mutex> lock(waits_mutex_);
    abandoned_ = true;
    waits_done_.notify_all();
}

// Past the output window's limit the text is not appended and the run is
// asked whether to go on (the limit grows by 1000 characters either way).
// A library's own thread (the graphics window reporting a run error of its
// scene) writes while it holds the workspace, and this window's thread may
// be waiting for the workspace just then: its text is posted, never waited
// for, and always appended (there is no run of its own to interrupt).
void MainWindow::append_output(std::u16string_view text) {
    QString converted = to_window_text(text);
    if (QThread::currentThread() != thread() && !worker_.on_worker_thread()) {
        QMetaObject::invokeMethod(
            this,
            [this, converted] {
                QTextCursor end(output_->document());
                end.movePosition(QTextCursor::End);
                end.insertText(converted);
            },
            Qt::QueuedConnection);
        return;
    }
    bool appended = on_window_thread([&] {
        if (output_->document()->characterCount() - 1 + converted.size() > output_limit_)
            return false;
        QTextCursor end(output_->document());
        end.movePosition(QTextCursor::End);
        end.insertText(converted);
        return true;
    });
    if (!appended) engine_.output_limit_reached();
}

void MainWindow::clear_output() {
    on_window_thread([&] { output_->clear(); });
}

std::u16string MainWindow::code_text() {
    return on_window_thread([&] { return from_window_text(code_->toPlainText()); });
}

void MainWindow::set_code_text(std::u16string_view text) {
    QString converted = to_window_text(text);
    on_window_thread([&] {
        code_->setPlainText(converted);
        code_->document()->setModified(false);
    });
}

void MainWindow::select_code(int start, int end) {
    on_window_thread([&] {
        int last = code_->document()->characterCount() - 1;
        QTextCursor cursor(code_->document());
        cursor.setPosition(std::clamp(start, 0, last));
        cursor.setPosition(std::clamp(end, 0, last), QTextCursor::KeepAnchor);
        code_->setTextCursor(cursor);
        code_->ensureCursorVisible();
        code_->setFocus();
    });
}

int MainWindow::message_box(std::u16string_view text, std::u16string_view caption, int style) {
    QString shown = to_window_text(text), title = to_qt(caption);
    int answer = on_window_thread([&] {
        if (box_hook_) return box_hook_(shown, title, style);
        return show_message_box(this, shown, title, style);
    });
    // No answer is 0: the window stopped answering.
    return answer ? answer : platform::default_answer(style);
}

void MainWindow::set_wait_cursor(bool waiting) {
    on_window_thread([&] {
        if (waiting)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
}

void MainWindow::set_status(std::u16string_view text) {
    QString shown = to_qt(text);
    on_window_thread([&] { status_->setText(shown); });
}

void MainWindow::set_title(std::u16string_view title) {
    QString shown = to_qt(title);
    on_window_thread([&] { setWindowTitle(shown); });
}

// The monitor thread must not wait for the window (the window may be in a
// message box of the run), so showing and closing are only posted.
void MainWindow::show_monitor() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!monitor_dialog_)
                monitor_dialog_ = new MonitorDialog(engine_.monitor(), this, box_hook_);
            monitor_dialog_->show();
            monitor_dialog_->raise();
            monitor_dialog_->activateWindow();
        },
        Qt::QueuedConnection);
}

void MainWindow::close_monitor() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (monitor_dialog_) monitor_dialog_->close_by_monitor();
        },
        Qt::QueuedConnection);
}

bool MainWindow::code_modified() {
    return on_window_thread([&] { return code_->document()->isModified(); });
}

void MainWindow::set_code_modified(bool modified) {
    on_window_thread([&] { code_->document()->setModified(modified); });
}

void MainWindow::code_selection(int &start, int &end) {
    on_window_thread([&] {
        QTextCursor cursor = code_->textCursor();
        start = cursor.selectionStart();
        end = cursor.selectionEnd();
    });
}

void MainWindow::scroll_output_to_end() {
    on_window_thread([&] {
        output_->moveCursor(QTextCursor::End);
        output_->verticalScrollBar()->setValue(output_->verticalScrollBar()->maximum());
    });
}

std::optional<std::u16string> MainWindow::ask_open_path() {
    return on_window_thread([&]() -> std::optional<std::u16string> {
        QString path = QFileDialog::getOpenFileName(
            this, "打开", QString(),
            "所有文件(*.*) (*);;OpenTM文件(*.otm) (*.otm);;AutoOtm文件(*.atm) (*.atm);;"
            "Tamrix文件(*.tm) (*.tm);;文本文件(*.txt) (*.txt)");
        if (path.isEmpty()) return std::nullopt;
        return path.toStdU16String();
    });
}

std::optional<std::u16string> MainWindow::ask_save_path() {
    return on_window_thread([&]() -> std::optional<std::u16string> {
        QString path = QFileDialog::getSaveFileName(this, "另存为", QString(), "所有文件(*.*) (*)");
        if (path.isEmpty()) return std::nullopt;
        return path.toStdU16String();
    });
}

ide::Host::Clipboard MainWindow::clipboard_text(std::u16string &text) {
    return on_window_thread([&] {
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        if (!data) return Clipboard::OpenFailed;
        if (!data->hasText()) return Clipboard::NoText;
        text = data->text().toStdU16String();
        return Clipboard::Text;
    });
}

void MainWindow::set_window_menu(const std::vector<std::u16string> &paths) {
    on_window_thread([&] {
        for (QAction *item : window_menu_->actions()) {
            bool file_item = item->data().toInt() >= ide::kFirstWindowItem;
            if (file_item) {
                actions_.erase(item->data().toInt());
                window_menu_->removeAction(item);
                item->deleteLater();
            }
        }
        int id = ide::kFirstWindowItem;
        for (const std::u16string &path : paths) add_item(window_menu_, id++, to_qt(path));
    });
}

void MainWindow::set_command_menu(const std::vector<CommandMenu> &menus) {
    on_window_thread([&] {
        for (auto item = actions_.begin(); item != actions_.end();)
            item = item->first >= 2000 ? actions_.erase(item) : std::next(item);
        command_menu_->clear();
        int id = 2000;
        for (const CommandMenu &menu : menus) {
            QMenu *submenu = command_menu_->addMenu(to_qt(menu.title));
            for (const std::u16string &item : menu.items) add_item(submenu, id++, to_qt(item));
        }
    });
}

void MainWindow::set_keywords(const std::vector<std::u16string> &words) {
    on_window_thread([&] { highlighter_->set_keywords(words); });
}

// The plain-text windows have no character limit of their own: they keep
// the one the logic sets, up to a size they still edit at a usable speed.
constexpr int kLargestLimit = 16 * 1024 * 1024;

int MainWindow::text_length(ide::Window window) {
    return on_window_thread([&] {
        QPlainTextEdit *edit = window == ide::Window::Code ? code_ : output_;
        return int(edit->document()->characterCount() - 1);
    });
}

int MainWindow::limit(ide::Window window) {
    return on_window_thread(
        [&] { return window == ide::Window::Code ? code_limit_ : output_limit_; });
}

bool MainWindow::set_limit(ide::Window window, int characters) {
    if (characters > kLargestLimit) return false;
    on_window_thread(
        [&] { (window == ide::Window::Code ? code_limit_ : output_limit_) = characters; });
    return true;
}

}  // namespace idewin
