#include "typed_bench.h"

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/text.h"
#include "timing.h"

namespace bench {
namespace {

constexpr int kCount = 1024; // inputs cycled through; a power of two
constexpr int kModule = 1;

using Complex = std::complex<double>;

// Integer cases over a, b, c; wrapping arithmetic done unsigned, as the
// kernel does it.
struct IntCase {
    const char *text;
    int64_t (*native)(int64_t a, int64_t b, int64_t c);
};
struct ComplexCase {
    const char *text;
    Complex (*native)(Complex z, Complex c);
};

inline int64_t wrap_add(int64_t a, int64_t b) { return int64_t(uint64_t(a) + uint64_t(b)); }
inline int64_t wrap_mul(int64_t a, int64_t b) { return int64_t(uint64_t(a) * uint64_t(b)); }

const IntCase kIntCases[] = {
    {"a*b+c", [](int64_t a, int64_t b, int64_t c) { return wrap_add(wrap_mul(a, b), c); }},
    {"a%7+(a/3)", [](int64_t a, int64_t, int64_t) { return wrap_add(a % 7, a / 3); }},
    {"shl(a,3)+xor(a,b)",
     [](int64_t a, int64_t b, int64_t) { return wrap_add(int64_t(uint64_t(a) << 3), a ^ b); }},
};

const ComplexCase kComplexCases[] = {
    {"z*z+c", [](Complex z, Complex c) { return z * z + c; }},
    {"exp(z)*con(z)", [](Complex z, Complex) { return std::exp(z) * std::conj(z); }},
    {"z^2/(z+1)", [](Complex z, Complex) { return std::pow(z, 2.0) / (z + 1.0); }},
};

inline void keep(int64_t v) { asm volatile("" : : "r"(v)); }
inline void forget(int64_t &v) { asm volatile("" : "+r"(v)); }
inline void keep(Complex v) {
    double re = v.real(), im = v.imag();
    asm volatile("" : : "x"(re), "x"(im));
}
inline void forget(Complex &v) {
    double re = v.real(), im = v.imag();
    asm volatile("" : "+x"(re), "+x"(im));
    v = {re, im};
}

bool near(Complex got, Complex want) {
    return std::abs(got - want) <= 1e-12 * std::fmax(1.0, std::abs(want));
}

void print_row(const char *text, double native, double tamrix) {
    std::printf("%-42s %8.2f %8.2f %14.2f\n", text, native, tamrix, tamrix / native);
}

bool time_integer(const host::KernelApi &api, int64_t (&a)[kCount]) {
    bool sound = true;
    const int64_t b = 12345, c = -77;
    for (const IntCase &k : kIntCases) {
        std::u16string src = platform::from_utf8(std::string("(a,b,c)=") + k.text);
        void *h = nullptr;
        int params = 0, first = 0, last = 0;
        int64_t *data = nullptr;
        if (api.IntCom(src.c_str(), kModule, &h, &params, &data, &first, &last) != TM_OK) {
            std::printf("Tamrix: %s does not compile (at %d-%d)\n", k.text, first, last);
            sound = false;
            continue;
        }
        for (int64_t x : a) {
            int64_t args[3] = {x, b, c};
            if (api.IntCal(h, args) != k.native(x, b, c)) {
                std::printf("Tamrix: %s differs from native at a=%lld\n", k.text, (long long)x);
                sound = false;
                break;
            }
        }
        Loop native{[&](long n) {
            int64_t bb = b, cc = c;
            for (long i = 0; i < n; ++i) {
                int64_t x = a[i & (kCount - 1)];
                forget(x);
                forget(bb);
                forget(cc);
                keep(k.native(x, bb, cc));
            }
        }};
        Loop tamrix{[&](long n) {
            int64_t args[3] = {0, b, c};
            for (long i = 0; i < n; ++i) {
                args[0] = a[i & (kCount - 1)];
                keep(api.IntCal(h, args));
            }
        }};
        std::vector<double> ns = ns_per_iteration({native, tamrix});
        print_row(k.text, ns[0], ns[1]);
        api.DeleteFor(TM_INTEGER, h);
    }
    return sound;
}

bool time_complex(const host::KernelApi &api, Complex (&z)[kCount]) {
    bool sound = true;
    const Complex c{-0.4, 0.6};
    for (const ComplexCase &k : kComplexCases) {
        std::u16string src = platform::from_utf8(std::string("(z,c)=") + k.text);
        void *h = nullptr;
        int params = 0, first = 0, last = 0;
        TmComplex *data = nullptr;
        if (api.ComplexCom(src.c_str(), kModule, &h, &params, &data, &first, &last) != TM_OK) {
            std::printf("Tamrix: %s does not compile (at %d-%d)\n", k.text, first, last);
            sound = false;
            continue;
        }
        for (Complex x : z) {
            TmComplex args[2] = {{x.real(), x.imag()}, {c.real(), c.imag()}};
            TmComplex got = api.ComplexCal(h, args);
            if (!near({got.re, got.im}, k.native(x, c))) {
                std::printf("Tamrix: %s differs from native at z=%g%+gi\n", k.text, x.real(),
                            x.imag());
                sound = false;
                break;
            }
        }
        Loop native{[&](long n) {
            Complex cc = c;
            for (long i = 0; i < n; ++i) {
                Complex x = z[i & (kCount - 1)];
                forget(x);
                forget(cc);
                keep(k.native(x, cc));
            }
        }};
        Loop tamrix{[&](long n) {
            TmComplex args[2] = {{0, 0}, {c.real(), c.imag()}};
            for (long i = 0; i < n; ++i) {
                const Complex &x = z[i & (kCount - 1)];
                args[0] = {x.real(), x.imag()};
                TmComplex r = api.ComplexCal(h, args);
                keep(Complex{r.re, r.im});
            }
        }};
        std::vector<double> ns = ns_per_iteration({native, tamrix});
        print_row(k.text, ns[0], ns[1]);
        api.DeleteFor(TM_COMPLEX, h);
    }
    return sound;
}

}  // namespace

bool time_typed(TamrixKernel &kernel) {
    static int64_t a[kCount];
    static Complex z[kCount];
    for (int i = 0; i < kCount; ++i) {
        a[i] = int64_t(i) * 7919 - 3000000;
        z[i] = {0.5 + 0.001 * i, -0.25 + 0.0005 * i};
    }
    std::printf("\nInteger and complex formulas, ns per call\n");
    std::printf("%-42s %8s %8s %14s\n", "expression", "native", "Tamrix", "Tamrix/native");
    bool sound = time_integer(kernel.api(), a);
    sound = time_complex(kernel.api(), z) && sound;
    return sound;
}

}  // namespace bench
