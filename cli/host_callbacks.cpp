#include "host_callbacks.h"

#include <cstdio>

#include "module_loader.h"
#include "platform/text.h"
#include "tamrix/compile_errors.h"

namespace cli {
namespace {

constexpr char16_t kRunErrorHeader[] = u"Tamrix表达式运行错误！";

// Message box styles (low four bits) and the buttons they answer with.
enum { kStyleOkCancel = 1, kStyleAbortRetryIgnore = 2, kStyleYesNoCancel = 3,
       kStyleYesNo = 4, kStyleRetryCancel = 5 };
enum { kAnswerOk = 1, kAnswerAbort = 3, kAnswerRetry = 4, kAnswerYes = 6 };

void write_result(const std::string &text) {
    if (OutputSink *out = host_state().out) out->write("\n" + text);
}

}  // namespace

HostState &host_state() {
    static HostState state;
    return state;
}

void stop_run_for_lost_output() {
    const HostState &state = host_state();
    if (!state.test_run_err || !state.set_run_err || state.test_run_err() != 0) return;
    state.set_run_err(6, u"tamrix：输出无法写入，运行停止。", 0, 0, nullptr);
}

void print_diagnostic(const std::string &text) {
    if (OutputSink *out = host_state().out) out->finish_line();
    std::fflush(stdout);
    std::fputs(text.c_str(), stderr);
    if (!text.empty() && text.back() != '\n') std::fputc('\n', stderr);
    std::fflush(stderr);
}

int default_message_box_answer(int style) {
    switch (style & 0xF) {
    case kStyleAbortRetryIgnore: return kAnswerAbort;
    case kStyleYesNoCancel:
    case kStyleYesNo: return kAnswerYes;
    case kStyleRetryCancel: return kAnswerRetry;
    case kStyleOkCancel:
    default: return kAnswerOk;
    }
}

extern "C" {

void TM_CALL host_message(const char16_t *text) {
    if (!text) return;
    if (std::u16string_view(text).find(kRunErrorHeader) != std::u16string_view::npos)
        host_state().run_error_reported = true;
    if (OutputSink *out = host_state().out) out->write(message_to_utf8(text));
}

int TM_CALL host_message_box(const char16_t *text, const char16_t *caption, int style) {
    print_diagnostic(message_to_utf8(caption) + ": " + message_to_utf8(text));
    return default_message_box_answer(style);
}

int TM_CALL host_load_module(const char16_t *name) {
    ModuleLoader *loader = host_state().loader;
    if (!loader || !name) return TM_CE_MODULE_NOT_FOUND;
    return loader->load(name);
}

void TM_CALL host_output_int(int64_t value) { write_result(format_int(value)); }
void TM_CALL host_output_real(double value) { write_result(format_real(value)); }
void TM_CALL host_output_complex(double re, double im) {
    write_result(format_complex(re, im));
}


}  // extern "C"

}  // namespace cli
