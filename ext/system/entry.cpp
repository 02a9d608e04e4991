// The library's one export.
#include "library.h"

extern "C" __attribute__((visibility("default"))) int TM_CALL TmDll32W(void *kernel, int init,
                                                                      const char16_t *argument) {
    try {
        return init ? syslib::start_library(kernel, argument) : syslib::stop_library();
    } catch (...) {
        return 0;
    }
}
