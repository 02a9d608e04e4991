// The library's one export.
#include "library.h"

extern "C" __attribute__((visibility("default"))) int TM_CALL TmDll32W(void *kernel, int init,
                                                                      const char16_t *) {
    try {
        return init ? strlib::start_library(kernel) : strlib::stop_library();
    } catch (...) {
        return 0;
    }
}
