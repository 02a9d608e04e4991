// What the tests of the registered built-ins share: a kernel started for
// each test with value stacks for nested activations, compiling and running
// formulas of the three types, and direct calls with a call context that
// names a compiled formula.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/record.h"
#include "formula_support.h"
#include "tamrix/tamrix.h"
#include "typed_eval_fixture.h"

namespace tmx::test {

// Compiles from an 8-bit text (test sources are ASCII).
inline Compiled compile_formula(int type, const std::string &src, int module = 1) {
    return compile(type, to_u16(src), module);
}

class BuiltinsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        take_run_error();
        ASSERT_TRUE(InitTamrix());
        set_int_stack(1000);
        set_real_stack_limit(1000);
        set_complex_stack(1000);
    }
    void TearDown() override {
        take_run_error();
        FreeTamrix();
    }

    // Compiles and expects success.
    Compiled ok(int type, const std::string &src, int module = 1) {
        Compiled c = compile_formula(type, src, module);
        EXPECT_EQ(c.status, 0) << src << " [" << c.err_begin << ", " << c.err_end << "]";
        return c;
    }
    double real(const std::string &src, std::vector<double> args = {}, int module = 1) {
        Compiled c = ok(2, src, module);
        if (c.status != 0) return -12345.0;
        for (size_t k = 0; k < args.size(); ++k) c.reals()[k] = args[k];
        return RealCal(c.handle, c.reals());
    }
    int64_t integer(const std::string &src) {
        Compiled c = ok(1, src);
        return c.status == 0 ? IntCal(c.handle, c.ints()) : -12345;
    }
    TmComplex complex(const std::string &src) {
        Compiled c = ok(3, src);
        return c.status == 0 ? ComplexCal(c.handle, c.complexes()) : TmComplex{-12345, 0};
    }

    // A call context naming a compiled real formula whose string literals
    // are `strings`, for direct calls; `first` receives the word index of the
    // first of them.
    TmCallContext context_with_strings(const std::string &strings, int64_t *first) {
        Compiled c = ok(2, strings);
        *first = c.status == 0 ? c.record()->header[kFirstString] : -1;
        return {2, c.handle};
    }
};

}  // namespace tmx::test
