// A tiny extension library built on the protocol helper, for its tests.
// Its argument may say "need=NAME": start-up then requires that service.
// It publishes "TmProbeA" and "TmProbeB", takes a private key type, and
// registers a function table in which "probe::taken" fails when a host has
// taken that name, plus one constant.
#include <string>

#include "ext/protocol/key_types.h"
#include "ext/protocol/registrations.h"
#include "ext/protocol/services.h"
#include "platform/message_box.h"
#include "platform/text.h"

namespace {

struct Probe {
    extproto::KernelExports kernel;
    extproto::ServiceSet services;
    extproto::Registrations registrations;
    int keyType = 0;
    bool started = false;
} g_probe;

void TM_CALL probe_token() {}
void TM_CALL probe_key_delete(void *) {}

int TM_CALL probe_service() { return 42; }
double TM_CALL probe_one(int, double *, TmCallContext *) { return 1; }

const double kProbePi = 3.25;

const extproto::ScriptFunction kFunctions[] = {
    {extproto::kRealFunction, u"probe::one", reinterpret_cast<void *>(probe_one), -1},
    {extproto::kRealFunction, u"probe::taken", reinterpret_cast<void *>(probe_one), -1},
    {extproto::kRealFunction, u"", reinterpret_cast<void *>(probe_one), -1},
};
const extproto::ScriptConstant kConstants[] = {
    {extproto::kRealConst, u"probe_pi", &kProbePi},
};

std::string needed_service(const char16_t *argument) {
    if (!argument) return {};
    std::string text = platform::to_utf8(argument);
    return text.rfind("need=", 0) == 0 ? text.substr(5) : std::string();
}

int start(void *kernel, const char16_t *argument) {
    Probe p;
    if (!extproto::bind_kernel(kernel, {"SearchKey", "InsertKey", "DeletePrivateKey", "LockKeyType",
                                        "SetFunction", "SetConst", "DeleteConstOrFunction"},
                               p.kernel)) {
        return 0;
    }
    std::string need = needed_service(argument);
    if (!need.empty() && !extproto::find_service(p.kernel, need)) {
        platform::message_box(u"该库需要" + platform::from_utf8(need) + u"的支持！", u"TmProbe",
                              platform::kBoxOk | platform::kBoxIconError);
        return 0;
    }
    for (const char *name : {"TmProbeA", "TmProbeB"}) {
        if (p.services.publish(p.kernel, name, reinterpret_cast<void *>(probe_service)) != 0) {
            p.services.withdraw_all(p.kernel);
            return 0;
        }
    }
    p.keyType = extproto::lock_private_key_type(p.kernel, probe_key_delete, probe_token);
    if (p.keyType == 0) {
        p.services.withdraw_all(p.kernel);
        return 0;
    }
    p.registrations.add_functions(p.kernel, kFunctions, u"TmProbe 注册函数失败！");
    p.registrations.add_constants(p.kernel, kConstants, u"TmProbe 注册常量失败！");
    p.started = true;
    g_probe = std::move(p);
    return 1;
}

int stop() {
    if (!g_probe.started) return 0;
    extproto::unlock_private_key_type(g_probe.kernel, g_probe.keyType, probe_token);
    g_probe.services.withdraw_all(g_probe.kernel);
    g_probe.registrations.remove_all(g_probe.kernel);
    extproto::release_kernel();
    g_probe = Probe{};
    return 1;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int TmDll32W(void *kernel, int init,
                                                               const char16_t *argument) {
    if (init) return g_probe.started ? 0 : start(kernel, argument);
    return stop();
}

// The key type the probe took (0 when stopped).
extern "C" __attribute__((visibility("default"))) int TmProbeKeyType() { return g_probe.keyType; }
