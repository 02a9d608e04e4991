// The extension protocol seen from a host: start-up, a second start,
// shutdown, failures that must leave nothing behind, the helper's tables and
// message boxes.
#include <string>

#include "ext/protocol/key_types.h"
#include "module_host.h"
#include "platform/message_box.h"

namespace modtest {
namespace {

using Boxes = std::vector<std::u16string>;

class Protocol : public ModuleHost {
protected:
    bool compiles(const std::u16string &source) { return kernel_compile(source) == 0; }
    bool service_present(const char *name) {
        return kernel().SearchKey(name, int(std::char_traits<char>::length(name)), -256) != nullptr;
    }
    void stop_module_library() {
        ASSERT_EQ(module_entry()(kernel_library(), 0, nullptr), 1);
        started = false;
    }
};

double TM_CALL host_stop(int, double *, TmCallContext *) { return 99; }
void TM_CALL host_delete(void *) {}

const char *const kServices[] = {"UseTamrix", "ComModule", "ExeModule", "DeleteModule",
                                 "ExeTmDll32W"};

TEST_F(Protocol, StartingTwiceFailsWithoutDisturbingTheFirst) {
    Services before = find_services();
    EXPECT_EQ(module_entry()(kernel_library(), 1, nullptr), 0);
    Services after = find_services();
    EXPECT_EQ(after.com, before.com);
    EXPECT_EQ(after.use, before.use);
    EXPECT_EQ(run(u"SetTalk(2); stop(); 5"), (std::vector<std::string>{"r:2", "r:0"}));
    EXPECT_TRUE(captured().boxes.empty());
}

TEST_F(Protocol, AfterShutdownServicesAndScriptFunctionsAreGone) {
    for (const char *name : kServices) EXPECT_TRUE(service_present(name)) << name;
    EXPECT_TRUE(compiles(u"stop()"));
    Compiled c = compile(u"~kept()=1; kept()");
    ASSERT_EQ(c.rc, 0);
    stop_module_library();
    for (const char *name : kServices) EXPECT_FALSE(service_present(name)) << name;
    for (const char16_t *f : {u"stop()", u"err()", u"SetTalk(1)", u"MTamrixVer()"}) {
        EXPECT_FALSE(compiles(f));
    }
    // The modules went with the library.
    EXPECT_FALSE(compiles(u"kept()"));
    EXPECT_EQ(formulas_in(c.moduleNo), 0);
    // Shutting down again has nothing to undo; a fresh start works.
    EXPECT_EQ(module_entry()(kernel_library(), 0, nullptr), 0);
    ASSERT_EQ(module_entry()(kernel_library(), 1, nullptr), 1);
    started = true;
    svc = find_services();
    EXPECT_EQ(run(u"2+2"), (std::vector<std::string>{"r:4"}));
}

TEST_F(Protocol, ServicesOfAStoppedLibraryAnswerSafely) {
    Services old = svc;
    stop_module_library();
    int moduleNo = 0;
    TmModuleNode *list = reinterpret_cast<TmModuleNode *>(1);
    EXPECT_EQ(old.com(u"1", &moduleNo, &list, nullptr, nullptr), 1);
    EXPECT_EQ(list, nullptr);
    old.exe(nullptr, nullptr, nullptr, nullptr);
    old.del(1);
    EXPECT_EQ(old.use(2), 0);
    EXPECT_EQ(old.use(0), 0);
}

TEST_F(Protocol, ATakenServiceNameUndoesEverything) {
    stop_module_library();
    void *none = nullptr;
    ASSERT_EQ(kernel().InsertKey("ExeModule", 9, -256, reinterpret_cast<void *>(host_stop),
                                 host_delete, &none),
              0);
    EXPECT_EQ(module_entry()(kernel_library(), 1, nullptr), 0);
    EXPECT_FALSE(service_present("UseTamrix"));
    EXPECT_FALSE(service_present("ComModule"));
    EXPECT_TRUE(service_present("ExeModule"));  // the other owner's, untouched
    EXPECT_FALSE(compiles(u"stop()"));
    // No key type was kept.
    auto token = +[]() {};
    EXPECT_EQ(kernel().LockKeyType(extproto::kFirstLibraryKeyType, host_delete, token), 0);
}

TEST_F(Protocol, TheLibraryTakesTheFirstFreePrivateKeyType) {
    stop_module_library();
    auto token = +[]() {};
    ASSERT_EQ(kernel().LockKeyType(-356, host_delete, token), 0);
    ASSERT_EQ(module_entry()(kernel_library(), 1, nullptr), 1);
    started = true;
    svc = find_services();
    EXPECT_NE(kernel().LockKeyType(-357, host_delete, token), 0);  // the library's now
    EXPECT_EQ(run(u"3"), (std::vector<std::string>{"r:3"}));
    stop_module_library();
    EXPECT_EQ(kernel().LockKeyType(-357, host_delete, token), 0);
}

TEST_F(Protocol, AFailedRegistrationIsReportedAndItsNameLeftAlone) {
    stop_module_library();
    ASSERT_EQ(kernel().SetFunction(5, u"stop", reinterpret_cast<void *>(host_stop), -1), 0);
    ASSERT_EQ(module_entry()(kernel_library(), 1, nullptr), 1);
    started = true;
    svc = find_services();
    EXPECT_EQ(captured().boxes, (Boxes{u"stop|MTamrix32注册函数失败！"}));
    EXPECT_EQ(run(u"stop(); 2"), (std::vector<std::string>{"r:99", "r:2"}));
    stop_module_library();
    // The host's "stop" survives the library's shutdown.
    EXPECT_TRUE(compiles(u"stop()"));
    EXPECT_FALSE(compiles(u"SetTalk(1)"));
}

TEST_F(Protocol, MissingKernelExportsFailStartUpBeforeAnythingIsRegistered) {
    EXPECT_EQ(module_entry()(nullptr, 1, nullptr), 0);
    platform::LibraryHandle fake = platform::load_library("TmFakeKernel.dll");
    ASSERT_NE(fake, nullptr);
    auto calls = reinterpret_cast<int (*)()>(platform::find_symbol(fake, "FakeKernelCalls"));
    EXPECT_EQ(module_entry()(fake, 1, nullptr), 0);
    EXPECT_EQ(calls(), 0);
    platform::close_library(fake);
    // The real library is still started and bound to the real kernel.
    EXPECT_EQ(run(u"1"), (std::vector<std::string>{"r:1"}));
}

TEST_F(Protocol, ExeTmDll32WCallsAnEntryOnTheCallersBehalf) {
    platform::LibraryHandle probe = platform::load_library("TmProtocolProbe.dll");
    ASSERT_NE(probe, nullptr);
    auto entry = reinterpret_cast<TmDllEntry>(platform::find_symbol(probe, "TmDll32W"));
    EXPECT_EQ(svc.exeTmDll(entry, kernel_library(), 1, nullptr), 1);
    EXPECT_TRUE(service_present("TmProbeA"));
    EXPECT_EQ(svc.exeTmDll(entry, kernel_library(), 0, nullptr), 1);
    EXPECT_FALSE(service_present("TmProbeA"));
    EXPECT_EQ(svc.exeTmDll(nullptr, kernel_library(), 1, nullptr), 0);
    platform::close_library(probe);
}

class ProtocolHelper : public Protocol {
protected:
    void SetUp() override {
        Protocol::SetUp();
        probe = platform::load_library("TmProtocolProbe.dll");
        ASSERT_NE(probe, nullptr);
        entry = reinterpret_cast<TmDllEntry>(platform::find_symbol(probe, "TmDll32W"));
        keyType = reinterpret_cast<int (*)()>(platform::find_symbol(probe, "TmProbeKeyType"));
        captured().boxes.clear();
    }
    void TearDown() override {
        entry(kernel_library(), 0, nullptr);
        platform::close_library(probe);
        Protocol::TearDown();
    }
    platform::LibraryHandle probe = nullptr;
    TmDllEntry entry = nullptr;
    int (*keyType)() = nullptr;
};

TEST_F(ProtocolHelper, RegistersTablesAndRemovesExactlyWhatSucceeded) {
    ASSERT_EQ(kernel().SetFunction(5, u"probe::taken", reinterpret_cast<void *>(host_stop), -1), 0);
    ASSERT_EQ(entry(kernel_library(), 1, nullptr), 1);
    EXPECT_EQ(captured().boxes,
              (Boxes{u"probe::taken|TmProbe 注册函数失败！", u"|TmProbe 注册函数失败！"}));
    EXPECT_TRUE(compiles(u"probe::one()+probe_pi"));
    EXPECT_TRUE(service_present("TmProbeA"));
    EXPECT_TRUE(service_present("TmProbeB"));
    EXPECT_LE(keyType(), -356);

    auto token = +[]() {};
    const int type = keyType();
    ASSERT_EQ(entry(kernel_library(), 0, nullptr), 1);
    EXPECT_FALSE(compiles(u"probe::one()"));
    EXPECT_FALSE(compiles(u"probe_pi"));
    EXPECT_TRUE(compiles(u"probe::taken()"));  // the host's, left in place
    EXPECT_FALSE(service_present("TmProbeA"));
    EXPECT_FALSE(service_present("TmProbeB"));
    EXPECT_EQ(kernel().LockKeyType(type, host_delete, token), 0);
    EXPECT_EQ(kernel().LockKeyType(type, nullptr, token), 0);
}

TEST_F(ProtocolHelper, AMissingServiceIsShownAndNothingIsLeft) {
    EXPECT_EQ(entry(kernel_library(), 1, u"need=NoSuchService"), 0);
    EXPECT_EQ(captured().boxes, (Boxes{u"TmProbe|该库需要NoSuchService的支持！"}));
    EXPECT_FALSE(service_present("TmProbeA"));
    EXPECT_FALSE(compiles(u"probe::one()"));
    // A service that exists satisfies it.
    EXPECT_EQ(entry(kernel_library(), 1, u"need=ComModule"), 1);
}

TEST_F(ProtocolHelper, APartialPublicationIsWithdrawn) {
    void *none = nullptr;
    ASSERT_EQ(kernel().InsertKey("TmProbeB", 8, -256, reinterpret_cast<void *>(host_stop),
                                 host_delete, &none),
              0);
    EXPECT_EQ(entry(kernel_library(), 1, nullptr), 0);
    EXPECT_FALSE(service_present("TmProbeA"));
    EXPECT_TRUE(service_present("TmProbeB"));
    EXPECT_FALSE(compiles(u"probe::one()"));
    kernel().DeletePrivateKey("TmProbeB", 8, -256, host_delete);
    EXPECT_EQ(entry(kernel_library(), 1, nullptr), 1);
}

TEST(MessageBox, GoesToTheHostHandlerOrToStandardError) {
    EXPECT_EQ(platform::default_answer(platform::kBoxOk), platform::kAnswerOk);
    EXPECT_EQ(platform::default_answer(platform::kBoxYesNo | platform::kBoxIconQuestion),
              platform::kAnswerYes);
    EXPECT_EQ(platform::default_answer(platform::kBoxYesNoCancel), platform::kAnswerYes);
    EXPECT_EQ(platform::default_answer(platform::kBoxOkCancel), platform::kAnswerOk);

    platform::set_key_search(nullptr);
    testing::internal::CaptureStderr();
    int answer = platform::message_box(u"内存分配失败！", u"OpenTM", platform::kBoxYesNo);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "OpenTM: 内存分配失败！\n");
    EXPECT_EQ(answer, platform::kAnswerYes);

    // A host handler answers instead.
    static const auto search = +[](const void *key, int len, int type) -> void * {
        if (type != 256 || std::string(static_cast<const char *>(key), size_t(len)) != "MTM_MessageBox") {
            return nullptr;
        }
        return reinterpret_cast<void *>(+[](const char16_t *text, const char16_t *caption,
                                            int style) -> int {
            return std::u16string(text) == u"t" && std::u16string(caption) == u"c" ? style + 100 : -1;
        });
    };
    platform::set_key_search(search);
    EXPECT_EQ(platform::message_box(u"t", u"c", 4), 104);
    platform::set_key_search(nullptr);
}

}  // namespace
}  // namespace modtest
