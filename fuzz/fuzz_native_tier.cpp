// Differential target for the native-code tier: every formula of the input
// that the tier takes is evaluated once by the byte-code interpreter and once
// by its native code, from the same state, and the two must agree bit for
// bit: the result, the arguments (parameters are by reference), the
// variables and statics, the shared cells the formula touches and the
// run-error record.  Formulas may branch, loop and call the formulas before
// them in the same input, and themselves: a recursive formula's nested
// activations then run its nested native code, and the interpreter's.  A
// formula with a batch form (the one the summing built-ins use) also runs as
// a walk over three points with the same arguments, against three
// interpreted calls, and through its line form over three evenly spaced
// points, summed, against the built-ins' arithmetic around interpreted
// calls.
//
// Input: bytes 0-3 pick the argument values (four bits each from a table of
// the values where floating-point operations differ most: NaN of both signs,
// infinities, signed zeros, the largest, smallest normal and subnormal
// numbers, integers at the 32- and 64-bit limits); then UTF-16 text whose
// zero characters separate up to four real formulas.
#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "kernel/address_table.h"
#include "kernel/jit/native.h"
#include "kernel/opcodes.h"
#include "kernel/record.h"
#include "kernel/run_error.h"
#include "kernel_session.h"
#include "watchdog.h"

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
    std::vector<double> values; // of each point of a walk
    std::vector<double> args, variables, cells;
    int error_type = 0, error_code = 0, error_formula_type = 0;
    std::u16string error_name;
    void *error_formula = nullptr;
};

// The shared cells a formula reads or writes, the targets of write-backs
// after calls included.
std::vector<double *> cells_of(const tmx::FormulaRecord *r) {
    std::vector<double *> cells;
    const uint8_t *code = r->code;
    const int32_t *h = r->header;
    int32_t ip = h[tmx::kCodeStart], op = tmx::kOperandStart;
    const auto cell = [&](int32_t word) {
        if (void *p = tmx::address_at(uint32_t(word))) cells.push_back(static_cast<double *>(p));
    };
    while (ip < h[tmx::kCodeLength] && op <= h[tmx::kHeaderLength]) {
        const uint8_t byte = code[ip++];
        switch (byte) {
        case tmx::OpPushCommon: case tmx::OpStoreCommon:
        case tmx::OpPreIncCommon: case tmx::OpPreDecCommon:
        case tmx::OpPostIncCommon: case tmx::OpPostDecCommon:
            cell(h[op]);
            break;
        default: break;
        }
        op += tmx::operand_words(byte);
        if (byte >= tmx::OpCallInt && byte <= tmx::OpCallExternal) {
            for (uint8_t tag; ip < h[tmx::kCodeLength] && (tag = code[ip++]) != 0; op += 2)
                if (tag != 2) cell(h[op + 1]);
        }
    }
    return cells;
}

bool same_bits(const std::vector<double> &x, const std::vector<double> &y) {
    return x.size() == y.size() &&
           (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) == 0);
}

// Loops and recursion may run for ever; the watchdog interrupts them as a
// host would.  Where it stops a run depends on timing, so an interrupted run
// is compared with nothing (it only must not crash).
fuzz::Watchdog &watchdog() {
    static fuzz::Watchdog dog(std::chrono::milliseconds(5));
    return dog;
}

class Differential {
  public:
    // `records`: every formula of the input so far, `r` the last, the one
    // under test; the others are what it may call, and their variables,
    // statics, cells and strings are put back before each run too.
    Differential(const std::vector<tmx::FormulaRecord *> &records, const uint8_t *picks)
        : r_(records.back()), records_(records) {
        args0_.resize(size_t(r_->header[tmx::kLastParam] + 1));
        for (size_t i = 0; i < args0_.size(); ++i)
            args0_[i] = kValues[(picks[i / 2 % 4] >> (4 * (i % 2))) & 15];
        for (tmx::FormulaRecord *f : records_) {
            for (double *c : cells_of(f)) cells_.push_back(c);
            auto *d = static_cast<double *>(f->data);
            variables0_.emplace_back(d, d + f->header[tmx::kVarCount]);
            strings0_.emplace_back(f->code + 2, f->code + f->header[tmx::kCodeStart]);
        }
        for (double *c : cells_) cells0_.push_back(*c);
    }

    // Runs from the captured starting state with `native` (none: the
    // interpreter) and returns everything the run changed.
    State run(const tmx::NativeCode &native) {
        restore();
        tmx::FastCode *fast = r_->fast;
        r_->fast = nullptr;
        r_->jit = native.first;
        r_->jit_nested = native.nested;
        State s;
        s.args = args0_;
        watchdog().arm();
        s.result = RealCal(r_, s.args.empty() ? nullptr : s.args.data());
        watchdog().disarm();
        r_->fast = fast;
        capture(s);
        return s;
    }

