// What most kernel tests need: compiling a formula of any of the three
// types from its source, evaluating it, and reading the run-error record.
// One copy for all tests, so that a change of the interface shows up once.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tamrix/tamrix.h"

namespace tmx::test {

struct Compiled {
    int status = -100;
    void *handle = nullptr;
    int params = -100;
    void *data = nullptr;
    int err_begin = -100, err_end = -100;
};

inline Compiled compile(int type, const std::u16string &src, int module = 1) {
    Compiled c;
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

struct RunError {
    int type = 0;
    std::u16string name;
    int code = 0;
    int formula_type = 0;
    void *formula = nullptr;
};

// Reads and clears the run-error record.
inline RunError take_run_error() {
    RunError e;
    const char16_t *name = nullptr;
    GetRunErr(&e.type, &name, &e.code, &e.formula_type, &e.formula);
    if (name) e.name = name;
    return e;
}

}  // namespace tmx::test
