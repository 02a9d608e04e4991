#include "tier_bench.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "expressions.h"
#include "timing.h"

namespace bench {
namespace {

// The settings are read when the kernel starts.  kByteCode: neither the
// native tier nor the pre-decoded fast form, only the byte-code interpreter.
enum class Tier { kByteCode, kOff, kAtOnce, kDefault };

void restart(TamrixKernel &kernel, Tier tier) {
    unsetenv("TAMRIX_JIT");
    unsetenv("TAMRIX_JIT_THRESHOLD");
    unsetenv("TAMRIX_FAST_FORM");
    if (tier == Tier::kOff || tier == Tier::kByteCode) setenv("TAMRIX_JIT", "0", 1);
    if (tier == Tier::kByteCode) setenv("TAMRIX_FAST_FORM", "0", 1);
    if (tier == Tier::kAtOnce) setenv("TAMRIX_JIT_THRESHOLD", "0", 1);
    kernel.api().InitTamrix();
}

std::string with_parameters(const char *text) { return std::string("(a,b,c)=") + text; }

// RealCom of one formula and its first RealCal, deleted untimed.
double compile_and_first_eval_ns(TamrixKernel &kernel, const std::string &source) {
    std::vector<void *> made;
    Loop loop{[&](long n) {
                  double args[3] = {0.7, 0.75, 0.4};
                  for (long i = 0; i < n; ++i) {
                      void *h = nullptr;
                      if (kernel.compile(source, &h) != TM_OK) continue;
                      made.push_back(h);
                      keep(kernel.eval(h, args));
                  }
              },
              [&] {
                  for (auto h = made.rbegin(); h != made.rend(); ++h) kernel.remove(*h);
                  made.clear();
              }};
    return ns_per_iteration({loop})[0];
}

void time_first_evaluation(TamrixKernel &kernel) {
    std::printf("\nCompile and first evaluation, us (native: the tier compiles at the first "
                "evaluation)\n");
    std::printf("%-42s %11s %8s %10s\n", "expression", "interpreted", "native", "difference");
    std::vector<double> off, on;
    restart(kernel, Tier::kOff);
    for (const Expression &e : expressions())
        off.push_back(compile_and_first_eval_ns(kernel, with_parameters(e.text)));
    restart(kernel, Tier::kAtOnce);
    for (const Expression &e : expressions())
        on.push_back(compile_and_first_eval_ns(kernel, with_parameters(e.text)));
    for (size_t i = 0; i < off.size(); ++i)
        std::printf("%-42s %11.2f %8.2f %10.2f\n", expressions()[i].text, off[i] / 1e3,
                    on[i] / 1e3, (on[i] - off[i]) / 1e3);
}

// A program that calls a built-in over the formula `f`, run through RealCal.
struct Workload {
    const char *title;
    const char *formula; // filed before the run
    const char *program;
};

const Workload kWorkloads[] = {
    {"SimpIntegrate, polynomial", "f(x)=((x-1.5)*x+0.25)*x*x-2*x+1",
     "SimpIntegrate(0, 2, 1e-13, \"f\")"},
    {"SimpIntegrate, exp(-x*x)*sin(x)", "f(x)=exp(-x*x)*sin(x)",
     "SimpIntegrate(0, 2, 1e-13, \"f\")"},
    {"sum over a 1000x1000 grid", "f(x,y)=x*y+x-y*0.5+1", "sum(\"f\", 0, 1, 0.001, 0, 1, 0.001)"},
    {"sum, 200x200, a long polynomial", "f(a,b)=a*a*a*a+b*b*b+a*a+1.5*a-2.5*b+3.5*a*b-4.5",
     "sum(\"f\", 0, 1, 0.005, 0, 1, 0.005)"},
};

bool time_workload(TamrixKernel &kernel, const Workload &w, Tier tier, double *ns,
                   double *value) {
    restart(kernel, tier);
    void *f = nullptr, *program = nullptr;
    if (kernel.compile(w.formula, &f) != TM_OK ||
        kernel.compile(w.program, &program) != TM_OK) {
        std::printf("Tamrix: %s does not compile\n", w.title);
        return false;
    }
    double unused = 0;
    Loop loop{[&](long n) {
        for (long i = 0; i < n; ++i) *value = kernel.eval(program, &unused);
    }};
    *ns = ns_per_iteration({loop})[0];
    std::string error = kernel.take_run_error();
    if (!error.empty()) std::printf("Tamrix: %s: %s\n", w.title, error.c_str());
    kernel.remove(program);
    kernel.remove(f);
    return error.empty();
}

bool time_workloads(TamrixKernel &kernel) {
    std::printf("\nBuilt-ins over a formula, ms per run (byte code: TAMRIX_FAST_FORM=0 "
                "TAMRIX_JIT=0; fast form: TAMRIX_JIT=0)\n");
    std::printf("%-36s %9s %9s %8s %9s %9s\n", "workload", "byte code", "fast form", "native",
                "/byte code", "/fast form");
    bool sound = true;
    for (const Workload &w : kWorkloads) {
        double ns[3] = {}, values[3] = {};
        const Tier tiers[3] = {Tier::kByteCode, Tier::kOff, Tier::kDefault};
        for (int i = 0; i < 3; ++i)
            sound = time_workload(kernel, w, tiers[i], &ns[i], &values[i]) && sound;
        const bool same = values[0] == values[2] && values[1] == values[2];
        std::printf("%-36s %9.3f %9.3f %8.3f %9.2f %9.2f%s\n", w.title, ns[0] / 1e6, ns[1] / 1e6,
                    ns[2] / 1e6, ns[0] / ns[2], ns[1] / ns[2], same ? "" : "  results differ");
        sound = sound && same;
    }
    return sound;
}

}  // namespace

bool time_tier(TamrixKernel &kernel) {
    time_first_evaluation(kernel);
    const bool sound = time_workloads(kernel);
    restart(kernel, Tier::kDefault);
    return sound;
}

}  // namespace bench
