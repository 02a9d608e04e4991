// tamrix_opt_bench: what the optimisation library costs per evaluation of
// the objective.  The Rosenbrock function from (-1.2, 1) is minimised by
// each algorithm twice in one run: as a formula through opt::minimize (the
// kernel, the data library and libTmOpt32W.so loaded through the platform
// loader and started as a host starts them), and by NLopt calling the same
// function written in C++ with the same settings (L-BFGS gets the same
// central differences).  Each side's time per minimisation is divided by
// its own evaluation count; the ratio formula / C++ is the overhead, to be
// at most 3 (the per-evaluation work NLopt does itself is in both).
//
// Usage: tamrix_opt_bench   (a few seconds)
// Exit status: 0 done, 1 a minimisation failed, 2 a library cannot be loaded.
#include <nlopt.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/loader.h"
#include "tamrix_peer.h"
#include "timing.h"

namespace bench {
namespace {

// The same arithmetic on both sides.
const char kFormula[] = "rosen(x,y)= 100*(y-x*x)*(y-x*x) + (1-x)*(1-x)";
double rosen(double x, double y) { return 100 * (y - x * x) * (y - x * x) + (1 - x) * (1 - x); }

constexpr double kRelativeTolerance = 1e-10;
const char kRelativeToleranceText[] = "1e-10";

struct Algorithm {
    const char *name;
    int constant;  // the opt:: constant's value
    nlopt_algorithm nlopt;
};
const Algorithm kAlgorithms[] = {
    {"Nelder-Mead", 1, NLOPT_LN_NELDERMEAD}, {"Subplex", 2, NLOPT_LN_SBPLX},
    {"BOBYQA", 3, NLOPT_LN_BOBYQA},          {"COBYLA", 4, NLOPT_LN_COBYLA},
    {"L-BFGS", 5, NLOPT_LD_LBFGS},
};

struct NativeCount {
    long evals = 0;
};

// The C++ objective, with the library's central differences for L-BFGS.
double native_objective(unsigned, const double *x, double *grad, void *data) {
    auto *count = static_cast<NativeCount *>(data);
    ++count->evals;
    const double f = rosen(x[0], x[1]);
    if (grad) {
        for (int i = 0; i < 2; ++i) {
            const double h = 6.0554544523933395e-06 * std::fmax(std::fabs(x[i]), 1.0);
            double p[2] = {x[0], x[1]}, m[2] = {x[0], x[1]};
            p[i] += h;
            m[i] -= h;
            count->evals += 2;
            grad[i] = (rosen(p[0], p[1]) - rosen(m[0], m[1])) / (2 * h);
        }
    }
    return f;
}

// One native minimisation; its evaluation count, or -1 when it failed.
long native_run(nlopt_algorithm algorithm) {
    NativeCount count;
    nlopt_opt opt = nlopt_create(algorithm, 2);
    nlopt_set_min_objective(opt, native_objective, &count);
    nlopt_set_xtol_rel(opt, kRelativeTolerance);
    double x[2] = {-1.2, 1}, f = 0;
    const nlopt_result rc = nlopt_optimize(opt, x, &f);
    nlopt_destroy(opt);
    return rc > 0 && f < 1e-8 ? count.evals : -1;
}

using Entry = int (*)(void *, int, const char16_t *);

// Loads and starts an extension library on the kernel; its entry or null.
Entry start_library(TamrixKernel &kernel, const char *name) {
    std::string error;
    platform::LibraryHandle lib = platform::load_library(name, &error);
    if (!lib) {
        std::printf("%s: %s\n", name, error.c_str());
        return nullptr;
    }
    auto entry = reinterpret_cast<Entry>(platform::find_symbol(lib, "TmDll32W"));
    if (!entry || !entry(kernel.api().library, 1, nullptr)) {
        std::printf("%s does not start\n", name);
        return nullptr;
    }
    return entry;
}

}  // namespace
}  // namespace bench

int main() {
    using namespace bench;
    TamrixKernel kernel;
    if (!kernel.ready()) {
        std::printf("%s\n", kernel.error().c_str());
        return 2;
    }
    Entry data = start_library(kernel, "TmData32W.dll");
    Entry opt = data ? start_library(kernel, "TmOpt32W.dll") : nullptr;
    if (!opt) return 2;
    void *rosenbrock = nullptr;
    void *start = nullptr;
    if (kernel.compile(kFormula, &rosenbrock) != TM_OK ||
        kernel.compile("start(::p)= which(p==0, p=new(real64_s, 2), p)", &start) != TM_OK)
        return 1;

    std::printf("Rosenbrock from (-1.2, 1), relative tolerance %g: ns per evaluation\n",
                kRelativeTolerance);
    std::printf("%-12s %8s %10s %10s %8s\n", "algorithm", "evals", "C++", "formula", "ratio");
    double logSum = 0;
    int rows = 0, status = 0;
    for (const Algorithm &a : kAlgorithms) {
        // The formula side returns its evaluation count; the minimum must be
        // found, else the count says -1.  One start array serves every run
        // (the data library counts every object made towards its limit).
        const std::string driver =
            "(:p,f,e)= p=start(), set(p, 0, -1.2), set(p, 1, 1), f=opt::minimize(\"rosen\", p, " +
            std::to_string(a.constant) + ", 0, 0, " + kRelativeToleranceText +
            ", 0, 0, 0, &e), which(f < 1e-8, e, -1)";
        void *run = nullptr;
        double unused = 0;
        if (kernel.compile(driver, &run) != TM_OK) return 1;
        const double formulaEvals = kernel.eval(run, &unused);
        const long nativeEvals = native_run(a.nlopt);
        if (formulaEvals <= 0 || nativeEvals <= 0) {
            std::printf("%-12s failed: %s\n", a.name, kernel.take_run_error().c_str());
            status = 1;
            continue;
        }
        Loop native{[&](long n) {
            for (long i = 0; i < n; ++i) keep(double(native_run(a.nlopt)));
        }};
        Loop formula{[&](long n) {
            for (long i = 0; i < n; ++i) keep(kernel.eval(run, &unused));
        }};
        std::vector<double> ns = ns_per_iteration({native, formula});
        const double perNative = ns[0] / double(nativeEvals);
        const double perFormula = ns[1] / formulaEvals;
        std::printf("%-12s %8.0f %10.1f %10.1f %8.2f\n", a.name, formulaEvals, perNative,
                    perFormula, perFormula / perNative);
        logSum += std::log(perFormula / perNative);
        ++rows;
        kernel.remove(run);
    }
    if (rows)
        std::printf("%-12s %8s %10s %10s %8.2f\n", "geo. mean", "", "", "",
                    std::exp(logSum / rows));
    kernel.remove(rosenbrock);
    kernel.remove(start);
    opt(kernel.api().library, 0, nullptr);
    data(kernel.api().library, 0, nullptr);
    return status;
}
