// The kernel as the benchmark reaches it: loaded through the platform loader
// and called through the resolved export pointers, as every host does, so
// the indirect call is part of what is measured.
#pragma once

#include <string>
#include <vector>

#include "kernel_api.h"

namespace bench {

class TamrixKernel {
public:
    // Loads and initialises the kernel; error() says why when it could not.
    TamrixKernel();
    ~TamrixKernel();
    TamrixKernel(const TamrixKernel &) = delete;
    TamrixKernel &operator=(const TamrixKernel &) = delete;

    bool ready() const { return error_.empty(); }
    const std::string &error() const { return error_; }

    // Compiles a real formula in the benchmark's module; 0 or the kernel's
    // status, with the offending source range in *where.
    int compile(const std::string &source, void **handle, std::string *where = nullptr);
    // Compiles and runs a formula without parameters; false on a compile or
    // run error.
    bool run_once(const std::string &source, double *value);
    // The pending run error as text (clearing it), or empty.
    std::string take_run_error();

    double eval(void *handle, double *args) { return api_.RealCal(handle, args); }
    // Every export, for the integer and complex cases.
    const host::KernelApi &api() const { return api_; }
    void remove(void *handle) { api_.DeleteFor(TM_REAL, handle); }

    // Time of one compile of "(a,b,c)=text"; the formulas made are deleted
    // after the loop, outside the timed part.
    void compile_loop(const std::string &source, long iterations,
                      std::vector<void *> &made);

private:
    host::KernelApi api_;
    std::string error_;
};

}  // namespace bench
