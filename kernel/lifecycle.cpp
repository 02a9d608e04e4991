// Start and end of the kernel's life: TamrixVer, InitTamrix, FreeTamrix.
#include "address_table.h"
#include "builtins/builtins.h"
#include "eval/real_fast.h"
#include "eval/value_stacks.h"
#include "jit/jit.h"
#include "registry/registry.h"
#include "run_error.h"
#include "tamrix/tamrix.h"
#include "work_buffers.h"

extern "C" {

TM_API const char16_t *TamrixVer(void) {
    return u"TAMRIX32W.DLL V9.0 正式版 (Linux x86-64)";
}

TM_API void FreeTamrix(void) {
    using namespace tmx;
    work_buffers_release();
    g_in_teardown = true;
    registry_teardown();
    g_in_teardown = false;
    value_stacks_release();
    jit_shutdown();
    address_reset();
    // Nothing the record could name survives.
    forget_run_error_formulas();
}

TM_API bool InitTamrix(void) {
    using namespace tmx;
    FreeTamrix();
    if (!work_buffers_allocate()) {
        FreeTamrix();
        return false;
    }
    clear_run_error();
    jit_configure();
    fast_form_configure();
    register_builtins();
    return true;
}

}  // extern "C"
