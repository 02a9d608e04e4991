// The editor logic's host interface for a terminal: output goes where the
// results go, message boxes become diagnostics answered with their default
// button, and the window limits are plain numbers nobody enforces.
#pragma once

#include "host.h"

namespace cli {

class TerminalHost : public ide::Host {
public:
    void append_output(std::u16string_view text) override;
    void clear_output() override {}
    std::u16string code_text() override { return {}; }
    void set_code_text(std::u16string_view) override {}
    void select_code(int, int) override {}
    int message_box(std::u16string_view text, std::u16string_view caption, int style) override;
    bool code_modified() override { return false; }
    void set_code_modified(bool) override {}
    void code_selection(int &start, int &end) override { start = end = 0; }
    int text_length(ide::Window) override { return 0; }
    int limit(ide::Window window) override {
        return window == ide::Window::Code ? code_limit_ : output_limit_;
    }
    bool set_limit(ide::Window window, int characters) override {
        (window == ide::Window::Code ? code_limit_ : output_limit_) = characters;
        return true;
    }

private:
    int code_limit_ = 30000;
    int output_limit_ = 30000;
};

}  // namespace cli
