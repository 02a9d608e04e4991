// What the editor logic asks of its window: the code window, the output
// window, message boxes, the cursor and the status line.  The desktop editor
// implements it with its toolkit; the command-line host with a terminal; the
// tests with a recorder.
//
// Output and message boxes may be asked for from the run thread while a
// module runs (output callbacks, script functions, the loader); the other
// operations only from the thread that drives the logic.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_box.h"

namespace ide {

// The two edit windows, for their character limits (SetCodeWinMax,
// SetOutWinMax) and text lengths.
enum class Window { Code, Output };

class Host {
public:
    virtual ~Host() = default;

    // Appends text at the end of the output window ("\r\n" line breaks).
    virtual void append_output(std::u16string_view text) = 0;
    virtual void clear_output() = 0;
    // The code window's text with "\r\n" line breaks.
    virtual std::u16string code_text() = 0;
    // Replaces the code window's text (showing another file).
    virtual void set_code_text(std::u16string_view text) = 0;
    // Selects editor positions [start, end) in the code window, where a line
    // break counts as one character, and gives it the focus.
    virtual void select_code(int start, int end) = 0;
    // A message box; style and answers are platform::MessageBoxStyle and
    // platform::MessageBoxAnswer.
    virtual int message_box(std::u16string_view text, std::u16string_view caption, int style) = 0;

    virtual void set_wait_cursor(bool waiting) { (void)waiting; }
    virtual void set_status(std::u16string_view text) { (void)text; }
    // The window title: a path followed by " - OpenTM", or "OpenTM".
    virtual void set_title(std::u16string_view title) { (void)title; }

    // The run monitor's window ("OpenTM：Tamrix 运行监视器"): asked for from
    // the monitor thread; the host shows it on its own thread and reports
    // its end with RunMonitor::closed(), a confirmed Esc with interrupt().
    virtual void show_monitor() {}
    virtual void close_monitor() {}

    // The calling thread starts (true) or ends (false) waiting for the
    // workspace.  A host that answers other threads' calls on one thread
    // cannot answer them while that thread waits: a library thread that
    // holds the workspace and asks it something would never get its answer.
    virtual void waiting_for_workspace(bool waiting) { (void)waiting; }

    // The code window's text-modified flag.
    virtual bool code_modified() = 0;
    virtual void set_code_modified(bool modified) = 0;
    // The code window's selection in editor positions, [start, end).
    virtual void code_selection(int &start, int &end) = 0;
    virtual void scroll_output_to_end() {}

    // File dialogs: "打开" (file and path must exist) and "另存为" (asks
    // before overwriting).  Nothing when cancelled.
    virtual std::optional<std::u16string> ask_open_path() { return std::nullopt; }
    virtual std::optional<std::u16string> ask_save_path() { return std::nullopt; }

    // The clipboard's Unicode text.
    enum class Clipboard { Text, NoText, OpenFailed, ReadFailed };
    virtual Clipboard clipboard_text(std::u16string &text) {
        (void)text;
        return Clipboard::NoText;
    }

    // Menus the logic rebuilds: the window menu (one item per open file,
    // ids from 1000) and the command popup "命令(&C)" (one submenu per
    // "#COMMAND" section, item ids from 2000 across them).
    struct CommandMenu {
        std::u16string title;
        std::vector<std::u16string> items;
    };
    virtual void set_window_menu(const std::vector<std::u16string> &paths) { (void)paths; }
    virtual void set_command_menu(const std::vector<CommandMenu> &menus) { (void)menus; }
    // The words the colouring shows as keywords.
    virtual void set_keywords(const std::vector<std::u16string> &words) { (void)words; }

    // Character limits of the edit windows.  A window without a limit of its
    // own keeps the one the logic sets; set_limit returns false when refused.
    virtual int text_length(Window window) = 0;
    virtual int limit(Window window) = 0;
    virtual bool set_limit(Window window, int characters) = 0;
};

}  // namespace ide
