#include "registrations.h"

#include <new>

#include "platform/message_box.h"

namespace extproto {

namespace {

std::u16string caption_of(const char16_t *name) { return name ? std::u16string(name) : u""; }

}  // namespace

void Registrations::report_failure(const std::u16string &failureText,
                                   const char16_t *name) const {
    const int style = style_ >= 0 ? style_ : platform::kBoxOk | platform::kBoxIconError;
    try {
        if (nameAsText_) {
            platform::message_box(caption_of(name), failureText, style);
        } else {
            platform::message_box(failureText, caption_of(name), style);
        }
    } catch (const std::bad_alloc &) {
        // Out of memory while reporting: the row still counts as failed.
    }
}

// Registers each row with `add` (SetFunction or SetConst).  The row is
// remembered before it is registered, so that a success can always be
// recorded; a failure forgets it again.
template <typename Row, typename Add>
int Registrations::add_rows(std::span<const Row> rows, Add add, const std::u16string &failureText) {
    int failed = 0;
    for (const Row &row : rows) {
        bool ok = row.name && remember(row.type, row.name);
        if (ok && add(row) != 0) {
            done_.pop_back();
            ok = false;
        }
        if (ok) continue;
        ++failed;
        report_failure(failureText, row.name);
    }
    return failed;
}

bool Registrations::remember(int type, const char16_t *name) {
    try {
        done_.push_back({type, std::u16string(name)});
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

int Registrations::add_functions(const KernelExports &kernel, std::span<const ScriptFunction> rows,
                                 const std::u16string &failureText) {
    if (!kernel.SetFunction) return int(rows.size());
    auto add = [&](const ScriptFunction &r) {
        return kernel.SetFunction(r.type, r.name, r.entry, r.lastParam);
    };
    return add_rows(rows, add, failureText);
}

int Registrations::add_constants(const KernelExports &kernel, std::span<const ScriptConstant> rows,
                                 const std::u16string &failureText) {
    if (!kernel.SetConst) return int(rows.size());
    auto add = [&](const ScriptConstant &r) { return kernel.SetConst(r.type, r.name, r.value); };
    return add_rows(rows, add, failureText);
}

void Registrations::remove_all(const KernelExports &kernel) {
    while (!done_.empty()) {
        const Registered &r = done_.back();
        if (kernel.DeleteConstOrFunction) kernel.DeleteConstOrFunction(r.type, r.name.c_str());
        done_.pop_back();
    }
}

}  // namespace extproto
