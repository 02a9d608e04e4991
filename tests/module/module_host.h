// A host for the module library's tests: loads the kernel and the module
// library through the platform loader, publishes the host keys a real host
// publishes (capturing what the library prints), starts the library and
// finds its services, exactly as a host program does.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ext/protocol/kernel_binding.h"
#include "platform/loader.h"
#include "tamrix/tamrix_ext.h"

namespace modtest {

// The private key type that holds run-error descriptions.
inline constexpr int kErrorTextType = -257;
// The module the host compiles its own formulas in, far from the library's.
inline constexpr int kHostModule = 1999999999;

struct Services {
    TmUseTamrix use = nullptr;
    TmComModule com = nullptr;
    TmExeModule exe = nullptr;
    TmDeleteModule del = nullptr;
    TmExeTmDll32W exeTmDll = nullptr;
};

// What the host callbacks saw.
struct Captured {
    std::u16string messages;                 // everything printed through "TmMessage"
    std::vector<std::string> results;        // "i:42", "r:2.5", "c:1,2" in order
    std::vector<std::u16string> boxes;       // "caption|text" of message boxes
    std::vector<std::u16string> loads;       // names the "#USE#" loader was asked for
};
Captured &captured();

// The "#USE#" loader's answers: by name, a source to compile through
// "ComModule" (nested) or a fixed result.
struct LoaderScript {
    std::map<std::u16string, std::u16string> sources;
    std::map<std::u16string, int> results;
    std::vector<int> loadedModules;  // deleted by the fixture
};
LoaderScript &loader_script();

platform::LibraryHandle kernel_library();
platform::LibraryHandle module_library();
const extproto::KernelExports &kernel();
TmDllEntry module_entry();

// The output callbacks a host passes to "ExeModule".
void TM_CALL int_out(int64_t v);
void TM_CALL real_out(double v);
void TM_CALL complex_out(double re, double im);

// Compile result with its positions.
struct Compiled {
    int rc = 0;
    int moduleNo = 0;
    TmModuleNode *list = nullptr;
    int errorStart = -99;
    int errorEnd = -99;
};

class ModuleHost : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Publishes the host keys; withErrorTexts also announces the description
    // type -257 and locks it.
    void publish_host_keys(bool withErrorTexts = true);
    Services find_services() const;
    // Removes the "MTM_LockKeyErrStr" announcement (a host without texts).
    void withdraw_error_text_type();

    Compiled compile(const std::u16string &source, int moduleNo = 0);
    // Compiles, runs, returns the results; the module is deleted afterwards.
    std::vector<std::string> run(const std::u16string &source);
    // Files a description under a function name (key type -257).
    // Returns InsertKey's result.
    int file_description(const std::u16string &function, const std::u16string &text);
    // Registers a real function "boom"(code) that records run error
    // (2, "boom", code) for its calling formula.
    void register_boom();
    int formulas_in(int moduleNo) const;
    // Compiles a real formula directly through the kernel, in kHostModule.
    int kernel_compile(const std::u16string &source, void **hFor = nullptr, int *errorStart = nullptr,
                       int *errorEnd = nullptr);

    Services svc;
    bool started = false;
};

}  // namespace modtest
