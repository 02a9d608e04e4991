// scanfs: reading numbers, characters and strings out of a character array
// by a format, the position argument following the reading.
#include <climits>
#include <cstring>

#include "args.h"
#include "array_writes.h"
#include "format_fields.h"
#include "number_text.h"
#include "script_functions.h"
#include "string_sources.h"

namespace tmdata {

namespace {

constexpr std::u16string_view kPrefix = u"scanfs：";

bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// A string item's type: an optional "b", s / ns / fs, an optional "b".
struct StringType {
    bool leadingBlanks = false;
    bool trailingBlanks = false;
    std::u16string_view core;
};
bool string_type(std::u16string_view type, StringType *out) {
    if (!type.empty() && type.front() == u'b') {
        out->leadingBlanks = true;
        type.remove_prefix(1);
    }
    if (!type.empty() && type.back() == u'b') {
        out->trailingBlanks = true;
        type.remove_suffix(1);
    }
    out->core = type;
    return type == u"s" || type == u"ns" || type == u"fs";
}

enum class Step { kGoOn, kStop, kFailed };

template <typename A>
class Scanner {
public:
    Scanner(const A &a, const TmDataArray &source, int64_t position)
        : a_(a), chars_(static_cast<const char16_t *>(source.buffer)), capacity_(source.dims[1]),
          pos_(position), lastTarget_(a.last() - 2) {}

    int64_t position() const { return pos_; }

    // The format index where reading stopped, or -1 after a report.
    int64_t run(std::u16string_view format) {
        size_t i = 0;
        while (i < format.size()) {
            if (format[i] != u'{') {
                ++i;
                continue;
            }
            if (!opens_field(format, i)) {
                i += 2;
                continue;
            }
            Field field;
            if (!parse_field(format, i, lastTarget_, &field) || field.arg < 1) {
                return fail(u"格式化字符串有错误。");
            }
            const long long count = field.third.empty() ? 1 : decimal_value(field.third, INT_MAX);
            if (count < 1) return fail(u"格式化字符串有错误。");
            StringType text;
            const Step step = string_type(field.type, &text)
                                  ? read_string(text, field.arg, int(count))
                                  : read_items(field.type, field.arg, int(count));
            if (step == Step::kFailed) return -1;
            if (step == Step::kStop) return int64_t(i);
            i = field.end;
        }
        return int64_t(format.size());
    }

private:
    int64_t fail(std::u16string_view message) {
        report_error(a_.ctx(), 1, kPrefix, message);
        return -1;
    }
    Step refuse(std::u16string_view message) {
        report_error(a_.ctx(), 1, kPrefix, message);
        return Step::kFailed;
    }

    // Skips blanks; false when the capacity ends before a terminator.
    bool skip_blanks() {
        while (pos_ < capacity_ && chars_[pos_] && is_blank(chars_[pos_])) ++pos_;
        return pos_ < capacity_;
    }
    // Moves to the next blank or the terminator; false past the capacity.
    bool skip_word() {
        while (pos_ < capacity_ && chars_[pos_] && !is_blank(chars_[pos_])) ++pos_;
        return pos_ < capacity_;
    }

    Step read_items(std::u16string_view type, int first, int count) {
        if (type != u"c" && type != u"n" && type != u"r" && type != u"f" && type != u"i") {
            return refuse(u"格式化字符串有错误。");
        }
        for (int j = 0; j < count; ++j) {
            const int target = first + j;
            if (target > lastTarget_) return refuse(u"找不到目标参数。");
            if (type == u"n") {
                a_.put_integer(target, pos_);
                continue;
            }
            if (!skip_blanks()) return refuse(u"字符数组中没有结束字符NULL。");
            if (!chars_[pos_]) return Step::kStop;
            if (type == u"c") {
                a_.put_integer(target, chars_[pos_++]);
                continue;
            }
            const int64_t begin = pos_;
            if (!skip_word()) return refuse(u"字符数组中没有结束字符NULL。");
            const std::u16string_view item(chars_ + begin, size_t(pos_ - begin));
            if (type == u"i") {
                a_.put_integer(target, parse_int64(item));
            } else if (type == u"r") {
                a_.put(target, A::double_result(parse_real(item)));
            } else {
                store_single(target, float(parse_real(item)));
            }
        }
        return Step::kGoOn;
    }

    void store_single(int target, float value) {
        if constexpr (A::kReal) {
            a_.put(target, double(value));
        } else {
            uint32_t bits;
            std::memcpy(&bits, &value, 4);
            a_.put_integer(target, int64_t(bits));
        }
    }

