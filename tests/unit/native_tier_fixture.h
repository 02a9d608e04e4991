// The fixture of the native-code tier's tests: a kernel started with every
// formula compiled at its first evaluation, and the comparison of one
// evaluation through native code with one through the byte-code interpreter.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "kernel/eval/real_fast.h"
#include "kernel/jit/jit.h"
#include "kernel/record.h"
#include "tamrix/tamrix.h"

namespace tmx::native_test {

// Sets an environment variable for one scope (unset when `value` is null).
class EnvSetting {
  public:
    EnvSetting(const char *name, const char *value) : name_(name) {
        if (const char *old = std::getenv(name)) old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~EnvSetting() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

  private:
    const char *name_;
    std::optional<std::string> old_;
};

inline uint64_t bits(double x) { return std::bit_cast<uint64_t>(x); }

class NativeTier : public ::testing::Test {
  protected:
    // The settings are read by InitTamrix; every formula compiles at its
    // first evaluation unless a test restarts with other settings.
    void SetUp() override { start("0", nullptr); }
    void TearDown() override { FreeTamrix(); }

    void start(const char *threshold, const char *jit) {
        EnvSetting t("TAMRIX_JIT_THRESHOLD", threshold), j("TAMRIX_JIT", jit);
        ASSERT_TRUE(InitTamrix());
        have_tier_ = tmx::jit_settings().enabled;
    }

    tmx::FormulaRecord *compile(const std::u16string &src) {
        void *h = nullptr;
        int params = 0, b = 0, e = 0;
        double *data = nullptr;
        EXPECT_EQ(RealCom(src.c_str(), -(++modules_), &h, &params, &data, &b, &e), 0)
            << "compile error at " << b << ".." << e;
        return static_cast<tmx::FormulaRecord *>(h);
    }

    // One evaluation through the native code and one through the byte-code
    // interpreter from the same state; every observable must agree.  The
    // formulas in `also` (callees) run interpreted in the second one too.
    void expect_same(const std::u16string &src, const std::vector<double> &args) {
        expect_same(compile(src), src, args);
    }

    void expect_same(tmx::FormulaRecord *r, const std::u16string &src,
                     const std::vector<double> &args,
                     std::vector<tmx::FormulaRecord *> also = {}) {
        ASSERT_NE(r, nullptr);
        const size_t slots = size_t(r->header[tmx::kDataLength]);
        auto *data = static_cast<double *>(r->data);
        const std::vector<double> data0(data, data + slots);

        std::vector<double> native_args = args;
        const double native = RealCal(r, native_args.data());
        const RunError native_error = take_error();
        ASSERT_NE(r->jit, nullptr) << "expected native code";
        const std::vector<double> native_data(data, data + slots);

        std::memcpy(data, data0.data(), slots * sizeof(double));
        also.push_back(r);
        std::vector<tmx::FormulaRecord> saved;
        for (tmx::FormulaRecord *f : also) {
            saved.push_back(*f);
            f->jit = nullptr;
            f->jit_nested = nullptr;
            f->fast = nullptr;
            tmx::choose_real_entry(f); // RealCal would go straight to the native code
        }
        std::vector<double> interpreted_args = args;
        const double interpreted = RealCal(r, interpreted_args.data());
        const RunError interpreted_error = take_error();
        for (size_t i = 0; i < also.size(); ++i) {
            also[i]->jit = saved[i].jit;
            also[i]->jit_nested = saved[i].jit_nested;
            also[i]->fast = saved[i].fast;
            tmx::choose_real_entry(also[i]);
        }

        std::string where = std::string(src.begin(), src.end()) + " at";
        for (double a : args) where += " " + std::to_string(a);
        EXPECT_EQ(bits(native), bits(interpreted)) << native << " vs " << interpreted << " " << where;
        for (size_t i = 0; i < args.size(); ++i)
            EXPECT_EQ(bits(native_args[i]), bits(interpreted_args[i])) << "argument " << i << " " << where;
        for (int32_t v = 0; v < r->header[tmx::kVarCount]; ++v)
            EXPECT_EQ(bits(native_data[size_t(v)]), bits(data[v])) << "variable " << v << " " << where;
        EXPECT_TRUE(native_error == interpreted_error)
            << "run error " << native_error.type << " vs " << interpreted_error.type << " " << where;
        EXPECT_EQ(r->code[0], tmx::kIdle) << where;
    }

    struct RunError {
        int type = 0, code = 0, formula_type = 0;
        std::u16string name;
        void *formula = nullptr;
        bool operator==(const RunError &) const = default;
    };
    static RunError take_error() {
        RunError e;
        const char16_t *name = nullptr;
        GetRunErr(&e.type, &name, &e.code, &e.formula_type, &e.formula);
        if (name) e.name = name;
        return e;
    }


    tmx::FormulaRecord *compile_in(int module, const std::u16string &src) {
        void *h = nullptr;
        int params = 0, b = 0, e = 0;
        double *data = nullptr;
        EXPECT_EQ(RealCom(src.c_str(), module, &h, &params, &data, &b, &e), 0)
            << "compile error at " << b << ".." << e;
        return static_cast<tmx::FormulaRecord *>(h);
    }

    // Deletes its victim while the formula that called it runs.
    static inline tmx::FormulaRecord *g_victim = nullptr;
    static double TM_CALL kill_victim(int, double *, TmCallContext *) {
        DeleteFor(2, g_victim);
        return 0;
    }

    bool have_tier_ = false;
    int modules_ = 0;
};

inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Rows of (a, b, c): the values where operations differ most.
inline const double kValues[][3] = {
    {1.5, 2.25, -3.75},   {0.0, -0.0, 0.0},        {-0.0, 0.0, -0.0},
    {kNaN, 1, kInf},      {-kNaN, kNaN, -kInf},    {kInf, -kInf, kInf},
    {1e308, 1e308, -1e308}, {5e-324, -5e-324, 2.2250738585072014e-308},
    {-7.5, 3, 0.125},     {9.2233720368547758e18, -2147483649.0, 4294967296.5},
    {1, 1, 1},            {-1, 0.5, 2},
};

}  // namespace tmx::native_test
