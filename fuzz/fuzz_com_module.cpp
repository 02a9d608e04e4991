// Whole programs through the module library: "ComModule", then "ExeModule"
// with the watchdog armed, then "DeleteModule".
//
// The module library's logic is linked in and started against the kernel
// linked into this program (its exports are looked up by name in the
// program itself), exactly as a host starts libMTamrix32W.so.  The host
// keys it finds: "TmMessage" (the text is read to its end and dropped) and
// a "#USE#" loader that compiles the name it is given as a nested program.
//
// Built as fuzz_data_module (TAMRIX_FUZZ_DATA), it also starts the data
// library's logic the same way, after the module library, so programs reach
// new, get, set, copy and the rest with whatever arguments they make up;
// every object left over is deleted when the library stops at the end of
// the input.  The string, system and optimisation libraries start after it
// (the system library with "noshell", so no input ever starts a program)
// and stop before it.
//
// Input: bytes 0 and 1 the module number handed in, then the UTF-16 program.
#include <dlfcn.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "kernel_session.h"
#include "module/library.h"
#ifdef TAMRIX_FUZZ_DATA
#include "ext/data/library.h"
#include "ext/opt/library.h"
#include "ext/string/library.h"
#include "ext/system/library.h"
#endif
#include "tamrix/tamrix_ext.h"
#include "watchdog.h"

namespace {

fuzz::Watchdog &watchdog() {
    static fuzz::Watchdog dog(std::chrono::milliseconds(10));
    return dog;
}

struct Services {
    TmUseTamrix use = nullptr;
    TmComModule com = nullptr;
    TmExeModule exe = nullptr;
    TmDeleteModule del = nullptr;
};

Services g_services;
// Modules the "#USE#" loader filed during the current input.
std::vector<int> g_loaded;

template <class F> F service(const char *name) {
    return reinterpret_cast<F>(SearchKey(name, int(std::strlen(name)), TM_SERVICE_KEY_TYPE));
}

void check_text(const char16_t *text) {
    if (!text) return;
    volatile size_t length = std::char_traits<char16_t>::length(text);
    (void)length;
}

extern "C" void TM_CALL host_message(const char16_t *text) { check_text(text); }

extern "C" int TM_CALL host_load_module(const char16_t *name) {
    if (!name) return TM_CE_MODULE_NOT_FOUND;
    int moduleNo = 0;
    TmModuleNode *list = nullptr;
    int rc = g_services.com(name, &moduleNo, &list, nullptr, nullptr);
    if (rc == 0) g_loaded.push_back(moduleNo);
    return rc;
}

extern "C" void TM_CALL host_int(int64_t) {}
extern "C" void TM_CALL host_real(double) {}
extern "C" void TM_CALL host_complex(double, double) {}

bool publish(const char *name, void *value) {
    void *now = nullptr;
    return InsertKey(name, int(std::strlen(name)), TM_HOST_KEY_TYPE, value, nullptr, &now) == 0;
}

// Starts the module library (and the data library) on this program's own
// kernel exports.
bool start_libraries() {
    static void *self = dlopen(nullptr, RTLD_NOW);
    if (!self) return false;
    if (!publish("TmMessage", reinterpret_cast<void *>(host_message)) ||
        !publish("MTM_LoadModule", reinterpret_cast<void *>(host_load_module)))
        return false;
    if (!modlib::start_library(self)) return false;
#ifdef TAMRIX_FUZZ_DATA
    if (!tmdata::start_library(self)) return false;
    if (!strlib::start_library(self)) return false;
    if (!syslib::start_library(self, u"noshell")) return false;
    if (!optlib::start_library(self)) return false;
#endif
    g_services.use = service<TmUseTamrix>("UseTamrix");
    g_services.com = service<TmComModule>("ComModule");
    g_services.exe = service<TmExeModule>("ExeModule");
    g_services.del = service<TmDeleteModule>("DeleteModule");
    return g_services.use && g_services.com && g_services.exe && g_services.del;
}

void run_program(const std::u16string &source, int moduleNo) {
    TmModuleNode *list = nullptr;
    int errorStart = -1, errorEnd = -1;
    int rc;
    {
        // "!" formulas run while the program compiles.
        fuzz::WatchdogScope armed(watchdog());
        rc = g_services.com(source.c_str(), &moduleNo, &list, &errorStart, &errorEnd);
    }
    GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
    if (rc != 0 && list) fuzz::fail("a failed compile handed out a module list");
    if (rc == 0 && !list) fuzz::fail("a compiled module has no list");
    if (rc == 0) {
        {
            fuzz::WatchdogScope armed(watchdog());
            g_services.exe(list, host_int, host_real, host_complex);
        }
        GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    // Deleting runs the release passes of formulas that have one.
    {
        fuzz::WatchdogScope armed(watchdog());
        if (rc == 0) g_services.del(moduleNo);
        for (int loaded : g_loaded) g_services.del(loaded);
    }
    GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
    g_loaded.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    fuzz::KernelSession session;
    if (!session.ready()) fuzz::fail("the kernel did not start");
    fuzz::use_small_stacks();
    if (!start_libraries()) fuzz::fail("the libraries did not start");
    if (g_services.use(2) != 0) fuzz::fail("the workspace lock was refused");
    run_program(fuzz::utf16_text(data + 2, size - 2), fuzz::module_number(data[0], data[1]));
    g_services.use(0);
#ifdef TAMRIX_FUZZ_DATA
    if (!optlib::stop_library()) fuzz::fail("the optimisation library did not stop");
    if (!syslib::stop_library()) fuzz::fail("the system library did not stop");
    if (!strlib::stop_library()) fuzz::fail("the string library did not stop");
    if (!tmdata::stop_library()) fuzz::fail("the data library did not stop");
#endif
    modlib::stop_library();
    g_services = {};
    return 0;
}
