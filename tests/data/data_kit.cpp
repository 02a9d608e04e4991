// A test extension library that reaches class members through the data
// library's services, as the string and system libraries do: scripts use it
// to build chains, shared members and cycles of classes, which the data
// library's own script functions cannot link.  Integer functions:
//   kit::setp(class, i, value)   member i's value; 1 done, 0 refused
//   kit::seta(class, i, attr)    member i's attribute (1 owned, 0 not)
//   kit::getp(class, i)          member i's value, 0 when refused
//   kit::busy(class)             the class's busy flag, -1 for no class
// Start-up fails without the data library's services.
#include <cstdint>

#include "ext/protocol/kernel_binding.h"
#include "ext/protocol/registrations.h"
#include "ext/protocol/services.h"
#include "platform/message_box.h"
#include "tamrix/tamrix_data.h"

namespace {

struct Kit {
    extproto::KernelExports kernel;
    extproto::Registrations registrations;
    TmIsTmData isTmData = nullptr;
    TmTmDataClass dataClass = nullptr;
    TmTmDataPayload payload = nullptr;
    bool started = false;
} g_kit;

// The class block's member arrays when h names a class and i is a member.
struct Member {
    int64_t *value = nullptr;
    unsigned char *attribute = nullptr;
};

Member member(TmCallContext *ctx, int64_t h, int64_t i) {
    int kind = 0;
    if (g_kit.isTmData(h, &kind) == 0 || kind != TMD_CLASS) return {};
    int capacity = 0, length = 0;
    int64_t *values = nullptr;
    char16_t **names = nullptr;
    unsigned char *attributes = nullptr;
    if (!g_kit.dataClass(ctx, h, 0, &capacity, &length, &values, &names, &attributes)) return {};
    if (i < 0 || i >= length) return {};
    return {values + i, attributes + i};
}

int64_t TM_CALL kit_setp(int, int64_t *a, TmCallContext *ctx) {
    Member m = member(ctx, a[0], a[1]);
    if (!m.value) return 0;
    *m.value = a[2];
    return 1;
}

int64_t TM_CALL kit_seta(int, int64_t *a, TmCallContext *ctx) {
    Member m = member(ctx, a[0], a[1]);
    if (!m.attribute) return 0;
    *m.attribute = static_cast<unsigned char>(a[2]);
    return 1;
}

int64_t TM_CALL kit_getp(int, int64_t *a, TmCallContext *ctx) {
    Member m = member(ctx, a[0], a[1]);
    return m.value ? *m.value : 0;
}

int64_t TM_CALL kit_busy(int, int64_t *a, TmCallContext *) {
    int kind = 0;
    if (g_kit.isTmData(a[0], &kind) == 0 || kind != TMD_CLASS) return -1;
    auto *block = static_cast<TmDataClassBlock *>(g_kit.payload(a[0]));
    return block ? block->busy : -1;
}

void *entry(int64_t(TM_CALL *f)(int, int64_t *, TmCallContext *)) {
    return reinterpret_cast<void *>(f);
}

const extproto::ScriptFunction kFunctions[] = {
    {extproto::kIntFunction, u"kit::setp", entry(kit_setp), 2},
    {extproto::kIntFunction, u"kit::seta", entry(kit_seta), 2},
    {extproto::kIntFunction, u"kit::getp", entry(kit_getp), 1},
    {extproto::kIntFunction, u"kit::busy", entry(kit_busy), 0},
};

int start(void *kernel) {
    Kit k;
    if (!extproto::bind_kernel(kernel, {"SearchKey", "SetFunction", "DeleteConstOrFunction"},
                               k.kernel))
        return 0;
    k.isTmData = reinterpret_cast<TmIsTmData>(extproto::find_service(k.kernel, "IsTmData"));
    k.dataClass = reinterpret_cast<TmTmDataClass>(extproto::find_service(k.kernel, "TmDataClass"));
    k.payload = reinterpret_cast<TmTmDataPayload>(extproto::find_service(k.kernel, "TmDataPayload"));
    if (!k.isTmData || !k.dataClass || !k.payload) {
        platform::message_box(u"该库需要TmData32W的支持！", u"TmDataKit",
                              platform::kBoxOk | platform::kBoxIconError);
        extproto::release_kernel();
        return 0;
    }
    k.registrations.add_functions(k.kernel, kFunctions, u"TmDataKit 注册函数失败！");
    k.started = true;
    g_kit = std::move(k);
    return 1;
}

int stop() {
    if (!g_kit.started) return 0;
    g_kit.registrations.remove_all(g_kit.kernel);
    extproto::release_kernel();
    g_kit = Kit{};
    return 1;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int TmDll32W(void *kernel, int init,
                                                               const char16_t *) {
    if (init) return g_kit.started ? 0 : start(kernel);
    return stop();
}
