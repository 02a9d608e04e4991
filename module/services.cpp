#include "services.h"

#include "compile_module.h"
#include "execute_module.h"
#include "library.h"
#include "module_list.h"
#include "workspace_lock.h"

namespace modlib {

int TM_CALL service_use_tamrix(int code) {
    try {
        return workspace_lock().use(code, quit_byte());
    } catch (...) {
        return 1;  // a system error on the mutex: treat as busy
    }
}

int TM_CALL service_com_module(const char16_t *source, int *moduleNo, TmModuleNode **list,
                               int *errorStart, int *errorEnd) {
    Library *lib = library();
    if (!lib) {
        if (list) *list = nullptr;
        return TM_CE_NO_MEMORY;
    }
    try {
        return compile_module(*lib, source, moduleNo, list, errorStart, errorEnd);
    } catch (...) {
        return TM_CE_NO_MEMORY;
    }
}

void TM_CALL service_exe_module(TmModuleNode *list, TmIntOut intOut, TmRealOut realOut,
                                TmComplexOut complexOut) {
    Library *lib = library();
    if (!lib) return;
    try {
        execute_module(*lib, list, intOut, realOut, complexOut);
    } catch (...) {
    }
}

void TM_CALL service_delete_module(int moduleNo) {
    Library *lib = library();
    if (!lib) return;
    try {
        delete_module(*lib, moduleNo);
    } catch (...) {
    }
}

int TM_CALL service_exe_tmdll(TmDllEntry entry, void *kernel, int init, const char16_t *argument) {
    return entry ? entry(kernel, init, argument) : 0;
}

}  // namespace modlib
