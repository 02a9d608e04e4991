// tamrix_sample: compiles the formulas of a text file, one per line, and
// evaluates those without parameters, the way any host drives the kernel:
// load the library, resolve its exports by name, InitTamrix, compile with
// RealCom, evaluate with RealCal, read the run-error record, FreeTamrix.
//
// Usage: tamrix_sample [formulas.txt]
// Lines that are empty or start with "//" are skipped.  Exit status: 0 when
// every line was handled (compile and run errors are results, not failures),
// 1 when the file cannot be read, 2 when the kernel cannot be loaded or
// started.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kernel_api.h"
#include "platform/text.h"

#ifndef TAMRIX_SAMPLE_FORMULAS
#define TAMRIX_SAMPLE_FORMULAS "formulas.txt"
#endif

namespace {

// All formulas go to one public module, so later lines can call earlier ones.
constexpr int kModule = 1;
// SetFunction's type code for an external function of real formulas.
constexpr int kRealFunctionType = 5;

// clamp(x, low, high): an external function the host adds to the language,
// as extension libraries do.  Registered with three parameters, so the
// compiler has already refused any other argument count.
double TM_CALL clamp(int, double *args, TmCallContext *) {
    double x = args[0], low = args[1], high = args[2];
    return x < low ? low : x > high ? high : x;
}

bool read_file(const char *path, std::string &bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream content;
    content << file.rdbuf();
    bytes = content.str();
    return !file.bad();
}

bool is_skipped(const std::u16string &line) {
    size_t first = line.find_first_not_of(u" \t");
    return first == std::u16string::npos || line.compare(first, 2, u"//") == 0;
}

// Splits on line feeds; a carriage return before one is dropped, so files
// written with either line ending read the same.
std::vector<std::u16string> formula_lines(const std::u16string &text) {
    std::vector<std::u16string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(u'\n', start);
        if (end == std::u16string::npos) end = text.size();
        std::u16string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == u'\r') line.pop_back();
        if (!is_skipped(line)) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The offending text of a compile error; the kernel's range is trusted only
// as far as it lies inside the source.
std::string excerpt(const std::u16string &source, int first, int last) {
    if (first < 0 || last < first || size_t(first) >= source.size()) return "";
    size_t end = std::min(source.size(), size_t(last) + 1);
    return platform::to_utf8(source.substr(size_t(first), end - size_t(first)));
}

// Reads (and so clears) the run-error record; true when an error was pending.
bool report_run_error(const host::KernelApi &api) {
    int type = 0, code = 0, formula_type = 0;
    const char16_t *name = nullptr;
    void *formula = nullptr;
    api.GetRunErr(&type, &name, &code, &formula_type, &formula);
    if (type == 0) return false;
    std::string function = name ? platform::to_utf8(name) : "(invalidated formula)";
    std::printf("run error type %d in %s, code %d\n", type, function.c_str(), code);
    return true;
}

void run_formula(const host::KernelApi &api, const std::u16string &source) {
    std::printf("%s  ->  ", platform::to_utf8(source).c_str());
    void *handle = nullptr;  // no module lock is held
    int param_count = 0, err_first = 0, err_last = 0;
    double *data = nullptr;
    int status = api.RealCom(source.c_str(), kModule, &handle, &param_count, &data,
                             &err_first, &err_last);
    if (status == TM_NO_MEMORY) {
        std::printf("out of memory\n");
        return;
    }
    if (status != TM_OK) {
        std::printf("compile error %d at %d-%d \"%s\"\n", status, err_first, err_last,
                    excerpt(source, err_first, err_last).c_str());
        return;
    }
    if (param_count >= 0) {
        std::printf("compiled, %d parameter%s\n", param_count + 1, param_count ? "s" : "");
        return;
    }
    double value = api.RealCal(handle, data);
    if (!report_run_error(api)) std::printf("%.16g\n", value);
}

}  // namespace

int main(int argc, char **argv) {
    const char *path = argc > 1 ? argv[1] : TAMRIX_SAMPLE_FORMULAS;
    std::string bytes;
    if (!read_file(path, bytes)) {
        std::fprintf(stderr, "tamrix_sample: cannot read %s\n", path);
        return 1;
    }

    host::KernelApi api;
    std::string error;
    if (!host::load_kernel(api, &error)) {
        std::fprintf(stderr, "tamrix_sample: %s\n", error.c_str());
        return 2;
    }
    if (!api.InitTamrix()) {
        std::fprintf(stderr, "tamrix_sample: InitTamrix failed (out of memory)\n");
        host::unload_kernel(api);
        return 2;
    }
    std::printf("version: %s\n", platform::to_utf8(api.TamrixVer()).c_str());
    if (api.SetFunction(kRealFunctionType, u"clamp", reinterpret_cast<void *>(&clamp), 2) != 0)
        std::printf("clamp could not be registered\n");

    for (const std::u16string &line : formula_lines(platform::decode_text_file(bytes)))
        run_formula(api, line);

    api.FreeTamrix();
    host::unload_kernel(api);
    return 0;
}
