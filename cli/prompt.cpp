#include "prompt.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
// readline's headers use FILE without including stdio.h.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <readline/history.h>
#include <readline/readline.h>

#include "entry_scan.h"
#include "help_text.h"
#include "history_file.h"
#include "host_callbacks.h"
#include "options.h"
#include "platform/text.h"
#include "prompt_command.h"

namespace cli {
namespace {

char kPrompt[] = "tamrix> ";
char kContinuation[] = "   ...> ";
constexpr int kHistoryLines = 1000;

Prompt *active_prompt = nullptr;

void line_ready(char *line) {
    if (active_prompt) active_prompt->take_line(line);
    else std::free(line);
}

bool is_blank_line(const std::string &line) {
    return line.find_first_not_of(" \t\r\n") == std::string::npos;
}

}  // namespace

int Prompt::run(const std::string &banner) {
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        print_diagnostic(std::string("tamrix: cannot start the prompt: ") + std::strerror(errno));
        return kExitUnavailable;
    }
    wake_fd_ = wake[1];

    history_path_ = history_file_path(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
    using_history();
    stifle_history(kHistoryLines);
    if (!history_path_.empty()) read_history(history_path_.c_str());

    rl_readline_name = "tamrix";
    // Ctrl-C reaches the interrupt thread only; readline must not install
    // handlers of its own for it.
    rl_catch_signals = 0;
    // A tab is part of a formula, not a request to complete file names.
    rl_bind_key('\t', rl_insert);
    // Results go to standard output; when that is a file, prompts go to the
    // terminal on standard error instead of into the results.
    rl_outstream = ::isatty(STDOUT_FILENO) ? stdout : stderr;

    std::fprintf(rl_outstream, "%s\n", banner.c_str());
    std::fflush(rl_outstream);
    active_prompt = this;
    interrupter_.set_idle_wake(wake_fd_);
    rl_callback_handler_install(kPrompt, line_ready);
    while (!done_ && out_.failure() == 0) {
        pollfd waits[2] = {{STDIN_FILENO, POLLIN, 0}, {wake[0], POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (waits[1].revents & POLLIN) {
            char drained[16];
            while (::read(wake[0], drained, sizeof drained) > 0) {}
            drop_line();
            continue;
        }
        // readline reads the end of input (or a hang-up) as EOF itself.
        if (waits[0].revents & (POLLIN | POLLHUP | POLLERR)) rl_callback_read_char();
        if (waits[0].revents & POLLNVAL) break;
    }
    leave();
    interrupter_.set_idle_wake(-1);
    active_prompt = nullptr;
    ::close(wake[0]);
    ::close(wake[1]);
    wake_fd_ = -1;
    return kExitOk;
}

void Prompt::take_line(char *line) {
    if (!line) {  // Ctrl-D or the end of input (readline ends the line itself)
        leave();
        return;
    }
    std::string text(line);
    std::free(line);
    if (pending_.empty()) {
        if (is_blank_line(text)) return;
        PromptCommand parsed = parse_prompt_command(text);
        if (parsed.kind != PromptCommand::Kind::None) {
            remember(text);
            command(parsed);
            return;
        }
    }
    remember(text);
    pending_ += pending_.empty() ? text : "\n" + text;
    std::u16string typed = platform::from_utf8(pending_);
    EntryShape shape = shape_of(typed);
    if (shape.open) {
        rl_set_prompt(kContinuation);
        return;
    }
    pending_.clear();
    rl_set_prompt(kPrompt);
    run_entry(typed, shape);
}

void Prompt::command(const PromptCommand &parsed) {
    switch (parsed.kind) {
    case PromptCommand::Kind::Quit:
        leave();
        break;
    case PromptCommand::Kind::Help:
        if (parsed.argument.empty()) {
            out_.write(prompt_command_help());
            out_.finish_line();
        } else {
            print_help_for(engine_, parsed.argument);
        }
        break;
    case PromptCommand::Kind::Load:
        if (parsed.argument.empty()) print_diagnostic("tamrix: :load needs a library name");
        else extensions_.load(parse_load_item(parsed.argument));
        break;
    case PromptCommand::Kind::None:
        break;
    }
}

void Prompt::run_entry(const std::u16string &typed, const EntryShape &shape) {
    PreparedEntry entry = prepare_entry(typed, shape, default_type_);
    interrupter_.set_idle_wake(-1);
    int status = session_.run_entry(entry, typed);
    if (status != kExitCompileError) default_type_ = entry.default_type;
    if (interrupter_.cause() == Interrupter::Cause::TimeLimit)
        print_diagnostic("tamrix: the entry was interrupted after the time limit");
    interrupter_.rearm();
    interrupter_.set_idle_wake(wake_fd_);
}

// Removing the line handler at once: readline would otherwise show the
// prompt again when the handler returns.
void Prompt::leave() {
    if (!done_) rl_callback_handler_remove();
    done_ = true;
}

// Ctrl-C while typing: the line and any unfinished entry are dropped and a
// fresh prompt starts, as in a shell.
void Prompt::drop_line() {
    pending_.clear();
    rl_free_line_state();
    rl_callback_sigcleanup();
    rl_replace_line("", 0);
    std::fputs("^C", rl_outstream);
    rl_crlf();
    rl_set_prompt(kPrompt);
    rl_on_new_line();
    rl_redisplay();
}

// Every line goes into the history once (not twice in a row) and the file
// is rewritten at once, so a session that ends abruptly keeps its lines.
void Prompt::remember(const std::string &line) {
    if (is_blank_line(line)) return;
    HIST_ENTRY *last = history_length > 0 ? history_get(history_base + history_length - 1)
                                          : nullptr;
    if (last && last->line && line == last->line) return;
    add_history(line.c_str());
    if (history_path_.empty() || !make_parent_directories(history_path_)) return;
    write_history(history_path_.c_str());
}

}  // namespace cli
