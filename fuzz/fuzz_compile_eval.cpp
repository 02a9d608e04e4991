// Compiles up to four formulas of one input and runs them, with a watchdog
// that interrupts runaway loops and small stacks that end deep recursion.
//
// Input: byte 0 and 1 the module number, byte 2 the number types (two bits
// per formula: 1 integer, 2 real, 3 complex, 0 real), byte 3 the parameter
// values (bit 6: the extremes of the type) and the order of deletion (bit 7),
// then UTF-16 text whose zero characters separate the formulas.
// Later formulas may call earlier ones.  After one run of each, the first
// formula is deleted, which invalidates its callers, and the others run
// again before they are deleted in the order byte 3's top bit picks.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_input.h"
#include "kernel_session.h"
#include "watchdog.h"

namespace {

constexpr size_t kMaxFormulas = 4;

int type_of(uint8_t types, size_t index) {
    int bits = (types >> (2 * index)) & 3;
    return bits == 0 ? 2 : bits;
}

fuzz::Watchdog &watchdog() {
    static fuzz::Watchdog dog(std::chrono::milliseconds(5));
    return dog;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 4) return 0;
    fuzz::KernelSession session;
    if (!session.ready()) fuzz::fail("the kernel did not start");
    fuzz::use_small_stacks();
    const int module = fuzz::module_number(data[0], data[1]);
    const uint8_t types = data[2];
    const uint8_t seed = data[3];
    const auto sources = fuzz::split_at_zeros(fuzz::utf16_text(data + 4, size - 4), kMaxFormulas);

    std::vector<fuzz::Compiled> formulas;
    for (size_t i = 0; i < sources.size(); ++i) {
        fuzz::Compiled c = fuzz::compile(type_of(types, i), sources[i], module);
        // Folding a constant expression may record a run error; it would
        // fail every later compile of this input.
        GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
        if (c.status == 0) formulas.push_back(c);
    }
    for (const auto &f : formulas) fuzz::evaluate(f, seed, &watchdog());
    if (formulas.empty()) return 0;

    fuzz::remove(formulas.front(), &watchdog());
    formulas.erase(formulas.begin());
    for (const auto &f : formulas) fuzz::evaluate(f, seed, &watchdog());
    if (seed & 0x80) std::reverse(formulas.begin(), formulas.end());
    for (const auto &f : formulas) fuzz::remove(f, &watchdog());
    return 0;
}
