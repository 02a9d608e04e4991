// Soak test: many compile/evaluate/delete cycles of random valid formulas in
// one process.  Each cycle compiles a callee and a caller in two modules
// (often of two number types), checks the caller's value against the
// generator's own evaluation, and deletes both; some cycles delete the
// callee first (the caller must then refuse to run), some also compile a
// damaged copy of the caller (any status, no crash, nothing kept).
//
// After a warm-up, the kernel's tables must not grow at all and the resident
// memory by no more than kResidentGrowthLimit.
//
// Usage: tamrix_soak [cycles]; the cycle count also comes from
// TAMRIX_SOAK_CYCLES (default 1,000,000), the seed from TAMRIX_SOAK_SEED.
#include <chrono>
#include <cstdint>
#include <ctime>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "formula_gen.h"
#include "kernel/address_table.h"
#include "memory_probe.h"
#include "tamrix/tamrix.h"

namespace soak {
namespace {

constexpr int64_t kDefaultCycles = 1000000;
constexpr uint64_t kDefaultSeed = 20240611;
// Resident memory may grow this much after the warm-up: the allocator's
// own bookkeeping settles slowly; a leak of even a few bytes per cycle
// exceeds it long before a million cycles.
constexpr int64_t kResidentGrowthLimit = int64_t(4) << 20;
// Address-table indices are recycled once 64 are waiting.
constexpr uint32_t kAddressSpanSlack = 128;
// The generator's sources stay below 4000 characters; the work buffers for
// those need about 210 KiB.
constexpr int64_t kWorkBufferLimit = int64_t(1) << 20;

#if defined(__SANITIZE_ADDRESS__)
// A sanitizer keeps freed memory in quarantine and every allocation stack it
// has seen, so resident memory says nothing there; its leak check at exit
// takes the place of the resident-memory bound.
constexpr bool kResidentMemoryMeaningful = false;
#else
constexpr bool kResidentMemoryMeaningful = true;
#endif
constexpr int kMaxReports = 10;

int64_t number_from(const char *text, int64_t fallback) {
    if (!text || !*text) return fallback;
    char *end = nullptr;
    long long v = std::strtoll(text, &end, 10);
    return (*end == 0 && v > 0) ? v : fallback;
}

std::string utf8(const std::u16string &s) {
    std::string out;
    for (char16_t c : s) out += c < 128 ? char(c) : '?';
    return out;
}

struct Compiled {
    int status = -100;
    void *handle = nullptr;
    void *data = nullptr;
    int err_begin = 0, err_end = 0;
};

Compiled compile(int type, const std::u16string &src, int module) {
    Compiled c;
    int params = 0;
    const char16_t *s = src.c_str();
    switch (type) {
    case 1:
        c.status = IntCom(s, module, &c.handle, &params, reinterpret_cast<int64_t **>(&c.data),
                          &c.err_begin, &c.err_end);
        break;
    case 2:
        c.status = RealCom(s, module, &c.handle, &params, reinterpret_cast<double **>(&c.data),
                           &c.err_begin, &c.err_end);
        break;
    default:
        c.status = ComplexCom(s, module, &c.handle, &params,
                              reinterpret_cast<TmComplex **>(&c.data), &c.err_begin, &c.err_end);
    }
    return c;
}

Num evaluate(int type, const Compiled &c) {
    switch (type) {
    case 1: return {IntCal(c.handle, static_cast<int64_t *>(c.data)), 0};
    case 2: {
        // Every expected value is a whole number: anything else shows up as
        // a nonzero imaginary part.
        const double r = RealCal(c.handle, static_cast<double *>(c.data));
        const bool whole = r > -9e15 && r < 9e15 && r == double(int64_t(r));
        return {whole ? int64_t(r) : 0, whole ? 0 : 1};
    }
    default: {
        const TmComplex r = ComplexCal(c.handle, static_cast<TmComplex *>(c.data));
        return {int64_t(r.re), int64_t(r.im)};
    }
    }
}

int take_run_error() {
    int type = 0;
    GetRunErr(&type, nullptr, nullptr, nullptr, nullptr);
    return type;
}

class Soak {
  public:
    explicit Soak(uint64_t seed) : gen_(seed, constants_) {}

