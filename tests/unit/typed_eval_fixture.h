// What the integer, complex and cross-type evaluator tests share: a fixture
// that starts each test with no error, no trace and fresh value stacks, and
// the stack-size built-ins as plain calls.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "kernel/disasm.h"
#include "kernel/eval/value_stacks.h"
#include "formula_support.h"
#include "kernel/run_error.h"
#include "tamrix/tamrix.h"

namespace tmx::test {

inline void set_int_stack(int64_t limit) {
    TmCallContext ctx = {1, nullptr};
    builtin_set_int_stack_max(0, &limit, &ctx);
}
inline void set_real_stack_limit(double limit) {
    TmCallContext ctx = {2, nullptr};
    builtin_set_real_stack_max(0, &limit, &ctx);
}
inline void set_complex_stack(double limit) {
    TmCallContext ctx = {3, nullptr};
    TmComplex arg = {limit, 0}, result;
    builtin_set_complex_stack_max(&result, 0, &arg, &ctx);
}

inline double as_real(int64_t bits) { return std::bit_cast<double>(bits); }
inline int64_t as_int(double d) { return std::bit_cast<int64_t>(d); }
inline uint8_t builtin_byte(int position) { return uint8_t(45 + position); }

class TypedEval : public ::testing::Test {
  protected:
    void SetUp() override {
        take_run_error();
        value_stacks_release();
        set_trace(false);
    }
    void TearDown() override {
        take_run_error();
        value_stacks_release();
    }
};

}  // namespace tmx::test
