// copy: one object onto another, strict or loose, classes recursively.
#include <cstring>

#include "args.h"
#include "array_writes.h"
#include "copy.h"
#include "kinds.h"
#include "objects.h"
#include "report.h"
#include "script_functions.h"
#include "types.h"

namespace tmdata {

namespace {

bool compatible(const ObjectEntry &d, const ObjectEntry &s, CopyMode mode) {
    switch (mode) {
    case CopyMode::kStrict: return d.typeId == s.typeId;
    case CopyMode::kSameKind: return d.kind == s.kind;
    case CopyMode::kLoose:
        if (is_scalar_kind(d.kind) || is_array_kind(d.kind)) return same_size_group(d.kind, s.kind);
        return d.kind == s.kind;
    }
    return false;
}

bool copy_array(TmCallContext *ctx, const ObjectEntry &d, const ObjectEntry &s) {
    const auto &to = *static_cast<TmDataArray *>(d.payload);
    const auto &from = *static_cast<TmDataArray *>(s.payload);
    if (to.dims[1] != from.dims[1]) {
        report(ctx, u"copy：数组长度不匹配。");
        return false;
    }
    if (to.dims[0] != from.dims[0] ||
        std::memcmp(to.dims, from.dims, sizeof(int) * size_t(to.dims[0])) != 0) {
        report(ctx, u"copy：数组类型不匹配。");
        return false;
    }
    std::memmove(to.buffer, from.buffer, size_t(to.dims[1]) * element_size(d.kind));
    return true;
}

bool same_name(const char16_t *a, const char16_t *b) {
    if (!a || !b) return a == b;
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

bool copy_members(Library &lib, TmCallContext *ctx, TmDataClassBlock &to,
                  const TmDataClassBlock &from, CopyMode mode, int depth) {
    for (int i = 0; i < from.length; ++i) {
        if (!same_name(to.names[i], from.names[i]) || to.attributes[i] != from.attributes[i]) {
            report(ctx, u"copy：类成员不匹配。");
            return false;
        }
        const bool sourceLive = find_object(lib, uint32_t(from.values[i])) != nullptr;
        const bool destinationLive = find_object(lib, uint32_t(to.values[i])) != nullptr;
        if (sourceLive != destinationLive) {
            report(ctx, u"copy：同名类成员的一个指针有效而另一个指针无效。");
            return false;
        }
        if (!sourceLive) {
            to.values[i] = from.values[i];
        } else if (!copy_object(lib, ctx, uint32_t(to.values[i]), uint32_t(from.values[i]), mode,
                                depth + 1)) {
            return false;
        }
    }
    return true;
}

bool copy_class(Library &lib, TmCallContext *ctx, const ObjectEntry &d, const ObjectEntry &s,
                CopyMode mode, int depth) {
    auto &to = *static_cast<TmDataClassBlock *>(d.payload);
    auto &from = *static_cast<TmDataClassBlock *>(s.payload);
    if (to.busy || from.busy) {
        report(ctx, u"copy：类层次结构不相同或者试图复制循环类。");
        return false;
    }
    if (&to == &from) return true;
    if (to.length != from.length) {
        report(ctx, u"copy：类型不匹配。");
        return false;
    }
    to.busy = from.busy = 1;
    const bool ok = copy_members(lib, ctx, to, from, mode, depth);
    to.busy = from.busy = 0;
    return ok;
}

bool copy_external(Library &lib, TmCallContext *ctx, ObjectEntry &d, const ObjectEntry &s) {
    TypeEntry *type = find_type(lib, d.kind);
    if (!type) {
        report(ctx, u"copy：致命错误：找不到外部数据类型标识！");
        return false;
    }
    if (!type->copy) {
        report(ctx, u"copy：不能进行该数据类型的复制！");
        return false;
    }
    void *to = d.payload;
    void *from = s.payload;
    if (!type->copy(0, &to, &from)) {
        report(ctx, u"copy：复制外部数据类型出错！");
        return false;
    }
    d.payload = to;  // the copy function may have replaced the object
    return true;
}

template <typename A>
typename A::Result script_copy(const A &a) {
    Library &lib = *library();
    if (a.last() != 1 && a.last() != 2) {
        report(a.ctx(), u"copy：只能有二个参数或三个参数。");
        return A::none();
    }
    const CopyMode mode = a.last() == 2 && a.integer(2) == 0 ? CopyMode::kLoose : CopyMode::kStrict;
    copy_object(lib, a.ctx(), a.handle(0), a.handle(1), mode, 0);
    return A::none();
}

}  // namespace

bool copy_object(Library &lib, TmCallContext *ctx, uint32_t destination, uint32_t source,
                 CopyMode mode, int depth) {
    note_array_write();
    if (too_deep(lib, depth)) {
        report(ctx, u"copy：类层次太多，无法复制。");
        return false;
    }
    ObjectEntry *d = find_object(lib, destination);
    ObjectEntry *s = find_object(lib, source);
    if (!d || !s) {
        report(ctx, u"copy：源操作数或者目的操作数不存在。");
        return false;
    }
    if (!compatible(*d, *s, mode)) {
        report(ctx, u"copy：类型不匹配。");
        return false;
    }
    if (d->kind == TMD_CLASS) return copy_class(lib, ctx, *d, *s, mode, depth);
    if (destination == source) return true;
    if (is_scalar_kind(d->kind)) {
        std::memmove(d->payload, s->payload, element_size(d->kind));
        return true;
    }
    if (is_array_kind(d->kind)) return copy_array(ctx, *d, *s);
    return copy_external(lib, ctx, *d, *s);
}

TMDATA_INT_ENTRY(int_copy, script_copy)
TMDATA_REAL_ENTRY(real_copy, script_copy)

}  // namespace tmdata
