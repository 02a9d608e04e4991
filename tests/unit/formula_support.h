// What most kernel tests need: compiling a formula of any of the three
// types from its source, evaluating it, and reading the run-error record.
// One copy for all tests, so that a change of the interface shows up once.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "kernel/record.h"
#include "tamrix/tamrix.h"

namespace tmx::test {

// A compile call's outputs.  `handle` goes in as the module's lock function
// (or null) and comes out as the formula's handle.
struct Compiled {
    int status = -100;
    void *handle = nullptr;
    int params = -100;
    void *data = nullptr;
    int err_begin = -100, err_end = -100;

    FormulaRecord *record() const { return static_cast<FormulaRecord *>(handle); }
    double *reals() const { return static_cast<double *>(data); }
    int64_t *ints() const { return static_cast<int64_t *>(data); }
    TmComplex *complexes() const { return static_cast<TmComplex *>(data); }
};

// type 1 integer, 2 real, 3 complex.
inline Compiled compile(int type, const std::u16string &src, int module = 1, void *lock = nullptr) {
    Compiled c;
    c.handle = lock;
    const char16_t *s = src.c_str();
    void **h = &c.handle;
    switch (type) {
    case 1:
        c.status = IntCom(s, module, h, &c.params, reinterpret_cast<int64_t **>(&c.data),
                          &c.err_begin, &c.err_end);
        break;
    case 2:
        c.status = RealCom(s, module, h, &c.params, reinterpret_cast<double **>(&c.data),
                           &c.err_begin, &c.err_end);
        break;
    default:
        c.status = ComplexCom(s, module, h, &c.params, reinterpret_cast<TmComplex **>(&c.data),
                              &c.err_begin, &c.err_end);
    }
    return c;
}

inline std::u16string to_u16(const std::string &s) { return std::u16string(s.begin(), s.end()); }

// The formula's value as a double: integers converted, complex values by
// their real part.  The formula's own data array is the argument array.
inline double evaluate(int type, const Compiled &c) {
    switch (type) {
    case 1: return double(IntCal(c.handle, static_cast<int64_t *>(c.data)));
    case 2: return RealCal(c.handle, static_cast<double *>(c.data));
    default: {
        TmComplex r = ComplexCal(c.handle, static_cast<TmComplex *>(c.data));
        return r.re;
    }
    }
}

// Stores `value` into argument slot `index` of the formula's own data array
// (the argument array evaluate() passes).
inline void set_argument(int type, const Compiled &c, int index, double value) {
    switch (type) {
    case 1: static_cast<int64_t *>(c.data)[index] = int64_t(value); break;
    case 2: static_cast<double *>(c.data)[index] = value; break;
    default: static_cast<TmComplex *>(c.data)[index] = {value, 0}; break;
    }
}

// Compiles (expecting success) and evaluates.
inline double run(int type, const std::u16string &src) {
    Compiled c = compile(type, src);
    EXPECT_EQ(c.status, 0) << "type " << type << " at " << c.err_begin << ".." << c.err_end;
    if (c.status != 0) return -12345;
    return evaluate(type, c);
}

// The run-error record as GetRunErr reports it.
struct RunError {
    int type = 0;
    const char16_t *name = nullptr;
    int code = 0;
    int formula_type = 0;
    void *formula = nullptr;
    std::u16string name_text() const { return name ? name : u"<none>"; }
};

// Reads and clears the run-error record.
inline RunError take_run_error() {
    RunError e;
    GetRunErr(&e.type, &e.name, &e.code, &e.formula_type, &e.formula);
    return e;
}

}  // namespace tmx::test
