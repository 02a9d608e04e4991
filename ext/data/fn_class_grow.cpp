// CAdd, CAppend, CInsert, CInsertI, CPop, CDelete, CDeleteI, CReverse,
// CSwap: growing, shrinking and reordering the members of a class.
#include <algorithm>
#include <cstdlib>

#include "class_args.h"
#include "script_functions.h"

namespace tmdata {

namespace {

struct NewMember {
    char16_t *name;  // owned copy, or null
    int64_t value;
    unsigned char attribute;
};

// Opens a slot at `position` (length below capacity) and fills it.
void insert_member(TmDataClassBlock &block, int position, const NewMember &member) {
    for (int i = block.length; i > position; --i) {
        block.names[i] = block.names[i - 1];
        block.values[i] = block.values[i - 1];
        block.attributes[i] = block.attributes[i - 1];
    }
    block.names[position] = member.name;
    block.values[position] = member.value;
    block.attributes[position] = member.attribute;
    ++block.length;
}

// Closes the slot at `position`; its name is freed, its value returned.
int64_t remove_member(TmDataClassBlock &block, int position) {
    const int64_t value = block.values[position];
    std::free(block.names[position]);
    for (int i = position; i + 1 < block.length; ++i) {
        block.names[i] = block.names[i + 1];
        block.values[i] = block.values[i + 1];
        block.attributes[i] = block.attributes[i + 1];
    }
    const int last = --block.length;
    block.names[last] = nullptr;
    block.values[last] = 0;
    block.attributes[last] = 1;
    return value;
}

int64_t add(const IntArgs &a) {
    const ClassCall call{a, u"CAdd："};
    TmDataClassBlock *to = call.cls(0);
    TmDataClassBlock *from = to ? call.cls(1) : nullptr;
    if (!from) return 0;
    const int count = from->length;  // read once: the two may be the same class
    if (int64_t(to->length) + count > to->capacity) {
        return call.fail(u"第一个类对象缓冲区不够用。");
    }
    for (int i = 0; i < count; ++i) {
        char16_t *name = nullptr;
        if (from->names[i] && !(name = copy_name(from->names[i]))) {
            return call.fail(u"内存错误。");
        }
        insert_member(*to, to->length, {name, from->values[i], from->attributes[i]});
    }
    return int64_t(a.handle(0));
}

// The member CAppend, CInsert and CInsertI add: the name in slot i (or 0),
// the value in slot i+1, attribute 1 unless slot i+2 is given and 0.
bool new_member(const ClassCall &call, int i, NewMember *member) {
    const char16_t *name;
    if (!call.optional_name(i, &name)) return false;
    member->name = nullptr;
    if (name && !(member->name = copy_name(name))) {
        call.fail(u"内存错误。");
        return false;
    }
    member->value = call.a.integer(i + 1);
    member->attribute = i + 2 <= call.a.last() && call.a.integer(i + 2) == 0 ? 0 : 1;
    return true;
}

bool has_room(const ClassCall &call, const TmDataClassBlock &block) {
    if (block.length < block.capacity) return true;
    call.fail(u"类对象缓冲区不够用。");
    return false;
}

int64_t append(const IntArgs &a) {
    const ClassCall call{a, u"CAppend："};
    if (a.last() != 2 && a.last() != 3) return call.fail(u"只能有3个或4个参数。");
    TmDataClassBlock *block = call.cls(0);
    NewMember member;
    if (!block || !has_room(call, *block) || !new_member(call, 1, &member)) return 0;
    insert_member(*block, block->length, member);
    return int64_t(a.handle(0));
}

int64_t insert(const IntArgs &a) {
    const ClassCall call{a, u"CInsert："};
    if (a.last() != 3 && a.last() != 4) return call.fail(u"只能有4个或5个参数。");
    TmDataClassBlock *block = call.cls(0);
    if (!block || !has_room(call, *block)) return 0;
    const char16_t *before = call.name(1);
    const char16_t *name;
    if (!before || !call.optional_name(2, &name)) return 0;
    int position = 0;
    if (block->length > 0) {
        position = find_member(*block, before);
        if (position < 0) return call.fail(u"非法的类成员，找不到插入位置。");
    }
    NewMember member;
    if (!new_member(call, 2, &member)) return 0;
    insert_member(*block, position, member);
    return int64_t(a.handle(0));
}

int64_t insert_i(const IntArgs &a) {
    const ClassCall call{a, u"CInsertI："};
    if (a.last() != 3 && a.last() != 4) return call.fail(u"只能有4个或5个参数。");
    TmDataClassBlock *block = call.cls(0);
    if (!block || !has_room(call, *block)) return 0;
    const int64_t position = a.integer(1);
    const bool valid =
        block->length == 0 ? position == 0 : position >= 0 && position < block->length;
    if (!valid) return call.fail(u"插入位置非法。");
    NewMember member;
    if (!new_member(call, 2, &member)) return 0;
    insert_member(*block, int(position), member);
    return int64_t(a.handle(0));
}

int64_t pop(const IntArgs &a) {
    const ClassCall call{a, u"CPop："};
    if (a.last() != 0 && a.last() != 1) return call.fail(u"只能有1个或2个参数。");
    TmDataClassBlock *block = call.cls(0);
    if (!block) return 0;
    if (block->length == 0) return call.fail(u"类为空。");
    const unsigned char attribute = block->attributes[block->length - 1];
    const int64_t value = remove_member(*block, block->length - 1);
    if (a.last() == 1) a.put_integer(1, attribute);
    return value;  // not deleted: the caller holds it now
}

// Removes the member and deletes its object whatever its attribute; the
// slot is closed first, since the deletion may reach this class again.
int64_t delete_at(const IntArgs &a, TmDataClassBlock &block, int position) {
    const int64_t value = remove_member(block, position);
    Library &lib = *library();
    if (find_object(lib, uint32_t(value))) delete_object_fully(lib, uint32_t(value));
    return int64_t(a.handle(0));
}

int64_t delete_named(const IntArgs &a) {
    const ClassCall call{a, u"CDelete："};
    TmDataClassBlock *block = call.cls(0);
    if (!block) return 0;
    const char16_t *name = call.name(1);
    if (!name) return 0;
    const int position = find_member(*block, name);
    return position < 0 ? 0 : delete_at(a, *block, position);
}

int64_t delete_i(const IntArgs &a) {
    const ClassCall call{a, u"CDeleteI："};
    TmDataClassBlock *block = call.cls(0);
    if (!block) return 0;
    const int64_t position = a.integer(1);
    return position < 0 || position >= block->length ? 0 : delete_at(a, *block, int(position));
}

void swap_members(TmDataClassBlock &block, int i, int j) {
    std::swap(block.names[i], block.names[j]);
    std::swap(block.values[i], block.values[j]);
    std::swap(block.attributes[i], block.attributes[j]);
}

int64_t reverse(const IntArgs &a) {
    const ClassCall call{a, u"CReverse："};
    TmDataClassBlock *block = call.cls(0);
    if (!block) return 0;
    for (int i = 0, j = block->length - 1; i < j; ++i, --j) swap_members(*block, i, j);
    return int64_t(a.handle(0));
}

int64_t swap(const IntArgs &a) {
    const ClassCall call{a, u"CSwap："};
    TmDataClassBlock *block = call.cls(0);
    if (!block) return 0;
    const int64_t i = a.integer(1), j = a.integer(2);
    if (i < 0 || j < 0 || i >= block->length || j >= block->length) {
        return call.fail(u"非法的类成员位置。");
    }
    swap_members(*block, int(i), int(j));
    return int64_t(a.handle(0));
}

}  // namespace

TMDATA_INT_ENTRY(int_c_add, add)
TMDATA_INT_ENTRY(int_c_append, append)
TMDATA_INT_ENTRY(int_c_insert, insert)
TMDATA_INT_ENTRY(int_c_insert_i, insert_i)
TMDATA_INT_ENTRY(int_c_pop, pop)
TMDATA_INT_ENTRY(int_c_delete, delete_named)
TMDATA_INT_ENTRY(int_c_delete_i, delete_i)
TMDATA_INT_ENTRY(int_c_reverse, reverse)
TMDATA_INT_ENTRY(int_c_swap, swap)

}  // namespace tmdata
