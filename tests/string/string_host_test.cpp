// The string library through the real protocol, beside the data library:
// its 42 registrations come and go with it.
#include "../data/data_host.h"
#include "platform/text.h"

namespace {

TmDllEntry string_entry() {
    static TmDllEntry entry = [] {
        std::string error;
        platform::LibraryHandle library = platform::load_library("TmString32W.dll", &error);
        if (!library) std::fprintf(stderr, "string library: %s\n", error.c_str());
        return reinterpret_cast<TmDllEntry>(platform::find_symbol(library, "TmDll32W"));
    }();
    return entry;
}

const char16_t *const kNames[] = {
    u"setstrlen", u"fstons",  u"nstofs",  u"strtowcs", u"wcstostr", u"strcpy",  u"wcscpy",
    u"strcpys",   u"wcscpys", u"strcat",  u"wcscat",   u"strcats",  u"wcscats", u"strcati",
    u"wcscati",   u"strcatr", u"wcscatr", u"strcmp",   u"wcscmp",   u"strlen",  u"wcslen",
};

class StringHost : public datatest::DataHost {
protected:
    void SetUp() override {
        DataHost::SetUp();
        ASSERT_NE(string_entry(), nullptr);
        ASSERT_EQ(string_entry()(modtest::kernel_library(), 1, nullptr), 1);
        stringStarted = true;
    }
    void TearDown() override {
        if (stringStarted) stop_string();
        DataHost::TearDown();
    }
    void stop_string() {
        EXPECT_EQ(string_entry()(modtest::kernel_library(), 0, nullptr), 1);
        stringStarted = false;
    }
    // How many of the functions a formula of the type can call.
    int callable(int type) {
        int n = 0;
        for (const char16_t *name : kNames) {
            const std::u16string source = u"string::" + std::u16string(name) + u"(0)";
            void *h = nullptr;
            int last = 0, es = 0, ee = 0;
            int rc;
            if (type == 1) {
                int64_t *data = nullptr;
                rc = modtest::kernel().IntCom(source.c_str(), modtest::kHostModule, &h, &last,
                                              &data, &es, &ee);
            } else {
                double *data = nullptr;
                rc = modtest::kernel().RealCom(source.c_str(), modtest::kHostModule, &h, &last,
                                               &data, &es, &ee);
            }
            if (rc == 0) modtest::kernel().DeleteFor(type, h);
            // A known function with the wrong argument count is a different
            // error from an unknown name (25).
            n += rc != 25;
        }
        return n;
    }
    bool stringStarted = false;
};

TEST_F(StringHost, AllFunctionsForBothTypesUntilShutdown) {
    EXPECT_EQ(callable(1), 21);
    EXPECT_EQ(callable(2), 21);
    stop_string();
    EXPECT_EQ(callable(1), 0);
    EXPECT_EQ(callable(2), 0);
}

TEST_F(StringHost, ASecondStartIsRefusedAndLeavesTheFirst) {
    EXPECT_EQ(string_entry()(modtest::kernel_library(), 1, nullptr), 0);
    EXPECT_EQ(callable(1), 21);
}

TEST_F(StringHost, WithoutTheDataLibraryNothingStarts) {
    stop_string();
    stop_data();
    modtest::captured().boxes.clear();
    EXPECT_EQ(string_entry()(modtest::kernel_library(), 1, nullptr), 0);
    ASSERT_EQ(modtest::captured().boxes.size(), 1u);
    EXPECT_EQ(modtest::captured().boxes[0],
              u"TmString|该库需要TmData32W.dll的支持！请先加载TmData32W.dll。");
    EXPECT_EQ(callable(1), 0);
}

}  // namespace
