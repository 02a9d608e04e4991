#include "data_host.h"

#include "platform/text.h"

namespace datatest {

namespace {

struct Loaded {
    platform::LibraryHandle library = nullptr;
    TmDllEntry entry = nullptr;
};

Loaded &loaded() {
    static Loaded l = [] {
        Loaded x;
        std::string error;
        x.library = platform::load_library("TmData32W.dll", &error);
        if (!x.library) std::fprintf(stderr, "data library: %s\n", error.c_str());
        x.entry = reinterpret_cast<TmDllEntry>(platform::find_symbol(x.library, "TmDll32W"));
        return x;
    }();
    return l;
}

}  // namespace

platform::LibraryHandle data_library() { return loaded().library; }
TmDllEntry data_entry() { return loaded().entry; }

void DataHost::SetUp() {
    ModuleHost::SetUp();
    ASSERT_NE(data_entry(), nullptr);
    start_data();
}

void DataHost::TearDown() {
    if (dataStarted) stop_data();
    ModuleHost::TearDown();
}

DataServices DataHost::find_data_services() const {
    auto find = [](const char *name) {
        return modtest::kernel().SearchKey(name, int(std::char_traits<char>::length(name)), -256);
    };
    DataServices s;
    s.reg = reinterpret_cast<TmRegTmDataType>(find("RegTmDataType"));
    s.is = reinterpret_cast<TmIsTmData>(find("IsTmData"));
    s.newArray = reinterpret_cast<TmNewTmDataArray>(find("NewTmDataArray"));
    s.delArray = reinterpret_cast<TmDelTmDataArray>(find("DelTmDataArray"));
    s.cls = reinterpret_cast<TmTmDataClass>(find("TmDataClass"));
    s.payload = reinterpret_cast<TmTmDataPayload>(find("TmDataPayload"));
    return s;
}

void DataHost::start_data() {
    ASSERT_EQ(data_entry()(modtest::kernel_library(), 1, nullptr), 1);
    dataStarted = true;
    ds = find_data_services();
    ASSERT_NE(ds.reg, nullptr);
    ASSERT_NE(ds.is, nullptr);
    ASSERT_NE(ds.newArray, nullptr);
    ASSERT_NE(ds.delArray, nullptr);
    ASSERT_NE(ds.cls, nullptr);
    ASSERT_NE(ds.payload, nullptr);
}

void DataHost::stop_data() {
    EXPECT_EQ(data_entry()(modtest::kernel_library(), 0, nullptr), 1);
    dataStarted = false;
}

int64_t DataHost::eval(const std::u16string &formula) {
    std::vector<std::string> results = run(u"i: " + formula);
    EXPECT_EQ(results.size(), 1u) << platform::to_utf8(formula);
    if (results.size() != 1 || results[0].rfind("i:", 0) != 0) return INT64_MIN;
    return std::stoll(results[0].substr(2));
}

std::u16string DataHost::report_of(const std::u16string &program) {
    modtest::captured().messages.clear();
    run(program);
    return modtest::captured().messages;
}

std::u16string DataHost::text(int64_t value) { return platform::from_utf8(std::to_string(value)); }

int DataHost::kind_of(int64_t handle) const {
    int kind = -999;
    ds.is(handle, &kind);
    return kind;
}

}  // namespace datatest
