// TMDToStr and StrToTMD: one scalar value to and from the text in a
// character array.
#include <cstring>
#include <string>

#include "args.h"
#include "array_writes.h"
#include "kinds.h"
#include "number_text.h"
#include "objects.h"
#include "report.h"
#include "script_functions.h"
#include "string_sources.h"
#include "types.h"

namespace tmdata {

namespace {

constexpr int kMinTextCapacity = 80;

// The kind a type identifier stands for, or 0.
int kind_of_id(int id) {
    int kind = 0;
    TypeEntry *external;
    return resolve_type(*library(), id, &kind, &external) ? kind : 0;
}

// The text of a value of a scalar kind; false for kinds without one.
bool value_text(int kind, const unsigned char *value, std::u16string *text) {
    switch (kind) {
    case TMD_COMPLEX: {
        double parts[2];
        std::memcpy(parts, value, 16);
        *text = general_text(parts[0], 18);
        if (parts[1] != 0) {
            if (parts[1] > 0) *text += u'+';
            *text += general_text(parts[1], 18) + u'i';
        }
        return true;
    }
    case TMD_REAL64: case TMD_REAL32:
        *text = general_text(as_number(kind, value), kind == TMD_REAL64 ? 18 : 9);
        return true;
    case TMD_UINT64: case TMD_UINT32: case TMD_UINT16: case TMD_UINT8:
        *text = unsigned_text(uint64_t(widen(kind, value)));
        return true;
    case TMD_INT64: case TMD_INT32: case TMD_INT16: case TMD_INT8:
        *text = decimal_text(widen(kind, value));
        return true;
    case TMD_WCHAR: *text = std::u16string(1, char16_t(widen(kind, value))); return true;
    default: return false;
    }
}

int64_t to_str(const IntArgs &a) {
    const int m = a.last();
    if (m < 1) {
        report(a.ctx(), u"TMDToStr：至少要有二个参数。");
        return 0;
    }
    TmDataArray *array = char_array_of(a.handle(m));
    if (!array) {
        report(a.ctx(), u"TMDToStr：找不到字符数组。");
        return 0;
    }
    if (array->dims[1] < kMinTextCapacity) {
        report(a.ctx(), u"TMDToStr：字符数组太小，不能少于80个字符。");
        return 0;
    }
    unsigned char value[16] = {};
    int kind;
    if (m == 1) {
        ObjectEntry *e = find_object(a.handle(0));
        kind = e && is_scalar_kind(e->kind) ? e->kind : 0;
        if (kind) std::memcpy(value, e->payload, element_size(kind));
    } else {
        kind = kind_of_id(a.type_id(0));
        const int values = m - 1;
        if (is_scalar_kind(kind) && values != (kind == TMD_COMPLEX ? 2 : 1)) {
            report(a.ctx(), u"TMDToStr：参数不匹配。");
            return 0;
        }
        std::memcpy(value, a.slots() + 1, size_t(values) * 8 > 16 ? 16 : size_t(values) * 8);
    }
    std::u16string text;
    if (!value_text(kind, value, &text)) {
        report(a.ctx(), u"TMDToStr：未知数据类型或不能转换该类型数据的值为字符串。");
        return 0;
    }
    note_array_write();
    auto *chars = static_cast<char16_t *>(array->buffer);
    const size_t n = std::min<size_t>(text.size(), size_t(array->dims[1]) - 1);
    text.copy(chars, n);
    chars[n] = 0;
    return 0;
}

// Parses into `value` (the kind's storage); false for kinds without a parser.
bool parse_value(int kind, std::u16string_view text, unsigned char *value) {
    switch (kind) {
    case TMD_REAL64: {
        double d = parse_real(text);
        std::memcpy(value, &d, 8);
        return true;
    }
    case TMD_REAL32: {
        float f = float(parse_real(text));
        std::memcpy(value, &f, 4);
        return true;
    }
    case TMD_INT64: case TMD_UINT32:
        store_low_bytes(value, parse_int64(text), element_size(kind));
        return true;
    case TMD_INT32: store_low_bytes(value, parse_int32(text), 4); return true;
    case TMD_INT16: case TMD_UINT16: case TMD_WCHAR: case TMD_INT8: case TMD_UINT8:
        store_low_bytes(value, parse_int32(text), element_size(kind));
        return true;
    case TMD_COMPLEX: {
        double parts[2];
        parse_complex(text, &parts[0], &parts[1]);
        std::memcpy(value, parts, 16);
        return true;
    }
    default: return false;
    }
}

int64_t from_str(const IntArgs &a) {
    const int m = a.last();
    if (m < 1) {
        report(a.ctx(), u"StrToTMD：至少要有二个参数。");
        return 0;
    }
    TmDataArray *array = char_array_of(a.handle(0));
    if (!array) {
        report(a.ctx(), u"StrToTMD：找不到字符数组。");
        return 0;
    }
    ObjectEntry *target = nullptr;
    int kind;
    if (m == 1) {
        target = find_object(a.handle(1));
        kind = target && is_scalar_kind(target->kind) ? target->kind : 0;
    } else {
        kind = kind_of_id(a.type_id(1));
        if (is_scalar_kind(kind) && m - 1 != (kind == TMD_COMPLEX ? 2 : 1)) {
            report(a.ctx(), u"StrToTMD：参数不匹配。");
            return 0;
        }
    }
    if (kind == TMD_UINT64) {
        report(a.ctx(), u"StrToTMD：还没有找到将宽字符串转换为64位无符号整数的函数。");
        return 0;
    }
    unsigned char value[16] = {};
    if (!parse_value(kind, array_text(*array), value)) {
        report(a.ctx(), u"StrToTMD：未知数据类型或不能将字符串转换为该数据类型。");
        return 0;
    }
    if (target) {
        std::memcpy(target->payload, value, element_size(kind));
    } else if (kind == TMD_COMPLEX) {
        std::memcpy(a.slots() + 2, value, 16);
    } else if (kind == TMD_UINT32) {
        a.put_integer(2, widen(TMD_INT32, value));  // sign-extended, as it always was
    } else {
        a.put_integer(2, widen(kind, value));
    }
    return 0;
}

}  // namespace

TMDATA_INT_ENTRY(int_to_str, to_str)
TMDATA_INT_ENTRY(int_from_str, from_str)

}  // namespace tmdata
