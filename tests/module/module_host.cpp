#include "module_host.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "platform/text.h"

namespace modtest {

namespace {

struct Loaded {
    platform::LibraryHandle kernel = nullptr;
    platform::LibraryHandle modules = nullptr;
    extproto::KernelExports k;
    TmDllEntry entry = nullptr;
};

// Loaded once for the whole process, like a host does; each test
// initialises the kernel afresh.
Loaded &loaded() {
    static Loaded l = [] {
        Loaded x;
        std::string error;
        x.kernel = platform::load_library("Tamrix32W.dll", &error);
        if (!x.kernel) std::fprintf(stderr, "kernel: %s\n", error.c_str());
        x.modules = platform::load_library("MTamrix32W.dll", &error);
        if (!x.modules) std::fprintf(stderr, "module library: %s\n", error.c_str());
        extproto::bind_kernel(x.kernel, {}, x.k);
        x.entry = reinterpret_cast<TmDllEntry>(platform::find_symbol(x.modules, "TmDll32W"));
        return x;
    }();
    return l;
}

void TM_CALL no_delete(void *) {}
void TM_CALL free_text(void *text) { delete[] static_cast<char16_t *>(text); }
void TM_CALL no_token() {}

void TM_CALL host_message(const char16_t *text) { captured().messages += text ? text : u"(null)"; }

int TM_CALL host_message_box(const char16_t *text, const char16_t *caption, int) {
    captured().boxes.push_back(std::u16string(caption ? caption : u"") + u"|" +
                               (text ? text : u""));
    return 1;
}

int TM_CALL host_loader(const char16_t *name) {
    std::u16string n = name ? name : u"";
    captured().loads.push_back(n);
    LoaderScript &script = loader_script();
    if (auto r = script.results.find(n); r != script.results.end()) return r->second;
    auto s = script.sources.find(n);
    if (s == script.sources.end()) return TM_CE_MODULE_NOT_FOUND;
    auto com = reinterpret_cast<TmComModule>(kernel().SearchKey("ComModule", 9, -256));
    int moduleNo = 0, es = 0, ee = 0;
    TmModuleNode *list = nullptr;
    int rc = com(s->second.c_str(), &moduleNo, &list, &es, &ee);
    if (rc == 0) script.loadedModules.push_back(moduleNo);
    return rc == 0 ? 0 : TM_CE_MODULE_NOT_FOUND;
}

// Records only when no error is pending: the first error of a run wins.
double TM_CALL boom(int, double *args, TmCallContext *ctx) {
    if (kernel().TestRunErr() == 0) kernel().SetRunErr(2, u"boom", int(args[0]), 0, ctx);
    return 0;
}

void put(std::string text) { captured().results.push_back(std::move(text)); }

std::string number(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

}  // namespace

Captured &captured() {
    static Captured c;
    return c;
}

LoaderScript &loader_script() {
    static LoaderScript s;
    return s;
}

platform::LibraryHandle kernel_library() { return loaded().kernel; }
platform::LibraryHandle module_library() { return loaded().modules; }
const extproto::KernelExports &kernel() { return loaded().k; }
TmDllEntry module_entry() { return loaded().entry; }

void TM_CALL int_out(int64_t v) { put("i:" + std::to_string(v)); }
void TM_CALL real_out(double v) { put("r:" + number(v)); }
void TM_CALL complex_out(double re, double im) { put("c:" + number(re) + "," + number(im)); }

void ModuleHost::SetUp() {
    ASSERT_NE(kernel_library(), nullptr);
    ASSERT_NE(module_entry(), nullptr);
    captured() = Captured{};
    loader_script() = LoaderScript{};
    ASSERT_TRUE(kernel().InitTamrix());
    publish_host_keys();
    ASSERT_EQ(module_entry()(kernel_library(), 1, nullptr), 1);
    started = true;
    svc = find_services();
    ASSERT_NE(svc.com, nullptr);
}

void ModuleHost::TearDown() {
    if (started) {
        for (int m : loader_script().loadedModules) svc.del(m);
        EXPECT_EQ(module_entry()(kernel_library(), 0, nullptr), 1);
    }
    kernel().GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
    kernel().FreeTamrix();
}

void ModuleHost::publish_host_keys(bool withErrorTexts) {
    const extproto::KernelExports &k = kernel();
    void *none = nullptr;
    k.InsertKey("TmMessage", 9, 256, reinterpret_cast<void *>(host_message), no_delete, &none);
    k.InsertKey("MTM_LoadModule", 14, 256, reinterpret_cast<void *>(host_loader), no_delete, &none);
    k.InsertKey("MTM_MessageBox", 14, 256, reinterpret_cast<void *>(host_message_box), no_delete,
                &none);
    if (!withErrorTexts) return;
    k.InsertKey("MTM_LockKeyErrStr", 17, -256, reinterpret_cast<void *>(intptr_t(kErrorTextType)),
                no_delete, &none);
    k.LockKeyType(kErrorTextType, free_text, no_token);
}

void ModuleHost::withdraw_error_text_type() {
    kernel().DeletePrivateKey("MTM_LockKeyErrStr", 17, -256, no_delete);
}

Services ModuleHost::find_services() const {
    const extproto::KernelExports &k = kernel();
    Services s;
    s.use = reinterpret_cast<TmUseTamrix>(k.SearchKey("UseTamrix", 9, -256));
    s.com = reinterpret_cast<TmComModule>(k.SearchKey("ComModule", 9, -256));
    s.exe = reinterpret_cast<TmExeModule>(k.SearchKey("ExeModule", 9, -256));
    s.del = reinterpret_cast<TmDeleteModule>(k.SearchKey("DeleteModule", 12, -256));
    s.exeTmDll = reinterpret_cast<TmExeTmDll32W>(k.SearchKey("ExeTmDll32W", 11, -256));
    return s;
}

Compiled ModuleHost::compile(const std::u16string &source, int moduleNo) {
    Compiled c;
    c.moduleNo = moduleNo;
    c.rc = svc.com(source.c_str(), &c.moduleNo, &c.list, &c.errorStart, &c.errorEnd);
    return c;
}

std::vector<std::string> ModuleHost::run(const std::u16string &source) {
    captured().results.clear();
    Compiled c = compile(source);
    EXPECT_EQ(c.rc, 0) << platform::to_utf8(source) << " at " << c.errorStart << "-"
                       << c.errorEnd;
    if (c.rc != 0) return {"compile error " + std::to_string(c.rc)};
    svc.exe(c.list, int_out, real_out, complex_out);
    svc.del(c.moduleNo);
    return captured().results;
}

int ModuleHost::file_description(const std::u16string &function, const std::u16string &text) {
    auto *copy = new char16_t[text.size() + 1];
    std::copy(text.begin(), text.end(), copy);
    copy[text.size()] = 0;
    void *none = nullptr;
    int rc = kernel().InsertKey(function.data(), int(function.size() * 2), kErrorTextType, copy,
                                free_text, &none);
    if (rc != 0) delete[] copy;
    return rc;
}

void ModuleHost::register_boom() {
    ASSERT_EQ(kernel().SetFunction(5, u"boom", reinterpret_cast<void *>(boom), 0), 0);
}

int ModuleHost::formulas_in(int moduleNo) const {
    return int(kernel().ExMsgWithTamrix(10, reinterpret_cast<void *>(intptr_t(moduleNo)), nullptr,
                                        nullptr));
}

int ModuleHost::kernel_compile(const std::u16string &source, void **hFor, int *errorStart,
                               int *errorEnd) {
    void *h = nullptr;
    int last = 0, es = 0, ee = 0;
    double *data = nullptr;
    int rc = kernel().RealCom(source.c_str(), kHostModule, &h, &last, &data, &es, &ee);
    if (hFor) *hFor = h;
    if (errorStart) *errorStart = es;
    if (errorEnd) *errorEnd = ee;
    return rc;
}

}  // namespace modtest
