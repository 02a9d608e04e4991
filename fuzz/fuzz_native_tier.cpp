// Differential target for the native-code tier: every formula of the input
// that the tier takes is evaluated once by the byte-code interpreter and once
// by its native code, from the same state, and the two must agree bit for
// bit: the result, the arguments (parameters are by reference), the
// variables and statics, the shared cells the formula touches and the
// run-error record.
//
// Input: bytes 0-3 pick the argument values (four bits each from a table of
// the values where floating-point operations differ most: NaN of both signs,
// infinities, signed zeros, the largest, smallest normal and subnormal
// numbers, integers at the 32- and 64-bit limits); then UTF-16 text whose
// zero characters separate up to four real formulas.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "fuzz_input.h"
#include "kernel/address_table.h"
#include "kernel/jit/native.h"
#include "kernel/opcodes.h"
#include "kernel/record.h"
#include "kernel_session.h"

namespace {

constexpr size_t kMaxFormulas = 4;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr double kValues[16] = {
    0.0, -0.0, 1.0, -1.5, kNaN, -kNaN, kInf, -kInf, 1.7976931348623157e308,
    2.2250738585072014e-308, 4.9e-324, -4.9e-324, 9.2233720368547758e18, -2147483648.5,
    0.5, 3.0,
};

// Everything a run may change, captured before and compared after.
struct State {
    double result = 0;
    std::vector<double> args, variables, cells;
    int error_type = 0, error_code = 0, error_formula_type = 0;
    const char16_t *error_name = nullptr;
    void *error_formula = nullptr;
};

// The shared cells a straight-line formula reads or writes.
std::vector<double *> cells_of(const tmx::FormulaRecord *r) {
    std::vector<double *> cells;
    const uint8_t *ip = r->code + r->header[tmx::kCodeStart];
    const uint8_t *end = r->code + r->header[tmx::kCodeLength];
    const int32_t *op = r->header + tmx::kOperandStart;
    // Of the instructions such a formula holds, these take one operand word
    // (a variable, a cell or a count); all others take none.
    for (; ip < end; ++ip) {
        switch (*ip) {
        case tmx::OpPushCommon: case tmx::OpStoreCommon:
        case tmx::OpPreIncCommon: case tmx::OpPreDecCommon:
        case tmx::OpPostIncCommon: case tmx::OpPostDecCommon:
            cells.push_back(static_cast<double *>(tmx::address_at(uint32_t(*op++))));
            break;
        case tmx::OpPushVar: case tmx::OpStoreVar: case tmx::OpDropKeep:
        case tmx::OpPreIncVar: case tmx::OpPreDecVar:
        case tmx::OpPostIncVar: case tmx::OpPostDecVar:
            ++op;
            break;
        default: break;
        }
    }
    return cells;
}

bool same_bits(const std::vector<double> &x, const std::vector<double> &y) {
    return x.size() == y.size() &&
           (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) == 0);
}

class Differential {
  public:
    Differential(tmx::FormulaRecord *r, const uint8_t *picks)
        : r_(r), data_(static_cast<double *>(r->data)), cells_(cells_of(r)) {
        args0_.resize(size_t(r->header[tmx::kLastParam] + 1));
        for (size_t i = 0; i < args0_.size(); ++i)
            args0_[i] = kValues[(picks[i / 2 % 4] >> (4 * (i % 2))) & 15];
        variables0_.assign(data_, data_ + r->header[tmx::kVarCount]);
        for (double *c : cells_) cells0_.push_back(*c);
    }

    // Runs from the captured starting state with `native` (null: the
    // interpreter) and returns everything the run changed.
    State run(tmx::JitEntry native) {
        std::copy(variables0_.begin(), variables0_.end(), data_);
        for (size_t i = 0; i < cells_.size(); ++i) *cells_[i] = cells0_[i];
        tmx::FastCode *fast = r_->fast;
        r_->fast = nullptr;
        r_->jit = native;
        State s;
        s.args = args0_;
        s.result = RealCal(r_, s.args.empty() ? nullptr : s.args.data());
        r_->fast = fast;
        s.variables.assign(data_, data_ + variables0_.size());
        for (double *c : cells_) s.cells.push_back(*c);
        GetRunErr(&s.error_type, &s.error_name, &s.error_code, &s.error_formula_type,
                  &s.error_formula);
        return s;
    }

  private:
    tmx::FormulaRecord *r_;
    double *data_;
    std::vector<double *> cells_;
    std::vector<double> args0_, variables0_, cells0_;
};

void compare(const State &interpreted, const State &native) {
    if (std::bit_cast<uint64_t>(interpreted.result) != std::bit_cast<uint64_t>(native.result))
        fuzz::fail("native result differs from the interpreter's");
    if (!same_bits(interpreted.args, native.args)) fuzz::fail("native arguments differ");
    if (!same_bits(interpreted.variables, native.variables)) fuzz::fail("native variables differ");
    if (!same_bits(interpreted.cells, native.cells)) fuzz::fail("native shared cells differ");
    if (interpreted.error_type != native.error_type || interpreted.error_code != native.error_code ||
        interpreted.error_name != native.error_name ||
        interpreted.error_formula_type != native.error_formula_type ||
        interpreted.error_formula != native.error_formula)
        fuzz::fail("native run-error record differs");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 4) return 0;
    fuzz::KernelSession session;
    if (!session.ready()) fuzz::fail("the kernel did not start");
    const auto sources = fuzz::split_at_zeros(fuzz::utf16_text(data + 4, size - 4), kMaxFormulas);
    for (const std::u16string &source : sources) {
        fuzz::Compiled c = fuzz::compile(2, source, 1);
        // Folding may record a run error; each run starts with none.
        GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
        if (c.status != 0) continue;
        auto *r = static_cast<tmx::FormulaRecord *>(c.handle);
        tmx::JitEntry native = tmx::compile_real_native(r);
        if (!native) continue;  // not one the tier takes
        Differential d(r, data);
        const State interpreted = d.run(nullptr);
        compare(interpreted, d.run(native));
        // The record owns its code from here and releases it when deleted.
        r->jit = native;
    }
    return 0;
}
