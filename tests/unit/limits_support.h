// Helpers shared by the limit and interrupt tests: compiling and running
// formulas of any of the three types, running a body on a thread with a
// stack of a chosen size, and interrupting an evaluation from another thread.
#pragma once

#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <string>

#include "interrupter.h"
#include "tamrix/tamrix.h"

namespace tmx::limits_test {

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

// Runs `body` on a new thread whose stack is `stack_bytes` long and waits
// for it.  GoogleTest assertions inside the body are reported as usual.
inline void run_on_thread(size_t stack_bytes, const std::function<void()> &body) {
    pthread_attr_t attr;
    ASSERT_EQ(pthread_attr_init(&attr), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, stack_bytes), 0);
    auto trampoline = [](void *p) -> void * {
        (*static_cast<const std::function<void()> *>(p))();
        return nullptr;
    };
    pthread_t thread;
    int rc = pthread_create(&thread, &attr, trampoline, const_cast<std::function<void()> *>(&body));
    pthread_attr_destroy(&attr);
    ASSERT_EQ(rc, 0);
    pthread_join(thread, nullptr);
}

// Registers "running" (interrupter.h) for the three types, after InitTamrix.
inline void register_running() {
    ASSERT_EQ(SetFunction(4, u"running", reinterpret_cast<void *>(&running_int), -1), 0);
    ASSERT_EQ(SetFunction(5, u"running", reinterpret_cast<void *>(&running_real), -1), 0);
    ASSERT_EQ(SetFunction(6, u"running", reinterpret_cast<void *>(&running_complex), -1), 0);
}

// Interrupts through the kernel linked into the test.
class Interrupter : public InterruptingThread {
  public:
    Interrupter() : InterruptingThread(&SetRunErr) {}
};

}  // namespace tmx::limits_test
