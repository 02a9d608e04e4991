// The interactive prompt: what `tamrix` does when it is started on a
// terminal without a program.  Lines are read with GNU readline (editing,
// history kept in a file between sessions); an entry is complete when no
// bracket or block comment is open, and is then compiled and run as a module
// of its own (see entry_rewrite.h for how its names stay defined).
#pragma once

#include <string>

#include "engine.h"
#include "entry_rewrite.h"
#include "entry_scan.h"
#include "extensions.h"
#include "interrupt_watch.h"
#include "output.h"
#include "prompt_command.h"
#include "session.h"

namespace cli {

class Prompt {
public:
    Prompt(const Engine &engine, Session &session, ExtensionSet &extensions,
           Interrupter &interrupter, OutputSink &out)
        : engine_(engine), session_(session), extensions_(extensions),
          interrupter_(interrupter), out_(out) {}
    Prompt(const Prompt &) = delete;
    Prompt &operator=(const Prompt &) = delete;

    // Greets with `banner`, then reads and runs entries until ":quit", the
    // end of input or a lost output; returns the exit status.
    int run(const std::string &banner);

    // readline's line handler (it takes no context, so it reaches the one
    // running prompt through a static pointer).
    void take_line(char *line);

private:
    void command(const PromptCommand &command);
    void run_entry(const std::u16string &typed, const EntryShape &shape);
    void drop_line();
    void leave();
    void remember(const std::string &line);

    const Engine &engine_;
    Session &session_;
    ExtensionSet &extensions_;
    Interrupter &interrupter_;
    OutputSink &out_;
    std::string pending_;  // the lines of an entry not complete yet
    DefaultType default_type_ = DefaultType::Real;
    std::string history_path_;
    int wake_fd_ = -1;  // write end of the pipe Ctrl-C wakes the prompt through
    bool done_ = false;
};

}  // namespace cli
