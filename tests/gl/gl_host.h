// A host for the graphics library's tests: the kernel, the module library,
// the stand-in data library and the graphics library, loaded and started as
// a host program does, with the host's keys capturing what is printed.  The
// test decides when it holds the workspace lock, so it can run modules,
// delete them and keep the kernel busy while the scene runs.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ext/protocol/kernel_binding.h"
#include "tamrix/tamrix_ext.h"

namespace gltest {

class GlHost : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the graphics library with this start argument; false when it
    // refused.
    bool start_graphics(const std::u16string &argument);
    void stop_graphics();

    // Compiles a module (under the lock the caller holds) and runs it; the
    // module number, or 0 after a compile error.
    int run_module(const std::u16string &source);
    void delete_module(int moduleNo);
    // Evaluates one real expression in a throw-away module.
    double evaluate(const std::u16string &expression);

    void lock();
    void unlock();
    // Waits until the scene no longer needs the modules ("gleWaitScene").
    void wait_for_scene();

    const extproto::KernelExports &k() const;

    // A file in the test's scratch directory.
    std::string scratch(const std::string &name) const;

    TmUseTamrix use = nullptr;
    TmComModule com = nullptr;
    TmExeModule exe = nullptr;
    TmDeleteModule del = nullptr;
    bool graphicsStarted = false;
    std::vector<int> modules;
};

// What the host saw.
struct Captured {
    std::u16string messages;           // "TmMessage"
    std::vector<std::u16string> boxes;  // "caption|text"
};
Captured &captured();

// How many times scenes called the host's probe() function, and a wait
// for it to reach a count (false after a generous deadline).
int probe_count();
bool wait_for_probes(int count);

// Counts occurrences of `part` in `text`.
int occurrences(const std::u16string &text, const std::u16string &part);

}  // namespace gltest
