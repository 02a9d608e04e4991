// Start-up and release: all or nothing, and release takes everything back.
#include <cstring>
#include <sstream>

#include "data_host.h"
#include "platform/text.h"

namespace datatest {
namespace {

void TM_CALL foreign_delete(void *) {}
void TM_CALL foreign_token() {}
int64_t TM_CALL foreign_function(int, int64_t *, TmCallContext *) { return 77; }

class Lifecycle : public DataHost {
protected:
    bool compiles_int(const std::u16string &source) {
        void *h = nullptr;
        int last = 0, es = 0, ee = 0;
        int64_t *data = nullptr;
        return modtest::kernel().IntCom(source.c_str(), modtest::kHostModule, &h, &last, &data,
                                        &es, &ee) == 0;
    }
    bool compiles_real(const std::u16string &source) { return kernel_compile(source) == 0; }
    int services_present() {
        int n = 0;
        for (const char *name : kServiceNames)
            n += modtest::kernel().SearchKey(name, int(std::strlen(name)), -256) != nullptr;
        return n;
    }
    // Whether nobody holds the key type: locking it for a moment succeeds.
    bool key_type_free(int type) {
        if (modtest::kernel().LockKeyType(type, foreign_delete, foreign_token) != 0) return false;
        modtest::kernel().LockKeyType(type, nullptr, foreign_token);
        return true;
    }
};

TEST_F(Lifecycle, TheLibraryHoldsTwoKeyTypesFromMinus379) {
    EXPECT_FALSE(key_type_free(-379));
    EXPECT_FALSE(key_type_free(-380));
    stop_data();
    EXPECT_TRUE(key_type_free(-379));
    EXPECT_TRUE(key_type_free(-380));
}

TEST_F(Lifecycle, ReleaseRemovesServicesFunctionsConstantsAndObjects) {
    int64_t h = eval(u"new(int32_s, 3)");
    ASSERT_NE(h, 0);
    EXPECT_TRUE(compiles_int(u"new(int32)+TMDLen(0)+int32+EndType"));
    EXPECT_TRUE(compiles_real(u"new(real64)+get(0)+real64+true"));
    stop_data();
    EXPECT_EQ(services_present(), 0);
    for (const char16_t *source : {u"new(int32)", u"TMDLen(0)", u"int32", u"EndType", u"delete(1)"})
        EXPECT_FALSE(compiles_int(source)) << platform::to_utf8(source);
    for (const char16_t *source : {u"new(real64)", u"get(0)", u"real64", u"true"})
        EXPECT_FALSE(compiles_real(source)) << platform::to_utf8(source);
    // The old services answer nothing for the old handle after a new start.
    start_data();
    int kind = 0;
    EXPECT_EQ(ds.is(h, &kind), 0);
    EXPECT_EQ(ds.reg(1, reinterpret_cast<void *>(foreign_token),
                     reinterpret_cast<void *>(foreign_delete), nullptr),
              -256);
}

TEST_F(Lifecycle, ReleaseDestroysLiveExternalObjects) {
    static int destroyed = 0;
    destroyed = 0;
    auto make = +[]() -> void * { return new int(1); };
    auto drop = +[](void *p) {
        ++destroyed;
        delete static_cast<int *>(p);
    };
    int id = ds.reg(1, reinterpret_cast<void *>(make), reinterpret_cast<void *>(drop), nullptr);
    ASSERT_NE(id, 0);
    eval(u"new(" + text(id) + u")");
    eval(u"new(" + text(id) + u")");
    stop_data();
    EXPECT_EQ(destroyed, 2);
}

TEST_F(Lifecycle, AStartThatFailsHalfWayLeavesNothingRegistered) {
    stop_data();
    void *none = nullptr;
    ASSERT_EQ(modtest::kernel().InsertKey("DelTmDataArray", 14, -256,
                                          reinterpret_cast<void *>(foreign_function),
                                          foreign_delete, &none),
              0);
    EXPECT_EQ(data_entry()(modtest::kernel_library(), 1, nullptr), 0);
    EXPECT_EQ(services_present(), 1);  // only the foreign key
    EXPECT_FALSE(compiles_int(u"new(int32)"));
    EXPECT_FALSE(compiles_real(u"real64"));
    EXPECT_TRUE(key_type_free(-379));
    EXPECT_TRUE(key_type_free(-380));
    modtest::kernel().DeletePrivateKey("DelTmDataArray", 14, -256, foreign_delete);
    start_data();
    EXPECT_TRUE(compiles_int(u"new(int32)"));
}

TEST_F(Lifecycle, WithoutTheKernelsExportsNothingStarts) {
    stop_data();
    EXPECT_EQ(data_entry()(nullptr, 1, nullptr), 0);
    platform::LibraryHandle fake = platform::load_library("TmFakeKernel.dll");
    ASSERT_NE(fake, nullptr);
    auto calls = reinterpret_cast<int (*)()>(platform::find_symbol(fake, "FakeKernelCalls"));
    EXPECT_EQ(data_entry()(fake, 1, nullptr), 0);
    EXPECT_EQ(calls(), 0);
    platform::close_library(fake);
    EXPECT_EQ(services_present(), 0);
}

TEST_F(Lifecycle, ARefusedFunctionIsShownAndLeftToItsOwner) {
    stop_data();
    ASSERT_EQ(modtest::kernel().SetFunction(4, u"delete", reinterpret_cast<void *>(foreign_function), 0),
              0);
    modtest::captured().boxes.clear();
    start_data();
    EXPECT_EQ(modtest::captured().boxes,
              (std::vector<std::u16string>{u"TmData 注册整数函数失败！|delete"}));
    EXPECT_EQ(eval(u"delete(5)"), 77);
    EXPECT_NE(eval(u"new(int32)"), 0);
    stop_data();
    EXPECT_EQ(eval(u"delete(5)"), 77);
    modtest::kernel().DeleteConstOrFunction(4, u"delete");
}

TEST_F(Lifecycle, NowTMDNumListsFiveHandlesALineUpToItsArgument) {
    std::vector<int64_t> handles;
    for (int k = 0; k < 7; ++k) handles.push_back(eval(u"new(int8)"));
    modtest::captured().messages.clear();
    EXPECT_EQ(eval(u"NowTMDNum(6)"), 7);
    // "\r\n", then "\r\nTmData：" before every fifth handle, each handle
    // followed by a space, the dots as 7 > 6, and "\r\n".
    const std::string head = "\r\n\r\nTmData：", line = "\r\nTmData：", tail = " ... ...\r\n";
    std::string listing = platform::to_utf8(modtest::captured().messages);
    ASSERT_EQ(listing.rfind(head, 0), 0u) << listing;
    ASSERT_TRUE(listing.ends_with(tail)) << listing;
    std::string body = listing.substr(head.size(), listing.size() - head.size() - tail.size());
    size_t second = body.find(line);
    ASSERT_NE(second, std::string::npos) << listing;
    auto printed = [&](const std::string &text) {
        std::vector<int64_t> hs;
        std::istringstream in(text);
        for (int64_t h; in >> h;) hs.push_back(h);
        return hs;
    };
    std::vector<int64_t> firstLine = printed(body.substr(0, second));
    std::vector<int64_t> secondLine = printed(body.substr(second + line.size()));
    EXPECT_EQ(firstLine.size(), 5u) << listing;
    EXPECT_EQ(secondLine.size(), 1u) << listing;
    firstLine.insert(firstLine.end(), secondLine.begin(), secondLine.end());
    for (int64_t h : firstLine)
        EXPECT_NE(std::find(handles.begin(), handles.end(), h), handles.end()) << h;
    // A limit above the count: every handle, no dots.
    modtest::captured().messages.clear();
    EXPECT_EQ(eval(u"NowTMDNum(100)"), 7);
    listing = platform::to_utf8(modtest::captured().messages);
    EXPECT_EQ(listing.find("..."), std::string::npos) << listing;
    EXPECT_EQ(std::count(listing.begin(), listing.end(), ' '), 7) << listing;
}

TEST_F(Lifecycle, ObjectsInTheStaticsOfADiscardedFormulaAreDeleted) {
    const extproto::KernelExports &k = modtest::kernel();
    void *g = nullptr, *f = nullptr;
    int last = 0, es = 0, ee = 0;
    int64_t *data = nullptr;
    ASSERT_EQ(k.IntCom(u"g()=1", modtest::kHostModule, &g, &last, &data, &es, &ee), 0);
    ASSERT_EQ(k.IntCom(u"f(:static,h,n,free)= if(h==0, h=new(int32, 5), n=7), g(), h",
                       modtest::kHostModule, &f, &last, &data, &es, &ee),
              0);
    int64_t args[1] = {0};
    int64_t h = k.IntCal(f, args);
    EXPECT_EQ(kind_of(h), TMD_INT32);
    // Deleting g invalidates f, so deleting f hands its statics (h and the
    // number 7, which names nothing) to the library instead of running f.
    k.DeleteFor(1, g);
    k.DeleteFor(1, f);
    EXPECT_EQ(kind_of(h), 0);
    EXPECT_EQ(k.TestRunErr(), 0);
}

TEST_F(Lifecycle, ComplexStaticsHandTheirRealPartsToTheLibrary) {
    const extproto::KernelExports &k = modtest::kernel();
    void *make = nullptr, *g = nullptr, *f = nullptr;
    int last = 0, es = 0, ee = 0;
    int64_t *idata = nullptr;
    TmComplex *cdata = nullptr;
    ASSERT_EQ(k.IntCom(u"make()= new(int32, 9)", modtest::kHostModule, &make, &last, &idata, &es,
                       &ee),
              0);
    ASSERT_EQ(k.ComplexCom(u"g()=1", modtest::kHostModule, &g, &last, &cdata, &es, &ee), 0);
    // The integer result lands bit for bit in the real part.
    ASSERT_EQ(k.ComplexCom(u"f(:static,h,free)= if(h==0, h=make()), g(), h", modtest::kHostModule,
                           &f, &last, &cdata, &es, &ee),
              0);
    TmComplex args[1] = {};
    TmComplex h = k.ComplexCal(f, args);
    int64_t handle = 0;
    std::memcpy(&handle, &h.re, sizeof handle);
    EXPECT_EQ(kind_of(handle), TMD_INT32);
    k.DeleteFor(3, g);
    k.DeleteFor(3, f);
    EXPECT_EQ(kind_of(handle), 0);
    k.DeleteFor(1, make);
}

TEST_F(Lifecycle, StartingTwiceIsRefusedAndTheFirstKeepsWorking) {
    int64_t h = eval(u"new(int32, 8)");
    EXPECT_EQ(data_entry()(modtest::kernel_library(), 1, nullptr), 0);
    EXPECT_EQ(eval(u"get(" + text(h) + u")"), 8);
    EXPECT_EQ(services_present(), 6);
}

}  // namespace
}  // namespace datatest
