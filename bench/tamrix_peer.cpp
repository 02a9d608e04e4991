#include "tamrix_peer.h"

#include "platform/text.h"

namespace bench {
namespace {

constexpr int kModule = 1;

}  // namespace

TamrixKernel::TamrixKernel() {
    if (!host::load_kernel(api_, &error_)) {
        if (error_.empty()) error_ = "cannot load the kernel";
        return;
    }
    if (!api_.InitTamrix()) error_ = "InitTamrix failed";
}

TamrixKernel::~TamrixKernel() {
    if (!api_.library) return;
    api_.FreeTamrix();
    host::unload_kernel(api_);
}

int TamrixKernel::compile(const std::string &source, void **handle, std::string *where) {
    std::u16string text = platform::from_utf8(source);
    *handle = nullptr;
    int param_count = 0, first = 0, last = 0;
    double *data = nullptr;
    int status = api_.RealCom(text.c_str(), kModule, handle, &param_count, &data, &first, &last);
    if (status != TM_OK && where)
        *where = "at " + std::to_string(first) + "-" + std::to_string(last);
    return status;
}

std::string TamrixKernel::take_run_error() {
    int type = 0, code = 0, formula_type = 0;
    const char16_t *name = nullptr;
    void *formula = nullptr;
    api_.GetRunErr(&type, &name, &code, &formula_type, &formula);
    if (type == 0) return "";
    return "run error type " + std::to_string(type) + " in " +
           (name ? platform::to_utf8(name) : std::string("?")) + ", code " +
           std::to_string(code);
}

bool TamrixKernel::run_once(const std::string &source, double *value) {
    void *handle = nullptr;
    if (compile(source, &handle) != TM_OK) return false;
    double unused = 0;
    *value = api_.RealCal(handle, &unused);
    bool clean = take_run_error().empty();
    remove(handle);
    return clean;
}

void TamrixKernel::compile_loop(const std::string &source, long iterations,
                                std::vector<void *> &made) {
    std::u16string text = platform::from_utf8(source);
    int param_count = 0, first = 0, last = 0;
    double *data = nullptr;
    made.reserve(made.size() + size_t(iterations));
    for (long i = 0; i < iterations; ++i) {
        void *handle = nullptr;
        if (api_.RealCom(text.c_str(), kModule, &handle, &param_count, &data, &first,
                         &last) == TM_OK)
            made.push_back(handle);
    }
}

}  // namespace bench
