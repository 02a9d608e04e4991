// A host that records what the editor logic asks of its window: output,
// selections, message boxes (answered from a script, else by default), the
// status line and the window limits.  Thread-safe: runs write output from
// their own thread.
#pragma once

#include <atomic>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host.h"
#include "platform/text.h"

namespace idetest {

struct Box {
    std::u16string text;
    std::u16string caption;
    int style = 0;
};

class FakeHost : public ide::Host {
public:
    void append_output(std::u16string_view text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        output_ += text;
    }
    void clear_output() override {
        std::lock_guard<std::mutex> lock(mutex_);
        output_.clear();
    }
    std::u16string code_text() override { return code_; }
    void set_code_text(std::u16string_view text) override { code_ = text; }
    void select_code(int start, int end) override {
        selection_start = start;
        selection_end = end;
    }
    int message_box(std::u16string_view text, std::u16string_view caption, int style) override {
        std::lock_guard<std::mutex> lock(mutex_);
        boxes_.push_back({std::u16string(text), std::u16string(caption), style});
        if (answers_.empty()) return platform::default_answer(style);
        int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    void set_status(std::u16string_view text) override { status = text; }
    void set_title(std::u16string_view text) override { title = text; }
    void show_monitor() override { ++monitor_shown; }
    void close_monitor() override { ++monitor_closed; }
    bool code_modified() override { return modified; }
    void set_code_modified(bool m) override { modified = m; }
    void code_selection(int &start, int &end) override {
        start = selection_start;
        end = selection_end;
    }
    std::optional<std::u16string> ask_open_path() override { return take(open_paths); }
    std::optional<std::u16string> ask_save_path() override { return take(save_paths); }
    Clipboard clipboard_text(std::u16string &text) override {
        text = clipboard;
        return clipboard_state;
    }
    void set_window_menu(const std::vector<std::u16string> &paths) override { window_menu = paths; }
    void set_command_menu(const std::vector<CommandMenu> &menus) override { command_menu = menus; }
    void set_keywords(const std::vector<std::u16string> &words) override { keywords = words; }
    int text_length(ide::Window w) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return w == ide::Window::Code ? int(code_.size()) : int(output_.size());
    }
    int limit(ide::Window w) override { return w == ide::Window::Code ? code_limit : output_limit; }
    bool set_limit(ide::Window w, int n) override {
        if (n > max_limit) return false;
        (w == ide::Window::Code ? code_limit : output_limit) = n;
        return true;
    }

    std::u16string output() {
        std::lock_guard<std::mutex> lock(mutex_);
        return output_;
    }
    std::string output_utf8() { return platform::to_utf8(output()); }
    std::vector<Box> boxes() {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }
    // Captions of the boxes shown so far, in UTF-8, and forget them.
    std::vector<std::string> take_captions() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> captions;
        for (const Box &box : boxes_) captions.push_back(platform::to_utf8(box.caption));
        boxes_.clear();
        return captions;
    }
    void answer_next(int answer) {
        std::lock_guard<std::mutex> lock(mutex_);
        answers_.push_back(answer);
    }

    bool modified = false;
    std::deque<std::u16string> open_paths, save_paths;
    std::u16string clipboard;
    Clipboard clipboard_state = Clipboard::NoText;
    std::vector<std::u16string> window_menu, keywords;
    std::vector<CommandMenu> command_menu;
    int selection_start = -1, selection_end = -1;
    std::u16string status, title;
    std::atomic<int> monitor_shown{0}, monitor_closed{0};
    int code_limit = 30000, output_limit = 30000, max_limit = 1 << 30;

private:
    static std::optional<std::u16string> take(std::deque<std::u16string> &queue) {
        if (queue.empty()) return std::nullopt;
        std::u16string value = queue.front();
        queue.pop_front();
        return value;
    }

    std::mutex mutex_;
    std::u16string output_;
    std::u16string code_;
    std::vector<Box> boxes_;
    std::deque<int> answers_;
};

inline std::u16string u16(const std::string &utf8) { return platform::from_utf8(utf8); }
inline std::string u8(const std::u16string &text) { return platform::to_utf8(text); }

}  // namespace idetest
