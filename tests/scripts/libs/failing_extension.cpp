// An extension library whose start-up fails: it tells the user through the
// host's message box, as libraries do, and refuses.
#include "extension_kit.h"

TEST_EXTENSION_EXPORT int TM_CALL TmDll32W(void *kernel_handle, int init, const char16_t *) {
    if (!init) return 1;
    test_ext::Kernel kernel;
    if (!kernel.bind(kernel_handle)) return 0;
    auto box = reinterpret_cast<TmMessageBoxFn>(
        kernel.SearchKey("MTM_MessageBox", 14, TM_HOST_KEY_TYPE));
    if (box) box(u"start-up refused", u"TestFailing", 0);
    return 0;
}
