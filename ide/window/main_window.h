// The editor's main window: menus, tool bar, status bar, the code and output
// windows with the draggable border between them, and the dialogs.  It is
// the editor logic's Host; the logic runs its compute commands on a worker
// thread, and every Host call from another thread is carried over to the
// window's thread (blocking, so the run sees the answer; output of a
// library's own thread, such as the graphics window's, is only posted).
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "editor.h"
#include "engine.h"
#include "find_dialog.h"
#include "help_dialog.h"
#include "host.h"
#include "monitor_dialog.h"
#include "run_worker.h"
#include "settings.h"

class QAction;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QLabel;
class QToolBar;

namespace idewin {

class CodeHighlighter;

class MainWindow : public QMainWindow, public ide::Host {
    Q_OBJECT
public:
    explicit MainWindow(ide::Settings &settings);
    ~MainWindow() override;

    // Binds the engine and starts the editor (workspace, file argument);
    // false when the program cannot go on.
    bool start(const std::u16string &file_argument);

    // Runs a menu command by its id, as the menu, tool bar and shortcuts do.
    void command(int id);
    QAction *action(int id) const;

    ide::Editor &editor() { return *editor_; }
    ide::Engine &engine() { return engine_; }
    ide::RunWorker &worker() { return worker_; }
    QPlainTextEdit *code_window() const { return code_; }
    QPlainTextEdit *output_window() const { return output_; }
    QSplitter *splitter() const { return splitter_; }
    QString status_text() const;
    FindDialog *find_dialog() const { return find_dialog_; }
    HelpDialog *help_dialog() const { return help_dialog_; }
    MonitorDialog *monitor_dialog() const { return monitor_dialog_; }
    // The edit window the edit commands act on: the one focused last.
    QPlainTextEdit *edit_target() const;

    // Tests answer message boxes through this instead of a dialog.
    using BoxHook = std::function<int(const QString &text, const QString &caption, int style)>;
    void set_box_hook(BoxHook hook) { box_hook_ = std::move(hook); }
    // Runs a job of the editor logic on the worker thread; false (after the
    // message) while another one runs.
    bool post_run(std::function<void()> job);
    // True when the worker is idle; otherwise shows `busy_text` and false.
    bool idle_or_tell(const char16_t *busy_text);

    // ide::Host
    void append_output(std::u16string_view text) override;
    void clear_output() override;
    std::u16string code_text() override;
    void set_code_text(std::u16string_view text) override;
    void select_code(int start, int end) override;
    int message_box(std::u16string_view text, std::u16string_view caption, int style) override;
    void set_wait_cursor(bool waiting) override;
    void set_status(std::u16string_view text) override;
    void set_title(std::u16string_view title) override;
    void show_monitor() override;
    void close_monitor() override;
    void waiting_for_workspace(bool waiting) override;
    bool code_modified() override;
    void set_code_modified(bool modified) override;
    void code_selection(int &start, int &end) override;
    void scroll_output_to_end() override;
    std::optional<std::u16string> ask_open_path() override;
    std::optional<std::u16string> ask_save_path() override;
    Clipboard clipboard_text(std::u16string &text) override;
    void set_window_menu(const std::vector<std::u16string> &paths) override;
    void set_command_menu(const std::vector<CommandMenu> &menus) override;
    void set_keywords(const std::vector<std::u16string> &words) override;
    int text_length(ide::Window window) override;
    int limit(ide::Window window) override;
    bool set_limit(ide::Window window, int characters) override;

signals:
    // A job of the worker ended (tests wait for it).
    void run_finished();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void build_menus();
    void build_tool_bar();
    QAction *add_item(QMenu *menu, int id, const QString &text, const QKeySequence &shortcut = {});
    void update_edit_menu();
    void update_compute_menu();
    void toggle_bars();
    void choose_font();
    void paste();
    void open_module_manager();
    void open_help_dialog();
    void open_find_dialog();
    void about();
    void compute_command(int id);
    // Runs `work` on the window's thread and returns its result, waiting
    // when called from another thread; a default result when the window
    // cannot answer a library's thread.
    template <typename Work>
    auto on_window_thread(Work work) -> decltype(work());
    // Stops answering other threads: their waits return at once.
    void abandon_waiting_threads();

    ide::Engine engine_{*this};
    ide::Settings &settings_;
    std::unique_ptr<ide::Editor> editor_;
    ide::RunWorker worker_;
    QPlainTextEdit *code_ = nullptr;
    QPlainTextEdit *output_ = nullptr;
    QPlainTextEdit *last_edit_ = nullptr;
    QSplitter *splitter_ = nullptr;
    QLabel *status_ = nullptr;
    QToolBar *tool_bar_ = nullptr;
    CodeHighlighter *highlighter_ = nullptr;
    std::map<int, QAction *> actions_;
    QMenu *command_menu_ = nullptr;
    QMenu *window_menu_ = nullptr;
    QPointer<FindDialog> find_dialog_;
    QPointer<HelpDialog> help_dialog_;
    QPointer<MonitorDialog> monitor_dialog_;
    BoxHook box_hook_;
    // Calls from other threads wait on this until their work ran on the
    // window's thread or the window cannot answer them (see
    // on_window_thread).
    std::mutex waits_mutex_;
    std::condition_variable waits_done_;
    bool abandoned_ = false;
    int window_waits_ = 0;  // this thread waits for the workspace
    bool bars_shown_ = true;
    int code_limit_ = 30000;
    int output_limit_ = 30000;
};

}  // namespace idewin
