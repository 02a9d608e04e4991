// What the tests of the registered built-ins share: a kernel started for
// each test with value stacks for nested activations, compiling and running
// formulas of the three types, and direct calls with a call context that
// names a compiled formula.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/record.h"
#include "tamrix/tamrix.h"
#include "typed_eval_fixture.h"

namespace tmx::test {

inline std::u16string to_u16(const std::string &s) { return std::u16string(s.begin(), s.end()); }

struct Compiled {
    int rc = -100;
    void *handle = nullptr;
    int params = -2;
    void *data = nullptr;
    int err_begin = -1, err_end = -1;

    FormulaRecord *record() const { return static_cast<FormulaRecord *>(handle); }
    double *reals() const { return static_cast<double *>(data); }
    int64_t *ints() const { return static_cast<int64_t *>(data); }
    TmComplex *complexes() const { return static_cast<TmComplex *>(data); }
};

// type 1 integer, 2 real, 3 complex.
inline Compiled compile_formula(int type, const std::string &src, int module = 1) {
    Compiled c;
    const std::u16string text = to_u16(src);
    switch (type) {
    case 1:
        c.rc = IntCom(text.c_str(), module, &c.handle, &c.params,
                      reinterpret_cast<int64_t **>(&c.data), &c.err_begin, &c.err_end);
        break;
    case 2:
        c.rc = RealCom(text.c_str(), module, &c.handle, &c.params,
                       reinterpret_cast<double **>(&c.data), &c.err_begin, &c.err_end);
        break;
    default:
        c.rc = ComplexCom(text.c_str(), module, &c.handle, &c.params,
                          reinterpret_cast<TmComplex **>(&c.data), &c.err_begin, &c.err_end);
    }
    return c;
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
        EXPECT_EQ(c.rc, 0) << src << " [" << c.err_begin << ", " << c.err_end << "]";
        return c;
    }
    double real(const std::string &src, std::vector<double> args = {}, int module = 1) {
        Compiled c = ok(2, src, module);
        if (c.rc != 0) return -12345.0;
        for (size_t k = 0; k < args.size(); ++k) c.reals()[k] = args[k];
        return RealCal(c.handle, c.reals());
    }
    int64_t integer(const std::string &src) {
        Compiled c = ok(1, src);
        return c.rc == 0 ? IntCal(c.handle, c.ints()) : -12345;
    }
    TmComplex complex(const std::string &src) {
        Compiled c = ok(3, src);
        return c.rc == 0 ? ComplexCal(c.handle, c.complexes()) : TmComplex{-12345, 0};
    }

    // A call context naming a compiled real formula whose string literals
    // are `strings`, for direct calls; `first` receives the word index of the
    // first of them.
    TmCallContext context_with_strings(const std::string &strings, int64_t *first) {
        Compiled c = ok(2, strings);
        *first = c.rc == 0 ? c.record()->header[kFirstString] : -1;
        return {2, c.handle};
    }
};

}  // namespace tmx::test
