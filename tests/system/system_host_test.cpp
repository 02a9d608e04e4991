// The system library through the real protocol, beside the data library:
// what a host can only see from outside (formula counts of the kernel,
// registrations after shutdown, a start without the data library).
#include <cstring>

#include "../data/data_host.h"
#include "platform/text.h"

namespace {

TmDllEntry system_entry() {
    static TmDllEntry entry = [] {
        std::string error;
        platform::LibraryHandle library = platform::load_library("TmSystem32W.dll", &error);
        if (!library) std::fprintf(stderr, "system library: %s\n", error.c_str());
        return reinterpret_cast<TmDllEntry>(platform::find_symbol(library, "TmDll32W"));
    }();
    return entry;
}

// The module the run-time formulas go to, apart from the host's.
constexpr int kRunTimeModule = 7;

class SystemHost : public datatest::DataHost {
protected:
    void SetUp() override {
        DataHost::SetUp();
        ASSERT_NE(system_entry(), nullptr);
        ASSERT_EQ(system_entry()(modtest::kernel_library(), 1, nullptr), 1);
        systemStarted = true;
    }
    void TearDown() override {
        if (systemStarted) stop_system();
        DataHost::TearDown();
    }
    void stop_system() {
        EXPECT_EQ(system_entry()(modtest::kernel_library(), 0, nullptr), 1);
        systemStarted = false;
    }
    bool compiles_int(const std::u16string &source) {
        void *h = nullptr;
        int last = 0, es = 0, ee = 0;
        int64_t *data = nullptr;
        int rc = modtest::kernel().IntCom(source.c_str(), modtest::kHostModule, &h, &last, &data,
                                          &es, &ee);
        if (rc == 0) modtest::kernel().DeleteFor(1, h);
        return rc == 0;
    }
    bool systemStarted = false;
};

TEST_F(SystemHost, RecompilingIntoOneObjectKeepsOneFormula) {
    const std::u16string module = text(kRunTimeModule);
    int64_t object = eval(u"(:o,a,b,i,failed)= o=new(sys::tmfor), i=0, failed=0,"
                          u" while(i<10000, failed=failed+(sys::comfor(o, \"again(x)=x+1\", 2, " +
                          module + u", &a, &b)!=0), i++), which(failed, 0, o)");
    ASSERT_NE(object, 0);
    EXPECT_EQ(formulas_in(kRunTimeModule), 1);
    // Deleting the object deletes its formula, and the module with it.
    eval(u"delete(" + text(object) + u")");
    EXPECT_EQ(formulas_in(kRunTimeModule), 0);
}

TEST_F(SystemHost, ShutdownDeletesHeldFormulasAndEveryRegistration) {
    eval(u"(:a,b)= sys::comfor(new(sys::tmfor), \"kept(x)=x\", 2, " + text(kRunTimeModule) +
         u", &a, &b)");
    EXPECT_EQ(formulas_in(kRunTimeModule), 1);
    for (const char16_t *source : {u"sys::clock()", u"sys::tmfor", u"sys::CLOCKS_PER_SEC"})
        EXPECT_TRUE(compiles_int(source)) << platform::to_utf8(source);
    stop_system();
    EXPECT_EQ(formulas_in(kRunTimeModule), 0);
    for (const char16_t *source : {u"sys::clock()", u"sys::tmfor", u"sys::CLOCKS_PER_SEC",
                                   u"sys::call(1, 2, 3)", u"sys::testtmfor(0)"})
        EXPECT_FALSE(compiles_int(source)) << platform::to_utf8(source);
    EXPECT_EQ(kernel_compile(u"sys::clock()"), 25);
}

TEST_F(SystemHost, ASecondStartIsRefusedAndLeavesTheFirst) {
    EXPECT_EQ(system_entry()(modtest::kernel_library(), 1, nullptr), 0);
    EXPECT_TRUE(compiles_int(u"sys::clock()"));
}

TEST_F(SystemHost, WithoutTheDataLibraryNothingStarts) {
    stop_system();
    stop_data();
    modtest::captured().boxes.clear();
    EXPECT_EQ(system_entry()(modtest::kernel_library(), 1, nullptr), 0);
    ASSERT_EQ(modtest::captured().boxes.size(), 1u);
    EXPECT_EQ(modtest::captured().boxes[0],
              u"TmSystem|该库需要TmData32W.dll的支持！请先加载TmData32W.dll。");
    EXPECT_FALSE(compiles_int(u"sys::clock()"));
}

}  // namespace