    bool register_constants() {
        for (int k = 0; k < 3; ++k) {
            const int64_t i = 3 - 4 * k;
            const double r = double(2 * k + 1);
            const TmComplex z = {double(k - 1), double(2 - k)};
            constants_.values[1][k] = {i, 0};
            constants_.values[2][k] = {int64_t(r), 0};
            constants_.values[3][k] = {int64_t(z.re), int64_t(z.im)};
            if (SetConst(7, constants_.name(1, k).c_str(), &i) != 0) return false;
            if (SetConst(8, constants_.name(2, k).c_str(), &r) != 0) return false;
            if (SetConst(9, constants_.name(3, k).c_str(), &z) != 0) return false;
        }
        return true;
    }

    void cycle(int64_t n) {
        Pair pair;
        gen_.make_pair(pair);
        const Formula &callee = pair.callee, &caller = pair.caller;
        const std::u16string callee_src = callee.source(constants_);
        const std::u16string caller_src = caller.source(constants_);
        Compiled f = compile(callee.type, callee_src, callee.module);
        if (f.status != 0) return fail("callee does not compile", callee_src, f);
        Compiled g = compile(caller.type, caller_src, caller.module);
        if (g.status != 0) {
            DeleteFor(callee.type, f.handle);
            return fail("caller does not compile", caller_src, g);
        }
        compiles_ += 2;

        switch (n % 8) {
        case 6:  // the callee goes first: the caller is invalidated
            DeleteFor(callee.type, f.handle);
            check_refusal(caller, g, caller_src);
            DeleteFor(caller.type, g.handle);
            return;
        case 7:
            compile_damaged(caller, caller_src);
            break;
        default: break;
        }
        check_value(caller, g, caller_src, callee_src);
        if (n % 2) {
            DeleteFor(caller.type, g.handle);
            DeleteFor(callee.type, f.handle);
        } else {
            DeleteFor(callee.type, f.handle);
            DeleteFor(caller.type, g.handle);
        }
    }

    int64_t failures() const { return failures_; }
    int64_t compiles() const { return compiles_; }
    int64_t evaluations() const { return evaluations_; }

  private:
    void fail(const char *what, const std::u16string &src, const Compiled &c) {
        if (++failures_ > kMaxReports) return;
        std::printf("FAIL %s: status %d at %d..%d\n  %s\n", what, c.status, c.err_begin,
                    c.err_end, utf8(src).c_str());
    }

    void check_value(const Formula &caller, const Compiled &g, const std::u16string &caller_src,
                     const std::u16string &callee_src) {
        const Num expected = caller.evaluate({});
        const Num got = evaluate(caller.type, g);
        ++evaluations_;
        const int error = take_run_error();
        if (got == expected && error == 0) return;
        if (++failures_ > kMaxReports) return;
        std::printf("FAIL value: expected %lld%+lldi, got %lld%+lldi, run error %d\n"
                    "  callee: %s\n  caller: %s\n",
                    (long long)expected.re, (long long)expected.im, (long long)got.re,
                    (long long)got.im, error, utf8(callee_src).c_str(), utf8(caller_src).c_str());
    }

    void check_refusal(const Formula &caller, const Compiled &g, const std::u16string &src) {
        const Num got = evaluate(caller.type, g);
        ++evaluations_;
        const int error = take_run_error();
        // A caller whose code calls the deleted formula anywhere is
        // invalidated as a whole; one without a call runs as before.
        if (!caller.calls_out()) {
            if (error == 0 && got == caller.evaluate({})) return;
        } else if (error != 0 && got == Num{}) {
            return;
        }
        if (++failures_ > kMaxReports) return;
        std::printf("FAIL invalidated caller ran: got %lld, run error %d\n  %s\n",
                    (long long)got.re, error, utf8(src).c_str());
    }

    // A prefix of the source, or the source with one character replaced by
    // punctuation: compiled for its side effects only (never run: a damaged
    // loop may not end).
    void compile_damaged(const Formula &caller, std::u16string src) {
        static const char16_t kPunctuation[] = u"()+*,=:";
        const size_t at = size_t(gen_.rng()() % src.size());
        if (gen_.rng()() % 2)
            src.resize(at);
        else
            src[at] = kPunctuation[gen_.rng()() % 7];
        Compiled d = compile(caller.type, src, caller.module);
        ++compiles_;
        if (d.status == 0) DeleteFor(caller.type, d.handle);
        take_run_error();  // folding may have raised one
    }

