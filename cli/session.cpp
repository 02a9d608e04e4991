#include "session.h"

#include "diagnostics.h"
#include "host_callbacks.h"
#include "platform/text.h"
#include "source_text.h"
#include "tamrix/compile_errors.h"

namespace cli {
namespace {

// "UseTamrix" codes.
constexpr int kRelease = 0;
constexpr int kAcquireWaiting = 2;

}  // namespace

Session::Session(const Engine &engine, OutputSink &out)
    : engine_(engine), out_(out), loader_(engine, modules_) {
    host_state().out = &out_;
    host_state().loader = &loader_;
}

Session::~Session() {
    close();
    host_state().loader = nullptr;
}

int Session::read_program(const SourceItem &source, Program &program) {
    std::string bytes, why;
    switch (source.kind) {
    case SourceItem::Kind::Text:
        program.name = "-e";
        program.text = platform::from_utf8(source.value);
        return kExitOk;
    case SourceItem::Kind::Stdin:
        program.name = "<stdin>";
        if (!read_stream_bytes(stdin, bytes, &why)) {
            print_diagnostic("tamrix: cannot read standard input: " + why);
            return kExitNoInput;
        }
        break;
    case SourceItem::Kind::File:
        program.name = source.value;
        program.directory = directory_of(source.value);
        if (!read_file_bytes(source.value, bytes, &why)) {
            print_diagnostic("tamrix: cannot read '" + source.value + "': " + why);
            return kExitNoInput;
        }
        program.canonical = canonical_path(source.value);
        break;
    }
    program.text = platform::decode_text_file(bytes);
    return kExitOk;
}

int Session::compile(const Program &program, TmModuleNode *&list) {
    size_t nul = find_nul(program.text);
    if (nul != std::u16string::npos) {
        print_diagnostic(format_compile_error(program.name, program.text, TM_CE_BAD_CHARACTER,
                                              int(nul), int(nul)));
        return kExitCompileError;
    }
    const ModuleServices &services = engine_.services();
    if (services.UseTamrix(kAcquireWaiting) != 0) {
        print_diagnostic("tamrix: the kernel is in use; the program was not compiled");
        return kExitUnavailable;
    }
    engine_.publish_callbacks();
    loader_.begin_program(program.directory, program.canonical);
    int module_number = 0, first = 0, last = 0;
    int result = services.ComModule(program.text.c_str(), &module_number, &list, &first, &last);
    loader_.end_program();
    services.UseTamrix(kRelease);
    if (result != TM_CE_OK && program.entry) {
        const size_t size = program.typed->size();
        print_diagnostic(format_compile_error(program.name, *program.typed, result,
                                              typed_position(*program.entry, size, first),
                                              typed_position(*program.entry, size, last)));
    } else if (result != TM_CE_OK) {
        print_diagnostic(format_compile_error(program.name, program.text, result, first, last));
    }
    if (result != TM_CE_OK) {
        list = nullptr;
        return kExitCompileError;
    }
    modules_.push_back(module_number);
    loader_.remember(program.canonical, module_number);
    return kExitOk;
}

int Session::execute(TmModuleNode *list) {
    const ModuleServices &services = engine_.services();
    if (services.UseTamrix(kAcquireWaiting) != 0) {
        print_diagnostic("tamrix: the kernel is in use; the program was not run");
        return kExitUnavailable;
    }
    engine_.publish_callbacks();
    host_state().run_error_reported = false;
    services.ExeModule(list, &host_output_int, &host_output_real, &host_output_complex);
    services.UseTamrix(kRelease);
    out_.finish_line();
    return host_state().run_error_reported ? kExitRunError : kExitOk;
}

int Session::run(const SourceItem &source) {
    Program program;
    int status = read_program(source, program);
    if (status != kExitOk) return status;
    TmModuleNode *list = nullptr;
    status = compile(program, list);
    if (status != kExitOk) return status;
    return execute(list);
}

int Session::run_entry(const PreparedEntry &entry, const std::u16string &typed) {
    Program program;
    program.name = "<input>";
    program.text = entry.text;
    program.entry = &entry;
    program.typed = &typed;
    TmModuleNode *list = nullptr;
    int status = compile(program, list);
    if (status != kExitOk) return status;
    return execute(list);
}

void Session::close() {
    const ModuleServices &services = engine_.services();
    if (!services.DeleteModule) {
        modules_.clear();
        return;
    }
    while (!modules_.empty()) {
        int module_number = modules_.back();
        modules_.pop_back();
        if (services.UseTamrix(kAcquireWaiting) != 0) continue;
        services.DeleteModule(module_number);
        services.UseTamrix(kRelease);
    }
}

}  // namespace cli
