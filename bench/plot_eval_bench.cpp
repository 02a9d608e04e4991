// tamrix_plot_eval_bench: the plain side of the plotting benchmark.  Times
// RealCal on one two-parameter formula over the sample grid a surface plot
// of n x m steps walks (the same grid points, row by row), and prints the
// nanoseconds per evaluation.  bench/plot.sh sets it against the time per
// evaluation inside a plot.
//
// Usage: tamrix_plot_eval_bench FORMULA N M X1 X2 Y1 Y2
//   e.g. tamrix_plot_eval_bench "wave(x,y)=sin(x)*cos(y)" 200 200 -3 3 -3 3
// Exit status: 0 done, 1 bad arguments or the formula does not compile,
// 2 the kernel cannot be loaded.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tamrix_peer.h"
#include "timing.h"

namespace {

// The grid coordinate as the plot computes it: the last point exactly at hi.
double at(double lo, double hi, int i, int steps) {
    return i == steps ? hi : lo + i * (hi - lo) / steps;
}

bool read_number(const char *text, double &value) {
    char *end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char **argv) {
    double numbers[6];
    bool ok = argc == 8;
    for (int i = 0; ok && i < 6; ++i) ok = read_number(argv[2 + i], numbers[i]);
    const int n = ok ? int(numbers[0]) : 0, m = ok ? int(numbers[1]) : 0;
    if (!ok || n < 1 || m < 1 || n > 10000 || m > 10000) {
        std::fprintf(stderr, "usage: tamrix_plot_eval_bench FORMULA N M X1 X2 Y1 Y2\n");
        return 1;
    }
    bench::TamrixKernel kernel;
    if (!kernel.ready()) {
        std::fprintf(stderr, "tamrix_plot_eval_bench: %s\n", kernel.error().c_str());
        return 2;
    }
    void *formula = nullptr;
    std::string where;
    if (kernel.compile(argv[1], &formula, &where) != TM_OK) {
        std::fprintf(stderr, "tamrix_plot_eval_bench: the formula does not compile %s\n",
                     where.c_str());
        return 1;
    }
    const double x1 = numbers[2], x2 = numbers[3], y1 = numbers[4], y2 = numbers[5];
    // One iteration is one whole grid, as one frame of the plot samples it.
    bench::Loop grid{[&](long iterations) {
        for (long k = 0; k < iterations; ++k)
            for (int j = 0; j <= m; ++j)
                for (int i = 0; i <= n; ++i) {
                    double args[2] = {at(x1, x2, i, n), at(y1, y2, j, m)};
                    bench::keep(kernel.eval(formula, args));
                }
    }};
    const double per_grid = bench::ns_per_iteration({grid})[0];
    std::printf("%.1f\n", per_grid / (double(n + 1) * double(m + 1)));
    kernel.remove(formula);
    return 0;
}
