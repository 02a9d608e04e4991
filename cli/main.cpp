// tamrix: compiles and runs Tamrix programs from files, the command line or
// standard input.  A host of the kernel like any other: it loads the kernel
// and the module library by name, publishes its keys, starts the module
// library and the --load libraries, and shuts them down in reverse.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine.h"
#include "extensions.h"
#include "help_text.h"
#include "host_callbacks.h"
#include "host_functions.h"
#include "interrupt_watch.h"
#include "options.h"
#include "output_setup.h"
#include "platform/loader.h"
#include "platform/text.h"
#include "prompt.h"
#include "session.h"
#include "terminal_host.h"
#include "workspace_run.h"

#ifndef TAMRIX_CLI_VERSION
#define TAMRIX_CLI_VERSION "0"
#endif

namespace {

int print_version() {
    std::printf("tamrix %s (command-line host)\n", TAMRIX_CLI_VERSION);
    std::string why;
    platform::LibraryHandle kernel = platform::load_library("Tamrix32W.dll", &why);
    auto version = reinterpret_cast<decltype(&::TamrixVer)>(
        platform::find_symbol(kernel, "TamrixVer"));
    if (!version) {
        std::fprintf(stderr, "tamrix: cannot load libTamrix32W.so: %s\n",
                     why.empty() ? "no export TamrixVer" : why.c_str());
        platform::close_library(kernel);
        return cli::kExitUnavailable;
    }
    std::printf("kernel: %s\n", platform::to_utf8(version()).c_str());
    platform::close_library(kernel);
    return cli::kExitOk;
}

// The workspace's command N as a program file.
bool resolve_command(const cli::WorkspaceRun &workspace, cli::SourceItem &source) {
    if (source.kind != cli::SourceItem::Kind::Command) return true;
    std::string file = workspace.command_file(std::atoi(source.value.c_str()));
    if (file.empty()) {
        cli::print_diagnostic("tamrix: the workspace has no command " + source.value +
                              " (see --list-commands)");
        return false;
    }
    source = {cli::SourceItem::Kind::File, file};
    return true;
}

int run_programs(const cli::Options &options) {
    cli::Engine engine;
    std::string error;
    if (!engine.start(options.stack_slots, &error)) {
        std::fprintf(stderr, "tamrix: %s\n", error.c_str());
        return cli::kExitUnavailable;
    }
    cli::OutputSink out(stdout);
    cli::host_state().out = &out;
    cli::host_state().test_run_err = engine.kernel().TestRunErr;
    cli::host_state().set_run_err = engine.kernel().SetRunErr;
    out.on_failure(&cli::stop_run_for_lost_output);
    // The editor's script functions that make sense here, and the shipped
    // error and help texts.
    cli::TerminalHost host;
    ide::ScriptContext script{&host, engine.exports(), engine.services().UseTamrix};
    ide::set_script_context(&script);
    ide::HostFunctionFlags functions = ide::register_host_functions(engine.exports(), host);
    if (engine.services().UseTamrix(2) == 0) {
        ide::apply_shipped_texts(script, ide::shipped_texts_directory());
        engine.services().UseTamrix(0);
    }
    int status = cli::kExitOk;
    if (!options.help_for.empty()) {
        status = cli::print_help_for(engine, options.help_for) ? cli::kExitOk : cli::kExitNoInput;
    } else {
        // Outlives the modules: deleting one runs release passes that may loop.
        cli::Interrupter interrupter(engine.kernel().SetRunErr, options.time_limit_seconds);
        cli::ExtensionSet extensions(engine);
        cli::Session session(engine, out);
        for (const cli::LoadItem &item : options.loads) extensions.load(item);
        cli::WorkspaceRun workspace(engine, host);
        if (!options.workspace.empty() &&
            !workspace.apply(options.workspace, extensions, session.loader()))
            status = cli::kExitNoInput;
        if (status == cli::kExitOk && options.list_commands)
            std::fputs(workspace.command_list().c_str(), stdout);
        if (status == cli::kExitOk && options.interactive) {
            cli::Prompt prompt(engine, session, extensions, interrupter, out);
            status = prompt.run("tamrix " TAMRIX_CLI_VERSION
                                ": type formulas, :help for help, :quit or Ctrl-D to leave");
        }
        for (cli::SourceItem source : options.sources) {
            if (status != cli::kExitOk || options.interactive) break;
            if (!resolve_command(workspace, source)) {
                status = cli::kExitUsage;
                break;
            }
            status = session.run(source);
            if (interrupter.cause() != cli::Interrupter::Cause::None || out.failure()) break;
            if (status != cli::kExitOk) break;
        }
        // A scene window of the programs stays open until it is closed;
        // modules go before the libraries whose functions they call.
        if (interrupter.cause() == cli::Interrupter::Cause::None) extensions.wait_for_libraries();
        session.close();
        extensions.unload_all();
        // An interrupt may have landed in a compile (which then fails) as
        // well as in a run: the cause decides the status.
        switch (interrupter.cause()) {
        case cli::Interrupter::Cause::UserInterrupt:
            status = cli::kExitInterrupted;
            break;
        case cli::Interrupter::Cause::TimeLimit:
            std::fprintf(stderr, "tamrix: interrupted after the time limit of %g s\n",
                         options.time_limit_seconds);
            status = cli::kExitRunError;
            break;
        case cli::Interrupter::Cause::None:
            break;
        }
    }
    out.finish_line();
    // Lost output outweighs what the run made of it (the run error it was
    // stopped with, usually).
    if (out.failure() != 0) status = cli::output_failure_status(out.failure());
    ide::unregister_host_functions(engine.exports(), functions);
    ide::set_script_context(nullptr);
    cli::host_state().out = nullptr;
    engine.stop();
    return status;
}

}  // namespace

int main(int argc, char **argv) {
    // Before any thread exists: Ctrl-C is then taken only by the interrupter.
    cli::block_interrupt_signal();
    cli::prepare_standard_streams();
    std::vector<std::string> args(argv + 1, argv + argc);
    cli::ParsedOptions parsed = cli::parse_options(args);
    if (!parsed.ok) {
        std::fprintf(stderr,
                     "tamrix: %s\nUsage: tamrix [OPTION]... [FILE]...\n"
                     "Try 'tamrix --help' for more information.\n",
                     parsed.error.c_str());
        return cli::kExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(cli::usage_text().c_str(), stdout);
        return cli::kExitOk;
    }
    if (parsed.options.version) return print_version();
    parsed.options.interactive = parsed.options.stdin_implied && isatty(STDIN_FILENO);
    return run_programs(parsed.options);
}
