// The optimisation library through the real protocol, beside the data
// library: what a host can only see from outside (registrations after
// shutdown, a second start, a start without the data library, and the
// process's memory over many minimisations).
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "../data/data_host.h"
#include "platform/text.h"

namespace {

TmDllEntry opt_entry() {
    static TmDllEntry entry = [] {
        std::string error;
        platform::LibraryHandle library = platform::load_library("TmOpt32W.dll", &error);
        if (!library) std::fprintf(stderr, "optimisation library: %s\n", error.c_str());
        return reinterpret_cast<TmDllEntry>(platform::find_symbol(library, "TmDll32W"));
    }();
    return entry;
}

// Every name the library registers, as a formula that uses it.
const char16_t *const kUses[] = {
    u"opt::brent(1, 2, 3)", u"opt::minimize(1, 2)", u"opt::fit(1, 2, 3, 4)",
    u"opt::NELDERMEAD",     u"opt::SUBPLEX",        u"opt::BOBYQA",
    u"opt::COBYLA",         u"opt::LBFGS",
};

int64_t resident_bytes() {
    std::ifstream statm("/proc/self/statm");
    int64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

class OptHost : public datatest::DataHost {
protected:
    void SetUp() override {
        DataHost::SetUp();
        ASSERT_NE(opt_entry(), nullptr);
        ASSERT_EQ(opt_entry()(modtest::kernel_library(), 1, nullptr), 1);
        optStarted = true;
    }
    void TearDown() override {
        if (optStarted) stop_opt();
        DataHost::TearDown();
    }
    void stop_opt() {
        EXPECT_EQ(opt_entry()(modtest::kernel_library(), 0, nullptr), 1);
        optStarted = false;
    }
    bool compiles(const std::u16string &source) {
        void *h = nullptr;
        const int rc = kernel_compile(source, &h);
        if (rc == 0) modtest::kernel().DeleteFor(2, h);
        return rc == 0;
    }
    bool optStarted = false;
};

TEST_F(OptHost, ShutdownRemovesEveryRegistration) {
    for (const char16_t *use : kUses) EXPECT_TRUE(compiles(use)) << platform::to_utf8(use);
    stop_opt();
    for (const char16_t *use : kUses) EXPECT_FALSE(compiles(use)) << platform::to_utf8(use);
}

TEST_F(OptHost, ASecondStartIsRefusedAndLeavesTheFirst) {
    EXPECT_EQ(opt_entry()(modtest::kernel_library(), 1, nullptr), 0);
    for (const char16_t *use : kUses) EXPECT_TRUE(compiles(use)) << platform::to_utf8(use);
}

TEST_F(OptHost, WithoutTheDataLibraryNothingStarts) {
    stop_opt();
    stop_data();
    modtest::captured().boxes.clear();
    EXPECT_EQ(opt_entry()(modtest::kernel_library(), 1, nullptr), 0);
    ASSERT_EQ(modtest::captured().boxes.size(), 1u);
    EXPECT_EQ(modtest::captured().boxes[0],
              u"TmOpt|该库需要TmData32W.dll的支持！请先加载TmData32W.dll。");
    EXPECT_FALSE(compiles(u"opt::LBFGS"));
}

// 10^3 minimisations (every algorithm, one in ten ending in an error) after
// as many to warm up: resident memory stays put.  The sanitizer build's leak
// check covers the same paths; its allocator makes resident memory
// meaningless, so there only the answers are checked.
TEST_F(OptHost, ThousandsOfMinimisationsDoNotGrow) {
    const std::u16string program =
        u"f(x, y)= (x - 1)^2 + (y + 2)^2 + x*y/4;"
        u"bad(x, y)= which(x > 2, 0/0, x*x + y*y);"
        u":r(k :p,v)= p=new(real64_s, EndType, 3, 3),"
        u"  v=opt::minimize(\"f\", p, 1 + fmod(k, 5), 0, 0, 1e-8) < 0,"
        u"  if(fmod(k, 10)==0, opt::minimize(\"bad\", p), err()),"
        u"  delete(p), v;"
        u"(:k,good)= good=0, k=0, while(k < 1000, good=good + r(k), k++), good;";
    auto answers = [&] {
        modtest::captured().messages.clear();
        return run(program);
    };
    ASSERT_EQ(answers(), std::vector<std::string>{"r:1000"});
    const int64_t before = resident_bytes();
    ASSERT_EQ(answers(), std::vector<std::string>{"r:1000"});
    const int64_t growth = resident_bytes() - before;
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(growth, 256 * 1024) << "resident memory grew by " << growth << " bytes";
#else
    (void)growth;
#endif
}

}  // namespace
