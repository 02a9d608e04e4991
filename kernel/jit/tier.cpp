// Settings, the evaluation count and the lifetime of native code.
#include "jit.h"

#include <cstdlib>
#include <cstring>

#include "native.h"

namespace tmx {

namespace {

JitSettings g_settings = {false, kDefaultJitThreshold};

// A count of decimal digits; anything else keeps the default.
uint32_t threshold_from(const char *text) {
    if (!text || !*text) return kDefaultJitThreshold;
    uint64_t n = 0;
    for (const char *c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return kDefaultJitThreshold;
        n = n * 10 + uint64_t(*c - '0');
        // The countdown starts one above the threshold.
        if (n >= UINT32_MAX) return UINT32_MAX - 1;
    }
    return uint32_t(n);
}

}  // namespace

void jit_configure() {
#if TAMRIX_HAVE_JIT
    const char *on = std::getenv("TAMRIX_JIT");
    g_settings.enabled = !(on && std::strcmp(on, "0") == 0);
    g_settings.threshold = threshold_from(std::getenv("TAMRIX_JIT_THRESHOLD"));
#else
    g_settings.enabled = false;
#endif
}

JitSettings jit_settings() { return g_settings; }

size_t jit_code_bytes() {
#if TAMRIX_HAVE_JIT
    return native_code_bytes();
#else
    return 0;
#endif
}

void jit_prepare(FormulaRecord *rec) {
    if (g_settings.enabled) rec->jit_countdown = g_settings.threshold + 1;
}

JitEntry jit_count_down(FormulaRecord *rec) {
    if (--rec->jit_countdown != 0) return nullptr;
#if TAMRIX_HAVE_JIT
    // One attempt: a formula the tier does not take is not translated again.
    if (!rec->jit && rec->header[kCodeStart] >= 0) {
        const NativeCode code = compile_real_native(rec);
        rec->jit = code.first;
        rec->jit_nested = code.nested;
    }
#endif
    return rec->jit;
}

#if TAMRIX_HAVE_JIT
namespace {

// A form translated on demand once the formula has native code; one attempt.
template <typename Form>
void make_once(FormulaRecord *rec, Form &form, bool &tried, Form (*translate)(FormulaRecord *)) {
    if (!form && rec->jit && !tried) {
        tried = true;
        form = translate(rec);
    }
}

}  // namespace
#endif

JitBatch jit_batch(FormulaRecord *rec) {
#if TAMRIX_HAVE_JIT
    make_once(rec, rec->jit_batch, rec->jit_batch_tried, compile_real_batch);
#endif
    return rec->jit_batch;
}

JitLine jit_line(FormulaRecord *rec) {
#if TAMRIX_HAVE_JIT
    make_once(rec, rec->jit_line, rec->jit_line_tried, compile_real_line);
#endif
    return rec->jit_line;
}

void jit_release(FormulaRecord *rec) {
    rec->jit_countdown = 0;
    rec->jit_batch_tried = false;
    rec->jit_line_tried = false;
#if TAMRIX_HAVE_JIT
    release_native(reinterpret_cast<const void *>(rec->jit_batch));
    release_native(reinterpret_cast<const void *>(rec->jit_line));
#endif
    rec->jit_batch = nullptr;
    rec->jit_line = nullptr;
    if (!rec->jit) return;
#if TAMRIX_HAVE_JIT
    release_native(reinterpret_cast<const void *>(rec->jit));
    release_native(reinterpret_cast<const void *>(rec->jit_nested));
#endif
    rec->jit = nullptr;
    rec->jit_nested = nullptr;
    // RealCal may have entered the code directly: the general entry chooses
    // again at the next evaluation.
    rec->entry = real_general_entry;
}

void jit_shutdown() {
#if TAMRIX_HAVE_JIT
    shutdown_native();
#endif
}

}  // namespace tmx
