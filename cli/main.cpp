// tamrix: compiles and runs Tamrix programs from files, the command line or
// standard input.  A host of the kernel like any other: it loads the kernel
// and the module library by name, publishes its keys, starts the module
// library and the --load libraries, and shuts them down in reverse.
#include <cstdio>
#include <string>
#include <vector>

#include "engine.h"
#include "extensions.h"
#include "host_callbacks.h"
#include "interrupt_watch.h"
#include "options.h"
#include "platform/loader.h"
#include "platform/text.h"
#include "session.h"

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

int run_programs(const cli::Options &options) {
    cli::Engine engine;
    std::string error;
    if (!engine.start(options.stack_slots, &error)) {
        std::fprintf(stderr, "tamrix: %s\n", error.c_str());
        return cli::kExitUnavailable;
    }
    cli::OutputSink out(stdout);
    int status = cli::kExitOk;
    {
        // Outlives the modules: deleting one runs release passes that may loop.
        cli::Interrupter interrupter(engine.kernel().SetRunErr, options.time_limit_seconds);
        cli::ExtensionSet extensions(engine);
        cli::Session session(engine, out);
        for (const cli::LoadItem &item : options.loads) extensions.load(item);
        for (const cli::SourceItem &source : options.sources) {
            status = session.run(source);
            if (interrupter.cause() != cli::Interrupter::Cause::None) break;
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
    cli::host_state().out = nullptr;
    engine.stop();
    return status;
}

}  // namespace

int main(int argc, char **argv) {
    // Before any thread exists: Ctrl-C is then taken only by the interrupter.
    cli::block_interrupt_signal();
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
    return run_programs(parsed.options);
}
