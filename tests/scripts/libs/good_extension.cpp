// A well-behaved extension library: publishes the service "TestExtService",
// registers "ext_scale"(x) (real: x times the factor given as the library's
// argument, 2 without one) and "ext_argc"(...) (integer: its argument
// count), and takes all of it back at shutdown.
#include <cstdlib>
#include <string>

#include "extension_kit.h"

namespace {

test_ext::Kernel kernel;
double factor = 2;
bool scale_registered = false;
bool argc_registered = false;

double TM_CALL ext_scale(int, double *args, TmCallContext *) { return args[0] * factor; }
int64_t TM_CALL ext_argc(int m, int64_t *, TmCallContext *) { return m + 1; }

double parse_factor(const char16_t *argument) {
    if (!argument) return 2;
    std::string digits;
    for (const char16_t *c = argument; *c; ++c) digits += char(*c < 128 ? *c : '?');
    return std::atof(digits.c_str());
}

int start(void *kernel_handle, const char16_t *argument) {
    if (!kernel.bind(kernel_handle)) return 0;
    void *kept = nullptr;
    if (kernel.InsertKey(test_ext::kServiceName, test_ext::service_name_length(),
                         TM_SERVICE_KEY_TYPE, reinterpret_cast<void *>(&ext_scale),
                         &test_ext::keep_value, &kept) != 0)
        return 0;
    factor = parse_factor(argument);
    scale_registered =
        kernel.SetFunction(5, u"ext_scale", reinterpret_cast<void *>(&ext_scale), 0) == 0;
    argc_registered =
        kernel.SetFunction(4, u"ext_argc", reinterpret_cast<void *>(&ext_argc), -2) == 0;
    return 1;
}

int stop() {
    if (argc_registered) kernel.DeleteConstOrFunction(4, u"ext_argc");
    if (scale_registered) kernel.DeleteConstOrFunction(5, u"ext_scale");
    argc_registered = scale_registered = false;
    kernel.DeletePrivateKey(test_ext::kServiceName, test_ext::service_name_length(),
                            TM_SERVICE_KEY_TYPE, &test_ext::keep_value);
    return 1;
}

}  // namespace

TEST_EXTENSION_EXPORT int TM_CALL TmDll32W(void *kernel_handle, int init,
                                           const char16_t *argument) {
    return init ? start(kernel_handle, argument) : stop();
}
