// new: creating an object of any kind from a type identifier and creation
// arguments.
#include <climits>
#include <cstring>
#include <vector>

#include "args.h"
#include "creation.h"
#include "formula_strings.h"
#include "kinds.h"
#include "limits.h"
#include "objects.h"
#include "report.h"
#include "script_functions.h"

namespace tmdata {

namespace {

template <typename A>
uint32_t new_scalar(Library &lib, const A &a, int kind, int typeId) {
    const int m = a.last();
    const bool ok = kind == TMD_COMPLEX ? (m == 0 || m == 2) : (m == 0 || m == 1);
    if (!ok) {
        report(a.ctx(), u"new 变量：参数不符合要求。");
        return 0;
    }
    const char16_t *text = nullptr;
    if (kind == TMD_WCHAR && m == 1) {
        text = formula_string(lib, a.ctx(), a.integer(1));
        if (!text) {
            report(a.ctx(), u"new wchar：需使用字符串参数进行初始化。");
            return 0;
        }
    }
    uint32_t h = create_scalar(lib, kind, typeId);
    if (!h || m == 0) return h;
    void *value = find_object(lib, h)->payload;
    if (kind == TMD_COMPLEX) {
        double parts[2] = {a.real_bits(1), a.real_bits(2)};
        std::memcpy(value, parts, 16);
    } else if (text) {
        std::memcpy(value, text, 2);
    } else {
        a.store_element(kind, value, 1);
    }
    return h;
}

// Fills the elements from slot `first` on (`count` slots), row-major;
// complex elements take two slots each.  Surplus values are ignored.
template <typename A>
void fill_elements(const A &a, int kind, TmDataArray *array, int first, int count) {
    const size_t size = element_size(kind);
    auto *bytes = static_cast<unsigned char *>(array->buffer);
    const int64_t total = array->dims[1];
    if (element_kind(kind) == TMD_COMPLEX) {
        for (int64_t e = 0; e < total && 2 * e + 1 < count; ++e) {
            const int slot = first + int(2 * e);
            double parts[2] = {a.real_bits(slot), a.real_bits(slot + 1)};
            std::memcpy(bytes + e * 16, parts, 16);
        }
        return;
    }
    for (int64_t e = 0; e < total && e < count; ++e) {
        a.store_element(kind, bytes + e * size, first + int(e));
    }
}

// Copies a string into a character array, truncated and always terminated.
void fill_text(TmDataArray *array, const char16_t *text) {
    auto *chars = static_cast<char16_t *>(array->buffer);
    const int capacity = array->dims[1];
    int n = 0;
    while (n < capacity - 1 && text[n]) {
        chars[n] = text[n];
        ++n;
    }
    chars[n] = 0;
}

// new(t, EndType, e1, ...): a one-dimensional array of the values given.
template <typename A>
uint32_t new_listed_array(Library &lib, const A &a, int kind, int typeId) {
    const int count = a.last() - 1;
    if (count < 1) {
        report(a.ctx(), u"new 数组：没有指定数组长度。");
        return 0;
    }
    int elements = count;
    const char16_t *text = nullptr;
    if (kind == TMD_WCHAR_S) {
        if (count > 1) {
            report(a.ctx(), u"new wchar_s：初始化参数太多。");
            return 0;
        }
        text = formula_string(lib, a.ctx(), a.integer(2));
        if (!text) {
            report(a.ctx(), u"new wchar_s：需使用字符串参数进行初始化。");
            return 0;
        }
        elements = int(std::char_traits<char16_t>::length(text)) + 1;
    } else if (kind == TMD_COMPLEX_S) {
        if (count % 2 != 0) {
            report(a.ctx(), u"new 大于等于16字节的数据数组：参数不符合要求。");
            return 0;
        }
        elements = count / 2;
    }
    const int dims[3] = {3, elements, elements};
    uint32_t h = create_array(lib, kind, typeId, dims);
    if (!h) return 0;
    TmDataArray *array = array_of(h);
    if (text) {
        fill_text(array, text);
    } else {
        fill_elements(a, kind, array, 2, count);
    }
    return h;
}

template <typename A>
uint32_t new_array(Library &lib, const A &a, int kind, int typeId) {
    const int m = a.last();
    if (m == 0) {
        report(a.ctx(), u"new 数组：没有指定数组长度。");
        return 0;
    }
    if (is_end_type(a, 1)) return new_listed_array(lib, a, kind, typeId);
    const int64_t maxElements =
        std::min<int64_t>(INT_MAX, int64_t((kMaxPayloadBytes - 2) / element_size(kind)));
    std::vector<int> dims{0, 1};
    int64_t total = 1;
    int i = 1;
    for (; i <= m && !is_end_type(a, i); ++i) {
        const int64_t length = a.integer(i);
        if (length <= 0) {
            report(a.ctx(), u"new 多维数组：数组维数小于1。");
            return 0;
        }
        if (length > maxElements / total) {
            report(a.ctx(), u"new 多维数组：数组元素个数太多。");
            return 0;
        }
        total *= length;
        dims.push_back(int(length));
    }
    dims[0] = int(dims.size());
    dims[1] = int(total);
    const int first = i + 1, count = i <= m ? m - i : 0;  // values after EndType
    const char16_t *text = nullptr;
    if (kind == TMD_WCHAR_S && count > 0) {
        if (count > 1) {
            report(a.ctx(), u"new wchar_s：初始化参数太多。");
            return 0;
        }
        text = formula_string(lib, a.ctx(), a.integer(first));
        if (!text) {
            report(a.ctx(), u"new wchar_s：需使用字符串参数进行初始化。");
            return 0;
        }
    }
    if (kind == TMD_COMPLEX_S && count % 2 != 0 && count < 2 * total) {
        report(a.ctx(), u"new 多维数组：参数不符合要求。");
        return 0;
    }
    uint32_t h = create_array(lib, kind, typeId, dims.data());
    if (!h) return 0;
    if (text) {
        fill_text(array_of(h), text);
    } else if (count > 0) {
        fill_elements(a, kind, array_of(h), first, count);
    }
    return h;
}

constexpr std::u16string_view kClassPrefix = u"new class：";

template <typename A>
uint32_t new_class(Library &lib, const A &a, int typeId) {
    const int m = a.last();
    if (m == 0) return create_class(lib, 0, 0, typeId);
    int64_t length, capacity;
    int namesAt = m + 1;  // no names
    if (is_end_type(a, 1)) {
        length = capacity = m - 1;
        namesAt = 2;
    } else {
        length = a.integer(1);
        if (m >= 2 && !is_end_type(a, 2)) {
            capacity = a.integer(2);
            if (m >= 3 && is_end_type(a, 3)) namesAt = 4;
        } else {
            capacity = length;
            if (m >= 2) namesAt = 3;
        }
    }
    if (length < 0 || capacity <= 0) return 0;
    if (capacity < length) {
        report_error(a.ctx(), 1, kClassPrefix, u"类缓冲区必须大于等于类的大小。");
        return 0;
    }
    if (uint64_t(capacity) > kMaxPayloadBytes / kClassSlotBytes) {
        report_error(a.ctx(), 1, kClassPrefix, u"内存错误。");
        return 0;
    }
    const int names = int(std::min<int64_t>(length, m - namesAt + 1));
    for (int k = 0; k < names; ++k) {
        const int64_t index = a.integer(namesAt + k);
        if (index != 0 && !formula_string(lib, a.ctx(), index)) {
            report_error(a.ctx(), 1, kClassPrefix, u"类成员名要用字符串定义。");
            return 0;
        }
    }
    uint32_t h = create_class(lib, int(length), int(capacity), typeId);
    if (!h) {
        report_error(a.ctx(), 1, kClassPrefix, u"内存错误。");
        return 0;
    }
    TmDataClassBlock *block = find_class(h);
    for (int k = 0; k < names; ++k) {
        const int64_t index = a.integer(namesAt + k);
        if (index == 0) continue;
        block->names[k] = copy_name(formula_string(lib, a.ctx(), index));
        if (!block->names[k]) {
            delete_object_fully(lib, h);
            report_error(a.ctx(), 1, kClassPrefix, u"内存错误。");
            return 0;
        }
    }
    return h;
}

template <typename A>
typename A::Result script_new(const A &a) {
    Library &lib = *library();
    if (a.last() < 0) return A::none();
    if (!below_object_limit(lib)) {
        report(a.ctx(), u"new：TmData数据个数已达设定的最大值。");
        return A::none();
    }
    const int typeId = a.type_id(0);
    int kind = 0;
    TypeEntry *external = nullptr;
    if (!resolve_type(lib, typeId, &kind, &external)) return A::none();
    uint32_t h = 0;
    if (is_scalar_kind(kind)) {
        h = new_scalar(lib, a, kind, typeId);
    } else if (is_array_kind(kind)) {
        h = new_array(lib, a, kind, typeId);
    } else if (kind == TMD_CLASS) {
        h = new_class(lib, a, typeId);
    } else if (external) {
        h = create_external(lib, *external, kind, typeId);
    }
    if (!h) return A::none();
    ++lib.liveCount;
    return A::handle_result(h);
}

}  // namespace

TMDATA_INT_ENTRY(int_new, script_new)
TMDATA_REAL_ENTRY(real_new, script_new)

}  // namespace tmdata