    // A built-in's walk over `count` points, each with the starting
    // arguments: by the batch form, or (null) one interpreted call per point
    // and none once a run error is pending.  Points that did not run keep a
    // marker value.
    State run_points(tmx::JitBatch batch, int count) {
        tmx::FastCode *fast = begin_walk();
        State s;
        const size_t n = args0_.size();
        for (int k = 0; k < count; ++k) s.args.insert(s.args.end(), args0_.begin(), args0_.end());
        s.values.assign(size_t(count), std::bit_cast<double>(uint64_t(0x7FF4DEADBEEF0000)));
        watchdog().arm();
        if (batch) {
            batch(s.args.data(), count, s.values.data());
        } else {
            for (int k = 0; k < count && !tmx::run_error_pending(); ++k)
                s.values[size_t(k)] = RealCal(r_, s.args.data() + size_t(k) * n);
        }
        watchdog().disarm();
        r_->fast = fast;
        capture(s);
        return s;
    }

    // A walk of `count` evenly spaced points through the line form, or
    // (null) the built-ins' own arithmetic and fold around interpreted calls;
    // the first point is the first starting argument, the line's start a
    // finite one.
    State run_line(tmx::JitLine line, int count) {
        tmx::FastCode *fast = begin_walk();
        State s;
        s.args = args0_;
        const double first = args0_[0], min = std::isfinite(first) ? first : -1.25;
        const double step = 0.375, offset = 0.5;
        double total = 0.0;
        watchdog().arm();
        if (line) {
            total = line(s.args.data(), 0, count, first, min, step, offset, total);
        } else {
            for (int k = 0; k < count && !tmx::run_error_pending(); ++k) {
                s.args[0] = k == 0 ? first : min + step * (double(k) + offset);
                total += RealCal(r_, s.args.data());
            }
        }
        watchdog().disarm();
        r_->fast = fast;
        s.result = total;
        capture(s);
        return s;
    }

  private:
    // The start of a walk: the starting state, and the formula's calls
    // interpreted by the byte code (the form under test is called directly).
    // Returns the fast form, which the walk puts back.
    tmx::FastCode *begin_walk() {
        restore();
        tmx::FastCode *fast = r_->fast;
        r_->fast = nullptr;
        r_->jit = nullptr;
        r_->jit_nested = nullptr;
        return fast;
    }

    // The starting state, put back before each run.
    void restore() {
        // A call of a stack-size built-in in the run before changed them.
        fuzz::use_small_stacks();
        for (size_t k = 0; k < records_.size(); ++k) {
            std::copy(variables0_[k].begin(), variables0_[k].end(),
                      static_cast<double *>(records_[k]->data));
            std::copy(strings0_[k].begin(), strings0_[k].end(), records_[k]->code + 2);
        }
        for (size_t i = 0; i < cells_.size(); ++i) *cells_[i] = cells0_[i];
    }

    void capture(State &s) {
        for (tmx::FormulaRecord *f : records_) {
            auto *d = static_cast<double *>(f->data);
            s.variables.insert(s.variables.end(), d, d + f->header[tmx::kVarCount]);
        }
        for (double *c : cells_) s.cells.push_back(*c);
        const char16_t *name = nullptr;
        GetRunErr(&s.error_type, &name, &s.error_code, &s.error_formula_type, &s.error_formula);
        if (name) s.error_name = name;
    }

    tmx::FormulaRecord *r_;
    std::vector<tmx::FormulaRecord *> records_;
    std::vector<double *> cells_;
    std::vector<double> args0_, cells0_;
    std::vector<std::vector<double>> variables0_;
    std::vector<std::vector<uint8_t>> strings0_;
};

void compare(const State &interpreted, const State &native) {
    if (interpreted.error_type == fuzz::kInterruptRunError ||
        native.error_type == fuzz::kInterruptRunError)
        return;
    if (std::bit_cast<uint64_t>(interpreted.result) != std::bit_cast<uint64_t>(native.result))
        fuzz::fail("native result differs from the interpreter's");
    if (!same_bits(interpreted.values, native.values)) fuzz::fail("batch values differ");
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
    fuzz::use_small_stacks();
    const auto sources = fuzz::split_at_zeros(fuzz::utf16_text(data + 4, size - 4), kMaxFormulas);
    std::vector<tmx::FormulaRecord *> records;
    for (const std::u16string &source : sources) {
        fuzz::Compiled c = fuzz::compile(2, source, 1);
        // Folding may record a run error; each run starts with none.
        GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
        if (c.status != 0) continue;
        auto *r = static_cast<tmx::FormulaRecord *>(c.handle);
        records.push_back(r);
        const tmx::NativeCode native = tmx::compile_real_native(r);
        // Which code runs is the harness's choice alone: a recursion must not
        // count its way to native code of its own in the interpreted run.
        r->jit_countdown = 0;
        if (!native.first) continue;  // not one the tier takes
        Differential d(records, data);
        const State interpreted = d.run({});
        compare(interpreted, d.run(native));
        if (tmx::JitBatch batch = tmx::compile_real_batch(r)) {
            compare(d.run_points(nullptr, 3), d.run_points(batch, 3));
            r->jit_batch = batch;
            r->jit_batch_tried = true;
        }
        if (tmx::JitLine line = tmx::compile_real_line(r)) {
            compare(d.run_line(nullptr, 3), d.run_line(line, 3));
            r->jit_line = line;
            r->jit_line_tried = true;
        }
        // The record owns its code from here and releases it when deleted.
        r->jit = native.first;
        r->jit_nested = native.nested;
    }
    return 0;
}
