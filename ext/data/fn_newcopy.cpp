// newcopy: a new object of the same kind and shape, classes copied deeply
// with shared members and cycles kept in shape.
#include <unordered_map>
#include <vector>

#include "args.h"
#include "copy.h"
#include "creation.h"
#include "kinds.h"
#include "objects.h"
#include "report.h"
#include "script_functions.h"

namespace tmdata {

namespace {

constexpr std::u16string_view kPrefix = u"newcopy：";

// One newcopy call: the classes copied so far (source -> copy), so a busy
// class met again is taken from here instead of being copied twice.
struct DeepCopy {
    Library &lib;
    TmCallContext *ctx;
    std::unordered_map<uint32_t, uint32_t> copies;
    std::vector<uint32_t> marked;  // classes whose busy flag this call set
    bool failed = false;           // a nested copy was refused

    ~DeepCopy() { unmark(); }

    void unmark() {
        for (uint32_t h : marked) {
            if (TmDataClassBlock *block = find_class(h)) block->busy = 0;
        }
        marked.clear();
    }

    // The copy as a whole: a copy that could not be completed is deleted
    // again (its flags cleared first, so its own members go with it) rather
    // than handed out half made.
    uint32_t finish(uint32_t h) {
        unmark();
        if (failed && h) {
            delete_object_fully(lib, h);
            return 0;
        }
        return h;
    }

    // Counts a creation against the object limit.
    bool may_create() {
        if (below_object_limit(lib)) return true;
        report(ctx, u"new：TmData数据个数已达设定的最大值。");
        return false;
    }
    uint32_t counted(uint32_t h) {
        if (h) ++lib.liveCount;
        return h;
    }

    // Flags the class as being copied; a flag set before this call stays.
    void mark(uint32_t h) {
        TmDataClassBlock *block = find_class(h);
        if (block->busy) return;
        marked.push_back(h);
        block->busy = 1;
    }

    // A scalar, array or external object: new from the kind, then copied.
    uint32_t copy_plain(const ObjectEntry &source) {
        if (!may_create()) {
            failed = true;
            return 0;
        }
        uint32_t h = 0;
        if (is_scalar_kind(source.kind)) {
            h = create_scalar(lib, source.kind, source.kind);
        } else if (is_array_kind(source.kind)) {
            h = create_array(lib, source.kind, source.kind,
                             static_cast<TmDataArray *>(source.payload)->dims);
        } else {
            int kind;
            TypeEntry *external;
            if (resolve_type(lib, source.kind, &kind, &external) && external) {
                h = create_external(lib, *external, kind, source.kind);
            }
        }
        if (h) counted(h);
        if (h && !copy_object(lib, ctx, h, source.handle, CopyMode::kSameKind, 0)) {
            delete_object_fully(lib, h);
            h = 0;
        }
        if (!h) failed = true;
        return h;
    }

    // Members first .. last of the class `source` into a new class.
    uint32_t copy_class(uint32_t source, int first, int last, bool whole, int depth) {
        if (too_deep(lib, depth)) {
            report_error(ctx, 1, kPrefix, u"类层次太深，无法继续操作。");
            return 0;
        }
        if (!may_create()) return 0;
        const TmDataClassBlock *from = find_class(source);
        const int length = last - first + 1;
        const int capacity = whole ? from->capacity : length;
        const int slots = length == 0 && whole ? 0 : capacity;
        uint32_t h = counted(create_class(lib, length, slots, TMD_CLASS));
        if (!h) {
            report_error(ctx, 1, kPrefix, u"内存错误。");
            return 0;
        }
        copies.emplace(source, h);
        mark(source);
        mark(h);
        for (int i = first; i <= last; ++i) {
            // Blocks are found again each round: nothing here frees them, but
            // a copy function of an external type runs foreign code.
            from = find_class(source);
            TmDataClassBlock *to = find_class(h);
            if (!from || !to) break;
            const int k = i - first;
            to->attributes[k] = from->attributes[i];
            if (from->names[i]) {
                to->names[k] = copy_name(from->names[i]);
                if (!to->names[k]) report_error(ctx, 1, kPrefix, u"内存错误。");
            }
            to->values[k] = copy_member(from->values[i], from->attributes[i], depth);
        }
        return h;
    }

    int64_t copy_member(int64_t value, unsigned char attribute, int depth) {
        const auto handle = uint32_t(value);
        ObjectEntry *member = attribute == 1 ? find_object(lib, handle) : nullptr;
        if (!member) return value;
        if (member->kind != TMD_CLASS) return copy_plain(*member);
        if (static_cast<TmDataClassBlock *>(member->payload)->busy) {
            auto it = copies.find(handle);
            return it != copies.end() ? it->second : value;
        }
        const TmDataClassBlock *block = static_cast<TmDataClassBlock *>(member->payload);
        uint32_t h = copy_class(handle, 0, block->length - 1, true, depth + 1);
        if (!h) failed = true;
        return h;
    }
};

template <typename A>
typename A::Result script_newcopy(const A &a) {
    Library &lib = *library();
    const int m = a.last();
    if (m < 0) return A::none();
    if (m > 2) {
        report_error(a.ctx(), 1, kPrefix, u"参数太多或者太少。");
        return A::none();
    }
    ObjectEntry *source = find_object(lib, a.handle(0));
    DeepCopy copy{lib, a.ctx(), {}, {}};
    if (m == 0) {
        if (!source) return A::none();
        if (source->kind != TMD_CLASS) {
            return A::handle_result(copy.finish(copy.copy_plain(*source)));
        }
        auto *block = static_cast<TmDataClassBlock *>(source->payload);
        return A::handle_result(
            copy.finish(copy.copy_class(source->handle, 0, block->length - 1, true, 0)));
    }
    if (!source || source->kind != TMD_CLASS) {
        report_error(a.ctx(), 1, kPrefix, u"不是一个类指针。");
        return A::none();
    }
    auto *block = static_cast<TmDataClassBlock *>(source->payload);
    const int64_t first = a.integer(1);
    const int64_t last = m == 2 ? a.integer(2) : block->length - 1;
    if (!(0 <= first && first <= last && last < block->length)) {
        report_error(a.ctx(), 1, kPrefix, u"指定的子类不存在。");
        return A::none();
    }
    return A::handle_result(
        copy.finish(copy.copy_class(source->handle, int(first), int(last), false, 0)));
}

}  // namespace

TMDATA_INT_ENTRY(int_newcopy, script_newcopy)
TMDATA_REAL_ENTRY(real_newcopy, script_newcopy)

}  // namespace tmdata
