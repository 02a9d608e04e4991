#include "registrations.h"

#include <new>

#include "platform/message_box.h"

namespace extproto {

namespace {

std::u16string caption_of(const char16_t *name) { return name ? std::u16string(name) : u""; }

void report_failure(const std::u16string &failureText, const char16_t *name) {
    try {
        platform::message_box(failureText, caption_of(name),
                              platform::kBoxOk | platform::kBoxIconError);
    } catch (const std::bad_alloc &) {
        // Out of memory while reporting: the row still counts as failed.
    }
}

}  // namespace

// The row is remembered before it is registered, so that a success can
// always be recorded; a failure forgets it again.
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
    int failed = 0;
    for (const ScriptFunction &row : rows) {
        bool ok = kernel.SetFunction && row.name && remember(row.type, row.name);
        if (ok && kernel.SetFunction(row.type, row.name, row.entry, row.lastParam) != 0) {
            done_.pop_back();
            ok = false;
        }
        if (ok) continue;
        ++failed;
        report_failure(failureText, row.name);
    }
    return failed;
}

int Registrations::add_constants(const KernelExports &kernel, std::span<const ScriptConstant> rows,
                                 const std::u16string &failureText) {
    int failed = 0;
    for (const ScriptConstant &row : rows) {
        bool ok = kernel.SetConst && row.name && remember(row.type, row.name);
        if (ok && kernel.SetConst(row.type, row.name, row.value) != 0) {
            done_.pop_back();
            ok = false;
        }
        if (ok) continue;
        ++failed;
        report_failure(failureText, row.name);
    }
    return failed;
}

void Registrations::remove_all(const KernelExports &kernel) {
    while (!done_.empty()) {
        const Registered &r = done_.back();
        if (kernel.DeleteConstOrFunction) kernel.DeleteConstOrFunction(r.type, r.name.c_str());
        done_.pop_back();
    }
}

}  // namespace extproto
