// TMDstrlen, TMDstrcpy, TMDstrcat, TMDstrcmp: the library's own string
// helpers over character arrays and formula literals.
#include "args.h"
#include "array_writes.h"
#include "script_functions.h"
#include "string_sources.h"

namespace tmdata {

namespace {

int64_t str_len(const IntArgs &a) {
    constexpr std::u16string_view kPrefix = u"TMDstrlen：";
    const int count = a.last() + 1;
    if (count < 1 || count > 3) {
        report_error(a.ctx(), 1, kPrefix, u"参数不匹配。");
        return 0;
    }
    Source source;
    return read_source(a, 0, count, kPrefix, &source) ? int64_t(source.text.size()) : 0;
}

// The destination array and the source of TMDstrcpy and TMDstrcat.
bool destination_and_source(const IntArgs &a, std::u16string_view prefix, TmDataArray **to,
                            Source *source) {
    const int count = a.last();
    if (count < 1 || count > 3) {
        report_error(a.ctx(), 1, prefix, u"参数不匹配。");
        return false;
    }
    *to = char_array_of(a.handle(0));
    if (!*to) {
        report_error(a.ctx(), 1, prefix, u"目的参数不是字符数组。");
        return false;
    }
    return read_source(a, 1, count, prefix, source);
}

int64_t str_cpy(const IntArgs &a) {
    constexpr std::u16string_view kPrefix = u"TMDstrcpy：";
    TmDataArray *to;
    Source source;
    if (!destination_and_source(a, kPrefix, &to, &source)) return 0;
    if (source.array == a.handle(0)) return 0;
    if (source.text.size() >= size_t(to->dims[1])) {
        report_error(a.ctx(), 1, kPrefix, u"目的字符数组太小。");
        return 0;
    }
    note_array_write();
    auto *chars = static_cast<char16_t *>(to->buffer);
    source.text.copy(chars, source.text.size());
    chars[source.text.size()] = 0;
    return 0;
}

int64_t str_cat(const IntArgs &a) {
    constexpr std::u16string_view kPrefix = u"TMDstrcat：";
    TmDataArray *to;
    Source source;
    if (!destination_and_source(a, kPrefix, &to, &source)) return 0;
    if (source.array == a.handle(0)) {
        report_error(a.ctx(), 1, kPrefix, u"源数组指针和目的数组指针不能相同。");
        return 0;
    }
    const size_t length = array_text(*to).size();
    if (length + source.text.size() >= size_t(to->dims[1])) {
        report_error(a.ctx(), 1, kPrefix, u"目的字符数组太小。");
        return 0;
    }
    note_array_write();
    auto *chars = static_cast<char16_t *>(to->buffer);
    source.text.copy(chars + length, source.text.size());
    chars[length + source.text.size()] = 0;
    return 0;
}

int64_t str_cmp(const IntArgs &a) {
    constexpr std::u16string_view kPrefix = u"TMDstrcmp：";
    const int count = a.last();
    if (count < 1 || count > 3) {
        report_error(a.ctx(), 1, kPrefix, u"参数不匹配。");
        return 0;
    }
    TmDataArray *array = char_array_of(a.handle(0));
    if (!array) {
        report_error(a.ctx(), 1, kPrefix, u"非法的字符数组指针。");
        return 0;
    }
    Source source;
    if (!read_source(a, 1, count, kPrefix, &source)) return 0;
    const std::u16string_view mine = array_text(*array);
    const int c = mine.compare(source.text);  // char16_t compares as unsigned
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace

TMDATA_INT_ENTRY(int_strlen, str_len)
TMDATA_INT_ENTRY(int_strcpy, str_cpy)
TMDATA_INT_ENTRY(int_strcat, str_cat)
TMDATA_INT_ENTRY(int_strcmp, str_cmp)

}  // namespace tmdata
