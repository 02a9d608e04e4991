#include "gl_host.h"

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "platform/loader.h"
#include "platform/text.h"

namespace gltest {

namespace {

struct Loaded {
    platform::LibraryHandle kernel = nullptr, modules = nullptr, data = nullptr,
                            graphics = nullptr;
    extproto::KernelExports k;
    TmDllEntry moduleEntry = nullptr, dataEntry = nullptr, graphicsEntry = nullptr;
};

TmDllEntry entry_of(platform::LibraryHandle lib) {
    TmDllEntry entry = nullptr;
    platform::find_function(lib, "TmDll32W", entry);
    return entry;
}

platform::LibraryHandle load(const std::string &name) {
    std::string why;
    platform::LibraryHandle lib = platform::load_library(name, &why);
    if (!lib) std::fprintf(stderr, "%s: %s\n", name.c_str(), why.c_str());
    return lib;
}

Loaded &loaded() {
    static Loaded l = [] {
        Loaded x;
        x.kernel = load("Tamrix32W.dll");
        x.modules = load("MTamrix32W.dll");
        x.data = load(TAMRIX_GL_FAKE_DATA);
        x.graphics = load("OpenTmGl32W.dll");
        extproto::bind_kernel(x.kernel, {}, x.k);
        x.moduleEntry = entry_of(x.modules);
        x.dataEntry = entry_of(x.data);
        x.graphicsEntry = entry_of(x.graphics);
        return x;
    }();
    return l;
}

std::mutex g_probeLock;
std::condition_variable g_probed;
int g_probes = 0;

void TM_CALL no_delete(void *) {}
void TM_CALL host_message(const char16_t *text) { captured().messages += text ? text : u""; }
int TM_CALL host_message_box(const char16_t *text, const char16_t *caption, int) {
    captured().boxes.push_back(std::u16string(caption ? caption : u"") + u"|" + (text ? text : u""));
    return 1;
}
double TM_CALL probe(int, double *, TmCallContext *) {
    {
        std::lock_guard<std::mutex> guard(g_probeLock);
        ++g_probes;
    }
    g_probed.notify_all();
    return 0;
}

}  // namespace

Captured &captured() {
    static Captured c;
    return c;
}

int probe_count() {
    std::lock_guard<std::mutex> guard(g_probeLock);
    return g_probes;
}

bool wait_for_probes(int count) {
    std::unique_lock<std::mutex> lock(g_probeLock);
    return g_probed.wait_for(lock, std::chrono::seconds(60), [&] { return g_probes >= count; });
}

int occurrences(const std::u16string &text, const std::u16string &part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::u16string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

const extproto::KernelExports &GlHost::k() const { return loaded().k; }

void GlHost::SetUp() {
    Loaded &l = loaded();
    ASSERT_NE(l.kernel, nullptr);
    ASSERT_NE(l.moduleEntry, nullptr);
    ASSERT_NE(l.dataEntry, nullptr);
    ASSERT_NE(l.graphicsEntry, nullptr);
    captured() = Captured{};
    {
        std::lock_guard<std::mutex> guard(g_probeLock);
        g_probes = 0;
    }
    ASSERT_TRUE(k().InitTamrix());
    void *none = nullptr;
    k().InsertKey("TmMessage", 9, 256, reinterpret_cast<void *>(host_message), no_delete, &none);
    k().InsertKey("MTM_MessageBox", 14, 256, reinterpret_cast<void *>(host_message_box), no_delete,
                  &none);
    ASSERT_EQ(k().SetFunction(5, u"probe", reinterpret_cast<void *>(probe), -1), 0);
    ASSERT_EQ(l.moduleEntry(l.kernel, 1, nullptr), 1);
    use = reinterpret_cast<TmUseTamrix>(k().SearchKey("UseTamrix", 9, -256));
    com = reinterpret_cast<TmComModule>(k().SearchKey("ComModule", 9, -256));
    exe = reinterpret_cast<TmExeModule>(k().SearchKey("ExeModule", 9, -256));
    del = reinterpret_cast<TmDeleteModule>(k().SearchKey("DeleteModule", 12, -256));
    ASSERT_EQ(l.dataEntry(l.kernel, 1, nullptr), 1);
}

void GlHost::TearDown() {
    Loaded &l = loaded();
    lock();
    for (int m : modules) del(m);
    modules.clear();
    unlock();
    stop_graphics();
    l.dataEntry(l.kernel, 0, nullptr);
    l.moduleEntry(l.kernel, 0, nullptr);
    k().GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
    k().FreeTamrix();
}

bool GlHost::start_graphics(const std::u16string &argument) {
    Loaded &l = loaded();
    graphicsStarted = l.graphicsEntry(l.kernel, 1, argument.c_str()) == 1;
    return graphicsStarted;
}

void GlHost::stop_graphics() {
    if (!graphicsStarted) return;
    Loaded &l = loaded();
    EXPECT_EQ(l.graphicsEntry(l.kernel, 0, nullptr), 1);
    graphicsStarted = false;
}

int GlHost::run_module(const std::u16string &source) {
    int moduleNo = 0, es = 0, ee = 0;
    TmModuleNode *list = nullptr;
    const int rc = com(source.c_str(), &moduleNo, &list, &es, &ee);
    EXPECT_EQ(rc, 0) << platform::to_utf8(source) << " at " << es << "-" << ee;
    if (rc != 0) return 0;
    modules.push_back(moduleNo);
    exe(list, nullptr, nullptr, nullptr);
    return moduleNo;
}

void GlHost::delete_module(int moduleNo) {
    del(moduleNo);
    std::erase(modules, moduleNo);
}

namespace {
double g_lastValue = 0;
void TM_CALL keep_value(double v) { g_lastValue = v; }
}  // namespace

double GlHost::evaluate(const std::u16string &expression) {
    int moduleNo = 0, es = 0, ee = 0;
    TmModuleNode *list = nullptr;
    g_lastValue = -12345;
    std::u16string source = expression + u";";
    if (com(source.c_str(), &moduleNo, &list, &es, &ee) != 0) return -999;
    exe(list, nullptr, keep_value, nullptr);
    del(moduleNo);
    return g_lastValue;
}

void GlHost::lock() { ASSERT_EQ(use(2), 0); }
void GlHost::unlock() { use(0); }

void GlHost::wait_for_scene() {
    auto wait = reinterpret_cast<TmWaitSceneFn>(k().SearchKey("gleWaitScene", 12, -256));
    ASSERT_NE(wait, nullptr);
    wait();
}

std::string GlHost::scratch(const std::string &name) const {
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(TAMRIX_GL_SCRATCH) + "/" + info->name() + "_" + name;
}

}  // namespace gltest
