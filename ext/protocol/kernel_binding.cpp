#include "kernel_binding.h"

#include <cstring>

#include "platform/loader.h"
#include "platform/message_box.h"

namespace extproto {

namespace {

// One export: its name and a way to store its address into a slot.
struct ExportSlot {
    const char *name;
    void (*store)(KernelExports &, void *);
};

#define TAMRIX_EXPORT_ENTRY(export_name)                                                     \
    {#export_name, [](KernelExports &k, void *address) {                                    \
         k.export_name = reinterpret_cast<decltype(KernelExports::export_name)>(address);   \
     }},
constexpr ExportSlot kExports[] = {TM_KERNEL_EXPORTS(TAMRIX_EXPORT_ENTRY)};
#undef TAMRIX_EXPORT_ENTRY

bool is_known(std::string_view name) {
    for (const ExportSlot &slot : kExports) {
        if (name == slot.name) return true;
    }
    return false;
}

bool is_needed(std::initializer_list<std::string_view> needed, const char *name) {
    for (std::string_view n : needed) {
        if (n == name) return true;
    }
    return false;
}

}  // namespace

bool bind_kernel(void *kernel, std::initializer_list<std::string_view> needed,
                 KernelExports &out) {
    out = KernelExports{};
    if (!kernel) return false;
    for (std::string_view n : needed) {
        if (!is_known(n)) return false;
    }
    KernelExports bound;
    for (const ExportSlot &slot : kExports) {
        void *address = platform::find_symbol(kernel, slot.name);
        if (!address && is_needed(needed, slot.name)) return false;
        slot.store(bound, address);
    }
    out = bound;
    if (out.SearchKey) {
        platform::set_key_search(reinterpret_cast<platform::KeySearchFunction>(out.SearchKey));
    }
    return true;
}

void release_kernel() { platform::set_key_search(nullptr); }

}  // namespace extproto