    ConstantTable constants_{};
    Generator gen_;
    int64_t failures_ = 0, compiles_ = 0, evaluations_ = 0;
};

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Growth after the warm-up, each figure against its bound.
int64_t check_growth(const MemoryFigures &base, const MemoryFigures &end) {
    int64_t problems = 0;
    auto report = [&](bool ok, const char *what) {
        if (ok) return;
        ++problems;
        std::printf("FAIL growth: %s\n", what);
    };
    report(end.live_addresses == base.live_addresses, "live address-table entries");
    report(end.address_span <= base.address_span + kAddressSpanSlack, "address-table span");
    report(end.name_nodes == base.name_nodes, "name-tree nodes");
    report(end.work_buffer_bytes <= kWorkBufferLimit, "work buffers");
    if (kResidentMemoryMeaningful)
        report(end.resident_bytes - base.resident_bytes <= kResidentGrowthLimit,
               "resident memory");
    return problems;
}

}  // namespace
}  // namespace soak

#if defined(__SANITIZE_ADDRESS__)
// Nearly every allocation of the recursive generator has a call stack of
// its own, and the sanitizer stores each one for good: over a long run that
// takes gigabytes.  Four frames still name the allocation site.
extern "C" __attribute__((visibility("default"))) const char *__asan_default_options() {
    return "malloc_context_size=4";
}
#endif

int main(int argc, char **argv) {
    using namespace soak;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // progress shows as it happens
    const int64_t cycles =
        number_from(argc > 1 ? argv[1] : nullptr,
                    number_from(std::getenv("TAMRIX_SOAK_CYCLES"), kDefaultCycles));
    const uint64_t seed = uint64_t(number_from(std::getenv("TAMRIX_SOAK_SEED"), kDefaultSeed));
    const int64_t warmup = std::min<int64_t>(cycles, std::max<int64_t>(cycles / 10, 10000));
    std::printf("soak: %lld cycles, seed %llu, warm-up %lld\n", (long long)cycles,
                (unsigned long long)seed, (long long)warmup);

    if (!InitTamrix()) {
        std::printf("FAIL InitTamrix\n");
        return 1;
    }
    Soak soak(seed);
    if (!soak.register_constants()) {
        std::printf("FAIL constants\n");
        return 1;
    }
    const MemoryFigures start = measure();
    std::printf("start:   %s\n", start.describe().c_str());

    const auto t0 = std::chrono::steady_clock::now();
    const std::clock_t cpu0 = std::clock();
    MemoryFigures base;
    double warm_seconds = 0;
    for (int64_t n = 0; n < cycles; ++n) {
        soak.cycle(n);
        if (n + 1 == warmup) {
            base = measure();
            warm_seconds = seconds_since(t0);
            std::printf("warm-up: %s\n", base.describe().c_str());
        }
        if ((n + 1) % std::max<int64_t>(cycles / 10, 1) == 0)
            std::printf("  %lld cycles, %.1f s, %s\n", (long long)(n + 1), seconds_since(t0),
                        measure().describe().c_str());
    }
    const double total = seconds_since(t0);
    const MemoryFigures end = measure();
    std::printf("end:     %s\n", end.describe().c_str());
    std::printf("growth after warm-up: resident %+lld KiB, live addresses %+lld, "
                "name-tree nodes %+lld\n",
                (long long)(end.resident_bytes - base.resident_bytes) / 1024,
                (long long)end.live_addresses - (long long)base.live_addresses,
                (long long)end.name_nodes - (long long)base.name_nodes);
    const double cpu = double(std::clock() - cpu0) / CLOCKS_PER_SEC;
    std::printf("%lld cycles (%lld compiles, %lld evaluations) in %.1f s (warm-up %.1f s), "
                "%.1f s of processor time, %.1f us per cycle\n",
                (long long)cycles, (long long)soak.compiles(), (long long)soak.evaluations(), total,
                warm_seconds, cpu, cpu * 1e6 / double(cycles));

    int64_t problems = soak.failures() + check_growth(base, end);
    FreeTamrix();
    // (The name tree is not asked again: asking would create a new one.)
    if (const uint32_t left = tmx::address_live_count(); left != 0) {
        std::printf("FAIL FreeTamrix left %u address-table entries\n", left);
        ++problems;
    }
    std::printf("%s: %lld problems\n", problems ? "FAILED" : "PASSED", (long long)problems);
    return problems ? 1 : 0;
}
