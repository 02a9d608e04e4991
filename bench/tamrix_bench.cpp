// tamrix_bench: evaluation of ten expressions through RealCal, through
// muParser and as native C++ in one run, ns per evaluation and the ratio to
// native for each; then compile time per formula against muParser's, and a
// recursive fib(25) against native C++ and Lua 5.4; then integer and complex
// formulas against native C++; last the native-code tier against the
// interpreter (compile plus first evaluation, SimpIntegrate and sum).
//
// Usage: tamrix_bench           the full run (well under a minute)
//        tamrix_bench --check   only checks that the evaluators agree
// Exit status: 0 done, 1 the evaluators disagree or an expression does not
// compile, 2 the kernel cannot be loaded.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "expressions.h"
#include "muparser_peer.h"
#include "tamrix_peer.h"
#include "timing.h"
#include "tier_bench.h"
#include "typed_bench.h"

namespace bench {
namespace {

// Both sides of a benchmark case, compiled once.
struct Case {
    const Expression *expression;
    void *tamrix = nullptr;  // null when the kernel refused the formula
    std::unique_ptr<MuParserFormula> muparser;
};

std::string with_parameters(const char *text) { return std::string("(a,b,c)=") + text; }

bool close_enough(double got, double want) {
    return std::fabs(got - want) <= 1e-12 * std::fmax(1.0, std::fabs(want));
}

bool prepare(TamrixKernel &kernel, std::vector<Case> &cases) {
    bool all = true;
    for (const Expression &e : expressions()) {
        Case c{&e, nullptr, std::make_unique<MuParserFormula>(e.text)};
        std::string where;
        int status = kernel.compile(with_parameters(e.text), &c.tamrix, &where);
        if (status != TM_OK) {
            std::printf("Tamrix: %s: compile status %d %s\n", e.text, status, where.c_str());
            c.tamrix = nullptr;
            all = false;
        }
        if (!c.muparser->error().empty()) {
            std::printf("muParser: %s: %s\n", e.text, c.muparser->error().c_str());
            all = false;
        }
        cases.push_back(std::move(c));
    }
    return all;
}

// Each evaluator against native C++ over the whole input cycle.
bool agree(TamrixKernel &kernel, std::vector<Case> &cases, const Inputs &in) {
    bool all = true;
    for (Case &c : cases) {
        for (double a : in.a) {
            double want = c.expression->native(a, in.b, in.c);
            double args[3] = {a, in.b, in.c};
            double tamrix = c.tamrix ? kernel.eval(c.tamrix, args) : want;
            std::string run_error = kernel.take_run_error();
            c.muparser->set(a, in.b, in.c);
            double muparser = c.muparser->error().empty() ? c.muparser->eval() : want;
            if (close_enough(tamrix, want) && close_enough(muparser, want) && run_error.empty())
                continue;
            std::printf("%s at a=%.17g: native %.17g, Tamrix %.17g %s, muParser %.17g\n",
                        c.expression->text, a, want, tamrix, run_error.c_str(), muparser);
            all = false;
            break;
        }
    }
    return all;
}

double geomean(const std::vector<double> &values) {
    if (values.empty()) return NAN;
    double log_sum = 0;
    for (double v : values) log_sum += std::log(v);
    return std::exp(log_sum / double(values.size()));
}

void time_evaluation(TamrixKernel &kernel, std::vector<Case> &cases, const Inputs &in) {
    std::printf("\nEvaluation, ns per call (median of timed runs; a changes every call)\n");
    std::printf("(native: the C++ inlined in the loop; called: the same C++ as a function called\n"
                " through a pointer with its arguments in an array, as RealCal is called)\n");
    std::printf("%-42s %8s %8s %8s %9s %14s %16s %14s %16s\n", "expression", "native", "called",
                "Tamrix", "muParser", "Tamrix/native", "muParser/native", "Tamrix/called",
                "muParser/called");
    std::vector<double> tamrix_ratios, muparser_ratios, tamrix_called, muparser_called;
    int at_most_muparser = 0;
    for (Case &c : cases) {
        if (!c.tamrix || !c.muparser->error().empty()) continue;
        Loop native{[&](long n) { c.expression->native_loop(in, n); }};
        Loop called{[&](long n) {
            NativeCalled f = c.expression->called;
            asm volatile("" : "+r"(f));  // no inlining through a known pointer
            double args[3] = {0, in.b, in.c};
            for (long i = 0; i < n; ++i) {
                args[0] = in.a[i & (Inputs::kCount - 1)];
                keep(f(args));
            }
        }};
        Loop tamrix{[&](long n) {
            double args[3] = {0, in.b, in.c};
            for (long i = 0; i < n; ++i) {
                args[0] = in.a[i & (Inputs::kCount - 1)];
                keep(kernel.eval(c.tamrix, args));
            }
        }};
        Loop muparser{[&](long n) {
            c.muparser->set(0, in.b, in.c);
            for (long i = 0; i < n; ++i) {
                c.muparser->set_a(in.a[i & (Inputs::kCount - 1)]);
                keep(c.muparser->eval());
            }
        }};
        std::vector<double> ns = ns_per_iteration({native, called, tamrix, muparser});
        double tamrix_ratio = ns[2] / ns[0], muparser_ratio = ns[3] / ns[0];
        tamrix_ratios.push_back(tamrix_ratio);
        muparser_ratios.push_back(muparser_ratio);
        tamrix_called.push_back(ns[2] / ns[1]);
        muparser_called.push_back(ns[3] / ns[1]);
        if (tamrix_ratio <= muparser_ratio) ++at_most_muparser;
        std::printf("%-42s %8.2f %8.2f %8.2f %9.2f %14.2f %16.2f %14.2f %16.2f\n",
                    c.expression->text, ns[0], ns[1], ns[2], ns[3], tamrix_ratio, muparser_ratio,
                    ns[2] / ns[1], ns[3] / ns[1]);
    }
    std::printf("%-42s %8s %8s %8s %9s %14.2f %16.2f %14.2f %16.2f\n", "geomean", "", "", "", "",
                geomean(tamrix_ratios), geomean(muparser_ratios), geomean(tamrix_called),
                geomean(muparser_called));
    std::printf("Tamrix/native at most muParser/native on %d of %zu (target: at least 8)\n",
                at_most_muparser, cases.size());
}

void time_compiles(TamrixKernel &kernel) {
    std::printf("\nCompile, us per formula (Tamrix: RealCom of \"(a,b,c)=...\"; "
                "muParser: SetExpr and the first Eval, which parses)\n");
    std::printf("%-42s %8s %9s %16s\n", "expression", "Tamrix", "muParser", "Tamrix/muParser");
    std::vector<double> ratios;
    MuParserCompiler muparser_compiler;
    for (const Expression &e : expressions()) {
        std::string tamrix_source = with_parameters(e.text), muparser_source = e.text;
        std::vector<void *> made;
        Loop tamrix{[&](long n) { kernel.compile_loop(tamrix_source, n, made); },
                    [&] {
                        // Newest first: each one is then at the front of its list.
                        for (auto h = made.rbegin(); h != made.rend(); ++h) kernel.remove(*h);
                        made.clear();
                    }};
        Loop muparser{[&](long n) { muparser_compiler.compile_loop(muparser_source, n); }};
        std::vector<double> ns = ns_per_iteration({tamrix, muparser});
        ratios.push_back(ns[0] / ns[1]);
        std::printf("%-42s %8.2f %9.2f %16.2f\n", e.text, ns[0] / 1e3, ns[1] / 1e3, ns[0] / ns[1]);
    }
    std::printf("%-42s %8s %9s %16.2f\n", "geomean", "", "", geomean(ratios));
}

__attribute__((noinline)) double native_fib(double n) {
    return n < 2 ? n : native_fib(n - 1) + native_fib(n - 2);
}

// Lua 5.4 runs the same recursion in its own process; its median of seven
// runs in ms, or a negative value when Lua is not there.
double lua_fib_ms() {
    const char *command =
        "lua5.4 -e 'local function fib(n) if n < 2 then return n end "
        "return fib(n-1) + fib(n-2) end "
        "local t = {} for r = 1, 7 do local s = os.clock() fib(25) t[r] = os.clock() - s end "
        "table.sort(t) print(t[4] * 1000)' 2>/dev/null";
    FILE *lua = popen(command, "r");
    if (!lua) return -1;
    double ms = -1;
    if (std::fscanf(lua, "%lf", &ms) != 1) ms = -1;
    pclose(lua);
    return ms;
}

// Recursion needs the shared stack, so its size is set once first.
bool time_fib(TamrixKernel &kernel) {
    std::printf("\nRecursive fib(25), ms per call\n");
    double limit = 0;
    void *fib = nullptr;
    if (!kernel.run_once("SetRealStackMax(100000)", &limit) ||
        kernel.compile("fib(n)=which(n<2, n, fib(n-1)+fib(n-2))", &fib) != TM_OK) {
        std::printf("Tamrix: fib does not compile or the stack cannot be set\n");
        return false;
    }
    double n = 25, tamrix_value = 0;
    volatile double native_n = 25;
    Loop native{[&](long k) {
        for (long i = 0; i < k; ++i) keep(native_fib(native_n));
    }};
    Loop tamrix{[&](long k) {
        for (long i = 0; i < k; ++i) tamrix_value = kernel.eval(fib, &n);
    }};
    std::vector<double> ns = ns_per_iteration({native, tamrix});
    std::string run_error = kernel.take_run_error();
    double lua_ms = lua_fib_ms();
    std::printf("native %.3f ms, Tamrix %.3f ms (%.1fx native, result %.17g%s%s)", ns[0] / 1e6,
                ns[1] / 1e6, ns[1] / ns[0], tamrix_value, run_error.empty() ? "" : ", ",
                run_error.c_str());
    if (lua_ms >= 0) std::printf(", Lua 5.4 %.3f ms", lua_ms);
    std::printf("\n");
    kernel.remove(fib);
    return run_error.empty() && tamrix_value == 75025;
}

}  // namespace
}  // namespace bench

int main(int argc, char **argv) {
    using namespace bench;
    bool check_only = argc > 1 && std::strcmp(argv[1], "--check") == 0;
    TamrixKernel kernel;
    if (!kernel.ready()) {
        std::fprintf(stderr, "tamrix_bench: %s\n", kernel.error().c_str());
        return 2;
    }
    static const Inputs inputs;
    std::vector<Case> cases;
    bool sound = prepare(kernel, cases);
    sound = agree(kernel, cases, inputs) && sound;
    if (check_only) {
        std::printf("evaluators %s\n", sound ? "agree" : "disagree");
        return sound ? 0 : 1;
    }
    time_evaluation(kernel, cases, inputs);
    time_compiles(kernel);
    sound = time_fib(kernel) && sound;
    sound = time_typed(kernel) && sound;
    for (Case &c : cases)
        if (c.tamrix) kernel.remove(c.tamrix);
    // Restarts the kernel for each setting of the native-code tier.
    sound = time_tier(kernel) && sound;
    return sound ? 0 : 1;
}
