// Helpers shared by the limit and interrupt tests: running a body on a thread
// with a stack of a chosen size, and interrupting an evaluation from another
// thread.  Compiling and running formulas comes from formula_support.h.
#pragma once

#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <string>

#include "formula_support.h"
#include "interrupter.h"
#include "tamrix/tamrix.h"

namespace tmx::limits_test {

using test::compile;
using test::Compiled;
using test::evaluate;
using test::run;
using test::RunError;
using test::take_run_error;

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
