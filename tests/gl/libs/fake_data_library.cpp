// A stand-in for the data library in the graphics tests: it publishes
// "IsTmData" and "TmDataPayload", the integer constant "wchar_s", and two
// script functions that make character arrays: test_str("text") (one
// dimension) and test_str2d("text") (two dimensions, 1 x n).  The objects
// live until the library stops.
#include <bit>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/loader.h"
#include "tamrix/tamrix_data.h"
#include "tamrix/tamrix_ext.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Kernel {
    decltype(&::SetFunction) SetFunction = nullptr;
    decltype(&::SetConst) SetConst = nullptr;
    decltype(&::DeleteConstOrFunction) DeleteConstOrFunction = nullptr;
    decltype(&::InsertKey) InsertKey = nullptr;
    decltype(&::DeletePrivateKey) DeletePrivateKey = nullptr;
    decltype(&::GetForStr) GetForStr = nullptr;
} k;

struct Object {
    std::vector<int> dims;
    std::u16string text;
    TmDataArray payload{};
};
std::map<uint32_t, std::unique_ptr<Object>> g_objects;
uint32_t g_next = 1;

constexpr int kWcharArray = TMD_WCHAR_S;
const int64_t kWcharValue = kWcharArray;

void TM_CALL keep(void *) {}

int TM_CALL is_tm_data(int64_t handle, int *kind) {
    auto found = g_objects.find(uint32_t(handle));
    if (found == g_objects.end()) {
        if (kind) *kind = 0;
        return 0;
    }
    if (kind) *kind = kWcharArray;
    return kWcharArray;
}

void *TM_CALL payload(int64_t handle) {
    auto found = g_objects.find(uint32_t(handle));
    return found == g_objects.end() ? nullptr : &found->second->payload;
}

double make(int m, double *args, TmCallContext *ctx, bool twoDimensions) {
    if (m != 0) return 0;
    char16_t *area = nullptr;
    int first = 1, last = 0;
    k.GetForStr(ctx, &area, &first, &last);
    const double index = args[0];
    if (!area || index < first || index > last) return 0;
    auto object = std::make_unique<Object>();
    object->text = area + int64_t(index);
    const int n = int(object->text.size());
    object->dims = twoDimensions ? std::vector<int>{4, n, 1, n} : std::vector<int>{3, n, n};
    object->text.push_back(0);
    object->payload = {object->dims.data(), object->text.data()};
    const uint32_t handle = g_next++;
    g_objects[handle] = std::move(object);
    return std::bit_cast<double>(uint64_t(handle));
}

double TM_CALL test_str(int m, double *args, TmCallContext *ctx) { return make(m, args, ctx, false); }
double TM_CALL test_str2d(int m, double *args, TmCallContext *ctx) { return make(m, args, ctx, true); }

template <typename F> void bind(void *kernel, const char *name, F &slot) {
    slot = reinterpret_cast<F>(platform::find_symbol(kernel, name));
}

}  // namespace

FAKE_EXPORT int TM_CALL TmDll32W(void *kernel, int init, const char16_t *) {
    if (!init) {
        k.DeleteConstOrFunction(5, u"test_str");
        k.DeleteConstOrFunction(5, u"test_str2d");
        k.DeleteConstOrFunction(7, u"wchar_s");
        k.DeletePrivateKey("IsTmData", 8, TM_SERVICE_KEY_TYPE, keep);
        k.DeletePrivateKey("TmDataPayload", 13, TM_SERVICE_KEY_TYPE, keep);
        g_objects.clear();
        return 1;
    }
    bind(kernel, "SetFunction", k.SetFunction);
    bind(kernel, "SetConst", k.SetConst);
    bind(kernel, "DeleteConstOrFunction", k.DeleteConstOrFunction);
    bind(kernel, "InsertKey", k.InsertKey);
    bind(kernel, "DeletePrivateKey", k.DeletePrivateKey);
    bind(kernel, "GetForStr", k.GetForStr);
    if (!k.SetFunction || !k.SetConst || !k.DeleteConstOrFunction || !k.InsertKey ||
        !k.DeletePrivateKey || !k.GetForStr)
        return 0;
    void *now = nullptr;
    k.InsertKey("IsTmData", 8, TM_SERVICE_KEY_TYPE, reinterpret_cast<void *>(&is_tm_data), keep,
                &now);
    now = nullptr;
    k.InsertKey("TmDataPayload", 13, TM_SERVICE_KEY_TYPE, reinterpret_cast<void *>(&payload),
                keep, &now);
    k.SetConst(7, u"wchar_s", &kWcharValue);
    k.SetFunction(5, u"test_str", reinterpret_cast<void *>(&test_str), 0);
    k.SetFunction(5, u"test_str2d", reinterpret_cast<void *>(&test_str2d), 0);
    return 1;
}
