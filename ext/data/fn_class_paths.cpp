// CSetLen, CSetAllAttr and the path functions CGetP…CSetAI: size and
// attributes of a class, values and attributes of members reached by a path
// of names or positions.
#include "class_args.h"
#include "class_edit.h"
#include "limits.h"
#include "script_functions.h"

namespace tmdata {

namespace {

int64_t set_len(const IntArgs &a) {
    const ClassCall call{a, u"CSetLen："};
    const int m = a.last();
    if (m != 1 && m != 2) return call.fail(u"只能有2个或3个参数。");
    if (!call.cls(0, u"不是一个类指针。")) return 0;
    const int64_t length = a.integer(1);
    const int64_t capacity = m == 2 ? a.integer(2) : length;
    if (length < 0 || length > capacity) return call.fail(u"类长度不符合要求。");
    if (uint64_t(capacity) > kMaxPayloadBytes / kClassSlotBytes) {
        return call.fail(u"内存错误。");
    }
    switch (set_class_length(*library(), a.handle(0), int(length), int(capacity))) {
    case SetLengthResult::kDone: return int64_t(a.handle(0));
    case SetLengthResult::kClassGone: return call.fail(u"循环类被删除。");
    case SetLengthResult::kNoMemory: return call.fail(u"内存错误。");
    }
    return 0;
}

int64_t set_all_attr(const IntArgs &a) {
    const ClassCall call{a, u"CSetAllAttr："};
    TmDataClassBlock *block = call.cls(0);
    if (!block) return 0;
    for (int i = 0; i < block->length; ++i) block->attributes[i] = a.integer(1) != 0 ? 1 : 0;
    return int64_t(a.handle(0));
}

// Follows the path in slots 1..last from the class in slot 0: each element
// names (or numbers) a member, each further one a member of the class the
// previous member holds.  The block and position of the last member, or
// false after a report.
bool follow_path(const ClassCall &call, int last, bool byName, TmDataClassBlock **block,
                 int *position) {
    *block = call.cls(0);
    if (!*block) return false;
    for (int e = 1; e <= last; ++e) {
        if (e > 1) {
            *block = call.cls_of_value((*block)->values[*position]);
            if (!*block) return false;
        }
        if (byName) {
            *position = call.member(**block, e);
            if (*position < 0) return false;
        } else {
            const int64_t p = call.a.integer(e);
            if (p < 0 || p >= (*block)->length) {
                call.fail(u"类成员不存在。");
                return false;
            }
            *position = int(p);
        }
    }
    return true;
}

enum class Part { kValue, kAttribute };

template <bool kByName, Part kPart>
int64_t get_path(const IntArgs &a) {
    constexpr std::u16string_view kPrefixes[2][2] = {{u"CGetPI：", u"CGetAI："},
                                                     {u"CGetP：", u"CGetA："}};
    const ClassCall call{a, kPrefixes[kByName][int(kPart)]};
    if (a.last() < 1) return call.fail(u"至少需要2个参数。");
    TmDataClassBlock *block;
    int position;
    if (!follow_path(call, a.last(), kByName, &block, &position)) return 0;
    return kPart == Part::kValue ? block->values[position] : block->attributes[position];
}

template <bool kByName, Part kPart>
int64_t set_path(const IntArgs &a) {
    constexpr std::u16string_view kPrefixes[2][2] = {{u"CSetPI：", u"CSetAI："},
                                                     {u"CSetP：", u"CSetA："}};
    const ClassCall call{a, kPrefixes[kByName][int(kPart)]};
    const int m = a.last();
    if (m < 2) return call.fail(u"至少需要3个参数。");
    TmDataClassBlock *block;
    int position;
    if (!follow_path(call, m - 1, kByName, &block, &position)) return 0;
    if (kPart == Part::kValue) {
        // Handles are 32-bit: the member keeps the low half, sign-extended.
        block->values[position] = int64_t(int32_t(a.integer(m)));
    } else {
        block->attributes[position] = a.integer(m) != 0 ? 1 : 0;
    }
    return int64_t(a.handle(0));
}

}  // namespace

TMDATA_INT_ENTRY(int_c_set_len, set_len)
TMDATA_INT_ENTRY(int_c_set_all_attr, set_all_attr)
TMDATA_INT_ENTRY(int_c_get_p, (get_path<true, Part::kValue>))
TMDATA_INT_ENTRY(int_c_get_pi, (get_path<false, Part::kValue>))
TMDATA_INT_ENTRY(int_c_set_p, (set_path<true, Part::kValue>))
TMDATA_INT_ENTRY(int_c_set_pi, (set_path<false, Part::kValue>))
TMDATA_INT_ENTRY(int_c_get_a, (get_path<true, Part::kAttribute>))
TMDATA_INT_ENTRY(int_c_get_ai, (get_path<false, Part::kAttribute>))
TMDATA_INT_ENTRY(int_c_set_a, (set_path<true, Part::kAttribute>))
TMDATA_INT_ENTRY(int_c_set_ai, (set_path<false, Part::kAttribute>))

}  // namespace tmdata