    Step read_string(const StringType &type, int first, int words) {
        const int64_t itemStart = pos_;
        if (!skip_blanks()) return refuse(u"字符数组中没有结束标志NULL。");
        if (!chars_[pos_]) return Step::kStop;
        const int64_t start = type.leadingBlanks ? itemStart : pos_;
        for (int w = 0; w < words; ++w) {
            if (!skip_blanks() || !skip_word()) return refuse(u"字符数组中没有结束标志NULL。");
            if (!chars_[pos_]) break;
        }
        if (type.trailingBlanks && !skip_blanks()) return refuse(u"字符数组中没有结束标志NULL。");
        const std::u16string_view text(chars_ + start, size_t(pos_ - start));
        char16_t *destination = nullptr;
        const Step found = destination_of(type.core, first, text.size(), &destination);
        if (found != Step::kGoOn) return found;
        note_array_write();
        // The destination may be the source array itself.
        std::memmove(destination, text.data(), text.size() * sizeof(char16_t));
        destination[text.size()] = 0;
        return Step::kGoOn;
    }

    // Where a string of `length` characters goes; reports when it cannot.
    Step destination_of(std::u16string_view core, int k, size_t length, char16_t **out) {
        constexpr std::u16string_view kBad = u"目标字符串地址或字符串指针有错误。";
        constexpr std::u16string_view kSmall = u"输出字符串缓冲区太小。";
        if (core == u"s") {
            TmDataArray *array = char_array_of(a_.handle(k));
            if (!array) return refuse(kBad);
            // The buffer's two terminator bytes take the zero at the capacity.
            if (size_t(array->dims[1]) < length) return refuse(kSmall);
            *out = static_cast<char16_t *>(array->buffer);
            return Step::kGoOn;
        }
        const Library &lib = *library();
        char16_t *area = nullptr;
        int lo = 1, hi = 0;
        int next = k;
        if (core == u"ns") {
            if (k + 1 > lastTarget_) return refuse(u"找不到目标参数。");
            lib.kernel.GetForStr(a_.ctx(), &area, &lo, &hi);
        } else {
            if (k + 3 > lastTarget_) return refuse(u"找不到目标参数。");
            if (!other_formula_area(lib, a_.integer(k), a_.handle(k + 1), &area, &lo, &hi)) {
                return refuse(kBad);
            }
            next = k + 2;
        }
        const int64_t index = a_.integer(next);
        const int64_t size = a_.integer(next + 1);
        if (!area || size <= 0 || index < lo || index > hi || size > int64_t(hi) - index + 1) {
            return refuse(kBad);
        }
        if (uint64_t(size) < length + 1) return refuse(kSmall);
        *out = area + index;
        return Step::kGoOn;
    }

    const A &a_;
    const char16_t *chars_;
    int64_t capacity_;
    int64_t pos_;
    int lastTarget_;
};

template <typename A>
typename A::Result script_scanfs(const A &a) {
    const int m = a.last();
    auto fail = [&](std::u16string_view message) {
        report_error(a.ctx(), 1, kPrefix, message);
        return A::integer_result(-1);
    };
    if (m < 3) return fail(u"参数不符合要求。");
    TmDataArray *source = char_array_of(a.handle(m - 1));
    if (!source) return fail(u"倒数第二个参数应是字符串指针。");
    if (source->dims[0] != 3) return fail(u"倒数第二个参数应是一维字符数组。");
    const int64_t position = a.integer(m);
    if (position < 0 || position >= source->dims[1]) return fail(u"最后一个参数非法。");
    const char16_t *format = formula_string(*library(), a.ctx(), a.integer(0));
    if (!format) return fail(u"指定的格式化字符串不存在。");
    // Real formulas keep their format and position arguments as they were.
    const typename A::Slot savedFormat = a.slots()[0];
    const typename A::Slot savedPosition = a.slots()[m];
    Scanner<A> scanner(a, *source, position);
    const int64_t stopped = scanner.run(format);
    if constexpr (A::kReal) {
        a.slots()[0] = savedFormat;
        a.slots()[m] = savedPosition;
    } else {
        (void)savedFormat;
        (void)savedPosition;
        a.put_integer(m, scanner.position());
    }
    return A::integer_result(stopped);
}

}  // namespace

TMDATA_INT_ENTRY(int_scanfs, script_scanfs)
TMDATA_REAL_ENTRY(real_scanfs, script_scanfs)

}  // namespace tmdata
