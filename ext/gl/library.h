// The graphics library's binding while it is started: the kernel exports,
// the module library's services, the data library's test function, the
// private key types of quadrics and text lists, and the start options.
#pragma once

#include <atomic>

#include "ext/protocol/kernel_binding.h"
#include "ext/protocol/registrations.h"
#include "ext/protocol/services.h"
#include "start_options.h"
#include "tamrix/tamrix_data.h"
#include "tamrix/tamrix_ext.h"

namespace gllib {

struct Library {
    extproto::KernelExports kernel;
    TmIsTmData isTmData = nullptr;
    TmTmDataPayload dataPayload = nullptr;  // optional: string objects need it
    int wcharArrayKind = 0;                 // the data library's "wchar_s"
    TmUseTamrix useTamrix = nullptr;
    TmComModule comModule = nullptr;
    TmExeModule exeModule = nullptr;
    int quadricKeyType = 0;
    int textListKeyType = 0;
    extproto::ServiceSet services;  // "gleWaitScene"
    StartOptions options;
    bool offscreen = false;  // chosen at start-up: asked for, or no display
};

// The started library, or null.
Library *library();

int start_library(void *kernel, const char16_t *argument);
int stop_library();

// Reports a bad call of a script function: only when no run error is
// pending, so the first error of a run wins.  Returns 0 for the caller to
// pass on.
double report_error(const char16_t *function, int code, TmCallContext *ctx);

// Prints through the host's "TmMessage", when it has one.
void host_message(const std::u16string &text);

// "UseTamrix"(code), or -1 without the module library.
int use_tamrix(int code);

// The window thread outside a scene evaluation does not hold the workspace
// lock; the kernel (the host's message-box key) is then used only when the
// lock is free at once.  Marks for the calling thread:
void mark_window_thread(bool inScene);
void unmark_window_thread();

// A message box from any thread: through the host's handler, or, on the
// window thread while the host has the kernel, on standard error.
int show_message(const std::u16string &text, const std::u16string &caption, int style);

}  // namespace gllib
