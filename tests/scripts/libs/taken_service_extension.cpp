// An extension library whose service name another library already holds: its
// start-up must fail before it registers anything ("ext_taken" stays unknown).
#include "extension_kit.h"

namespace {

test_ext::Kernel kernel;

double TM_CALL ext_taken(int, double *, TmCallContext *) { return 1; }
void TM_CALL own_delete(void *) {}

}  // namespace

TEST_EXTENSION_EXPORT int TM_CALL TmDll32W(void *kernel_handle, int init, const char16_t *) {
    if (!init) {
        kernel.DeleteConstOrFunction(5, u"ext_taken");
        kernel.DeletePrivateKey(test_ext::kServiceName, test_ext::service_name_length(),
                                TM_SERVICE_KEY_TYPE, &own_delete);
        return 1;
    }
    if (!kernel.bind(kernel_handle)) return 0;
    void *kept = nullptr;
    if (kernel.InsertKey(test_ext::kServiceName, test_ext::service_name_length(),
                         TM_SERVICE_KEY_TYPE, reinterpret_cast<void *>(&ext_taken), &own_delete,
                         &kept) != 0)
        return 0;
    kernel.SetFunction(5, u"ext_taken", reinterpret_cast<void *>(&ext_taken), -1);
    return 1;
}
