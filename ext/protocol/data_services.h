// The data library's services as the libraries built on it find them: the
// entry points it publishes as keys of type -256, and the kind codes it
// registers as integer constants.  Header-only: each library compiles its
// own copy of these few lines.
#pragma once

#include <cstdint>
#include <string>

#include "kernel_binding.h"
#include "platform/message_box.h"
#include "services.h"
#include "tamrix/tamrix_data.h"

namespace extproto {

// The text libraries show when they are started before the data library.
inline constexpr char16_t kNeedsDataLibrary[] =
    u"该库需要TmData32W.dll的支持！请先加载TmData32W.dll。";

// A start-up that found no data library: says so under the library's
// caption, forgets the kernel it bound, and gives TmDll32W's failure (0).
inline int refuse_without_data_library(const char16_t *caption) {
    platform::message_box(kNeedsDataLibrary, caption,
                          platform::kBoxOk | platform::kBoxIconInformation);
    release_kernel();
    return 0;
}

struct DataServices {
    TmRegTmDataType regType = nullptr;
    TmIsTmData isData = nullptr;
    TmNewTmDataArray newArray = nullptr;
    TmDelTmDataArray delArray = nullptr;
    TmTmDataPayload payload = nullptr;

    // All found: true.  A library refuses to start otherwise.
    bool find(const KernelExports &kernel) {
        regType = reinterpret_cast<TmRegTmDataType>(find_service(kernel, "RegTmDataType"));
        isData = reinterpret_cast<TmIsTmData>(find_service(kernel, "IsTmData"));
        newArray = reinterpret_cast<TmNewTmDataArray>(find_service(kernel, "NewTmDataArray"));
        delArray = reinterpret_cast<TmDelTmDataArray>(find_service(kernel, "DelTmDataArray"));
        payload = reinterpret_cast<TmTmDataPayload>(find_service(kernel, "TmDataPayload"));
        return regType && isData && newArray && delArray && payload;
    }
};

// The value of the integer constant `name` (a kind code such as "wchar_s"),
// or 0 when there is none or it does not fit an int.
inline int integer_constant(const KernelExports &kernel, const char16_t *name) {
    if (!kernel.ExMsgWithTamrix) return 0;
    intptr_t address = kernel.ExMsgWithTamrix(7, const_cast<char16_t *>(name), nullptr, nullptr);
    if (!address) return 0;
    int64_t value = *reinterpret_cast<const int64_t *>(address);
    return value >= INT32_MIN && value <= INT32_MAX ? int(value) : 0;
}

}  // namespace extproto
