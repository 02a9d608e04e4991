// CSetItem, CSetItemI, CHasName, CDupName, CGetNameI, CSetName, CSetNameI:
// member values and names.
#include <cstdlib>

#include "class_args.h"
#include "script_functions.h"

namespace tmdata {

namespace {

// Stores the value of slot i into `position`; a following 0 argument makes
// the member's attribute 0 and is consumed.  The next slot to read.
int store_item(const IntArgs &a, TmDataClassBlock &block, int position, int i) {
    block.values[position] = a.integer(i + 1);
    if (i + 2 <= a.last() && a.integer(i + 2) == 0) {
        block.attributes[position] = 0;
        return i + 3;
    }
    return i + 2;
}

int64_t set_item(const IntArgs &a) {
    const ClassCall call{a, u"CSetItem："};
    TmDataClassBlock *block = call.cls(0, u"类不存在。");
    if (!block) return 0;
    for (int i = 1; i <= a.last();) {
        if (i + 1 > a.last() || !formula_string(*library(), a.ctx(), a.integer(i))) {
            return call.fail(u"类成员名不是一个字符串或者没有给出类成员的值。");
        }
        const int position = call.member(*block, i, u"”中不存在类成员：");
        if (position < 0) return 0;
        i = store_item(a, *block, position, i);
    }
    return int64_t(a.handle(0));
}

int64_t set_item_i(const IntArgs &a) {
    const ClassCall call{a, u"CSetItemI："};
    TmDataClassBlock *block = call.cls(0, u"类不存在。");
    if (!block) return 0;
    for (int i = 1; i <= a.last();) {
        const int64_t position = a.integer(i);
        if (i + 1 > a.last() || position < 0 || position >= block->length) {
            return call.fail(u"类成员不存在或者没有给出类成员的值。");
        }
        i = store_item(a, *block, int(position), i);
    }
    return int64_t(a.handle(0));
}

int64_t has_name(const IntArgs &a) {
    const ClassCall call{a, u"CHasName："};
    TmDataClassBlock *block = call.cls(0);
    if (!block) return 0;
    const char16_t *name = call.name(1);
    return name ? find_member(*block, name) : 0;
}

int64_t dup_name(const IntArgs &a) {
    const ClassCall call{a, u"CDupName："};
    TmDataClassBlock *block = call.cls(0);
    if (!block) return 0;
    const int64_t start = a.integer(1);
    if (start < 0 || start >= block->length) return call.fail(u"类成员初始地址非法。");
    for (int i = int(start); i < block->length; ++i) {
        if (!block->names[i]) continue;
        const std::u16string_view name = block->names[i];
        for (int j = i + 1; j < block->length; ++j) {
            if (block->names[j] && name == block->names[j]) {
                a.put_integer(2, i);
                a.put_integer(3, j);
                return 1;
            }
        }
    }
    return 0;
}

// The region of `size` characters at slot index in the calling formula's
// string area, or null when it does not lie inside.
char16_t *string_region(const IntArgs &a, int64_t index, int64_t size) {
    char16_t *area = nullptr;
    int first = 1, last = 0;
    library()->kernel.GetForStr(a.ctx(), &area, &first, &last);
    if (!area || size <= 0 || index < first || index > last || size > int64_t(last) - index + 1) {
        return nullptr;
    }
    return area + index;
}

int64_t get_name_i(const IntArgs &a) {
    const ClassCall call{a, u"CGetNameI："};
    TmDataClassBlock *block = call.cls(0);
    if (!block) return 0;
    const int64_t position = a.integer(1);
    const int64_t size = a.integer(3);
    char16_t *dest = string_region(a, a.integer(2), size);
    if (position < 0 || position >= block->length || !dest) {
        return call.fail(u"类成员不存在或者字符串地址错误。");
    }
    dest[0] = 0;
    const char16_t *name = block->names[position];
    if (!name) return 0;
    const std::u16string_view text(name);
    if (int64_t(text.size()) + 1 > size) return call.fail(u"字符串缓冲区太小。");
    text.copy(dest, text.size());
    dest[text.size()] = 0;
    return int64_t(a.handle(0));
}

// Gives member `position` a copy of the literal in slot i, or no name for 0.
int64_t rename(const ClassCall &call, TmDataClassBlock &block, int position, int i) {
    const char16_t *name = nullptr;
    if (call.a.integer(i) != 0) {
        name = formula_string(*library(), call.a.ctx(), call.a.integer(i));
        if (!name) return call.fail(u"类成员不存在或者字符串地址错误。");
    }
    char16_t *copy = nullptr;
    if (name && !(copy = copy_name(name))) return call.fail(u"内存错误。");
    std::free(block.names[position]);
    block.names[position] = copy;
    return int64_t(call.a.handle(0));
}

int64_t set_name(const IntArgs &a) {
    const ClassCall call{a, u"CSetName："};
    TmDataClassBlock *block = call.cls(0);
    if (!block) return 0;
    const int position = call.member(*block, 1);
    return position < 0 ? 0 : rename(call, *block, position, 2);
}

int64_t set_name_i(const IntArgs &a) {
    const ClassCall call{a, u"CSetNameI："};
    TmDataClassBlock *block = call.cls(0);
    if (!block) return 0;
    const int64_t position = a.integer(1);
    if (position < 0 || position >= block->length) {
        return call.fail(u"类成员不存在或者字符串地址错误。");
    }
    return rename(call, *block, int(position), 2);
}

}  // namespace

TMDATA_INT_ENTRY(int_c_set_item, set_item)
TMDATA_INT_ENTRY(int_c_set_item_i, set_item_i)
TMDATA_INT_ENTRY(int_c_has_name, has_name)
TMDATA_INT_ENTRY(int_c_dup_name, dup_name)
TMDATA_INT_ENTRY(int_c_get_name_i, get_name_i)
TMDATA_INT_ENTRY(int_c_set_name, set_name)
TMDATA_INT_ENTRY(int_c_set_name_i, set_name_i)

}  // namespace tmdata
