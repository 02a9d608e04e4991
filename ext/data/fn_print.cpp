// printff and printfs: formatted output through the host's text function or
// appended to a character array.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "args.h"
#include "array_writes.h"
#include "format_fields.h"
#include "limits.h"
#include "number_text.h"
#include "script_functions.h"
#include "string_sources.h"
#include "tamrix/tamrix_ext.h"

namespace tmdata {

namespace {

// Widths beyond this would only fill memory with blanks: the field buffer
// refuses them as an allocation failure.
constexpr long long kMaxWidth = 1 << 24;

struct Reporter {
    TmCallContext *ctx;
    int errorType;
    std::u16string_view prefix;
    void operator()(std::u16string_view message) const {
        report_error(ctx, errorType, prefix, message);
    }
};

// Where printed pieces go; false after it reported a failure.
class Sink {
public:
    virtual ~Sink() = default;
    virtual bool put(std::u16string_view piece) = 0;
    // Whether the array `handle` is where the output goes.
    virtual bool is_target(uint32_t) const { return false; }
};

class MessageSink : public Sink {
public:
    explicit MessageSink(TmMessageFn print) : print_(print) {}
    bool put(std::u16string_view piece) override {
        text_.assign(piece);
        print_(text_.c_str());
        return true;
    }

private:
    TmMessageFn print_;
    std::u16string text_;
};

// Appends to a character array, growing it to 2.5 times what is needed when
// it is full; the handle stays, the vector and buffer are replaced.
class ArraySink : public Sink {
public:
    ArraySink(uint32_t handle, const Reporter &report) : handle_(handle), report_(report) {
        const TmDataArray &array = *char_array_of(handle);
        const TextEnd &end = g_text_end;
        if (end.handle == handle && end.buffer == array.buffer && end.writes == g_array_writes &&
            end.length < size_t(array.dims[1]) &&
            static_cast<const char16_t *>(array.buffer)[end.length] == 0) {
            length_ = end.length;
        } else {
            length_ = array_text(array).size();
        }
    }
    ~ArraySink() override {
        const TmDataArray *array = char_array_of(handle_);
        g_text_end = {handle_, array ? array->buffer : nullptr, length_, g_array_writes};
    }
    bool is_target(uint32_t handle) const override { return handle == handle_; }

    bool put(std::u16string_view piece) override {
        TmDataArray *array = char_array_of(handle_);
        if (!array) return false;
        const uint64_t needed = uint64_t(length_) + piece.size() + 1;
        if (needed > uint64_t(array->dims[1]) && !grow(*array, length_, needed)) return false;
        auto *chars = static_cast<char16_t *>(array->buffer);
        piece.copy(chars + length_, piece.size());
        length_ += piece.size();
        chars[length_] = 0;
        return true;
    }

private:
    bool grow(TmDataArray &array, size_t length, uint64_t needed) {
        const uint64_t capacity = needed / 2 + needed * 2;
        if (capacity > uint64_t(INT_MAX) || capacity * 2 + 2 > kMaxPayloadBytes) {
            report_(u"字符串太多，无法申请缓冲区。");
            return false;
        }
        auto *dims = static_cast<int *>(std::malloc(3 * sizeof(int)));
        auto *buffer = static_cast<char16_t *>(std::calloc(capacity + 1, sizeof(char16_t)));
        if (!dims || !buffer) {
            std::free(dims);
            std::free(buffer);
            report_(u"内存错误。");
            return false;
        }
        dims[0] = 3;
        dims[1] = dims[2] = int(capacity);
        std::memcpy(buffer, array.buffer, length * sizeof(char16_t));
        std::free(array.dims);
        std::free(array.buffer);
        array.dims = dims;
        array.buffer = buffer;
        return true;
    }

    uint32_t handle_;
    Reporter report_;
    size_t length_;  // where the text ends
};

struct WidthSpec {
    bool left = false;
    long long width = 0;
    long long precision = -1;  // none
};

// "-", width digits, "." and precision digits, each optional.
bool parse_width(std::u16string_view text, WidthSpec *spec) {
    if (!text.empty() && text.front() == u'-') {
        spec->left = true;
        text.remove_prefix(1);
    }
    const size_t dot = text.find(u'.');
    const std::u16string_view width = text.substr(0, dot);
    if (!width.empty()) {
        spec->width = decimal_value(width, LLONG_MAX / 10);
        if (spec->width < 0) return false;
    }
    if (dot != std::u16string_view::npos) {
        spec->precision = decimal_value(text.substr(dot + 1), LLONG_MAX / 10);
        if (spec->precision < 0) return false;
    }
    return true;
}

std::u16string radix_text(int64_t value, int radix) {
    uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
    std::u16string digits;
    do {
        const int d = int(magnitude % uint64_t(radix));
        digits.insert(digits.begin(), char16_t(d < 10 ? u'0' + d : u'a' + d - 10));
        magnitude /= uint64_t(radix);
    } while (magnitude != 0);
    if (value < 0) digits.insert(digits.begin(), u'-');
    return digits;
}

std::u16string complex_text(double re, double im, int digits) {
    std::u16string text = general_text(re, digits);
    if (im > 0) text += u'+';
    return text + general_text(im, digits) + u'i';
}

// One run of formatted output over arguments 1..last.
template <typename A>
class Printer {
public:
    Printer(const A &a, int last, Sink &sink, const Reporter &report)
        : a_(a), last_(last), sink_(sink), report_(report) {}

    // The number of characters printed, or -1 after a report.
    int64_t run(std::u16string_view format) {
        size_t i = 0, run = 0;
        while (i < format.size()) {
            if (format[i] != u'{') {
                ++i;
                continue;
            }
            if (!opens_field(format, i)) {  // "{{" prints one "{"
                if (!emit(format.substr(run, i + 1 - run))) return -1;
                run = i += 2;
                continue;
            }
            if (!emit(format.substr(run, i - run))) return -1;
            Field field;
            if (!parse_field(format, i, last_, &field)) return fail(u"格式化字符串有错误。");
            if (!print_field(field)) return -1;
            run = i = field.end;
        }
        return emit(format.substr(run)) ? count_ : -1;
    }

private:
    bool emit(std::u16string_view piece) {
        if (piece.empty()) return true;
        if (!sink_.put(piece)) return false;
        count_ += int64_t(piece.size());
        return true;
    }
    int64_t fail(std::u16string_view message) {
        report_(message);
        return -1;
    }
    bool refuse(std::u16string_view message) {
        report_(message);
        return false;
    }

    bool padded(std::u16string_view text, const WidthSpec &spec) {
        const size_t width = size_t(spec.width);
        if (text.size() >= width) return emit(text);
        const std::u16string blanks(width - text.size(), u' ');
        return spec.left ? emit(text) && emit(blanks) : emit(blanks) && emit(text);
    }

    bool print_string(std::u16string_view text, const WidthSpec &spec) {
        if (spec.precision >= 0 && size_t(spec.precision) < text.size()) {
            text = text.substr(0, size_t(spec.precision));
        }
        return padded(text, spec);
    }

    // The text of a string field, or false after a report.
    bool string_argument(std::u16string_view type, int k, std::u16string_view *text) {
        const Library &lib = *library();
        if (type == u"s") {
            if (sink_.is_target(a_.handle(k))) return refuse(u"不能将字符串发送到自己的地址。");
            TmDataArray *array = char_array_of(a_.handle(k));
            if (!array) return refuse(u"输出字符串地址有错误。");
            *text = array_text(*array);
            return true;
        }
        if (type == u"ns") {
            const char16_t *s = formula_string(lib, a_.ctx(), a_.integer(k));
            if (!s) return refuse(u"输出字符串地址有错误。");
            *text = s;
            return true;
        }
        if (k + 2 > last_) return refuse(u"输出参数地址有错误。");
        char16_t *area;
        int lo, hi;
        const int64_t index = a_.integer(k + 2);
        if (!other_formula_area(lib, a_.integer(k), a_.handle(k + 1), &area, &lo, &hi) ||
            index < lo || index > hi) {
            return refuse(u"输出字符串地址有错误。");
        }
        *text = area + index;
        return true;
    }

    // A single-precision argument: its low 32 bits in integer formulas, the
    // number rounded to single precision in real formulas.
    double single(int k) const {
        if constexpr (A::kReal) {
            return double(float(a_.real_bits(k)));
        } else {
            float f;
            const auto bits = uint32_t(a_.integer(k));
            std::memcpy(&f, &bits, 4);
            return f;
        }
    }

    bool print_field(const Field &field) {
        WidthSpec spec;
        if (!parse_width(field.third, &spec)) return refuse(u"格式化字符串有错误。");
        if (spec.width > kMaxWidth) return refuse(u"内存错误。");
        const int k = field.arg;
        const std::u16string_view type = field.type;
        const int digits = spec.precision >= 0 ? int(std::min<long long>(spec.precision, 40)) : 18;
        if (type == u"s" || type == u"ns" || type == u"fs") {
            if (spec.precision >= 0 && spec.precision < spec.width) {
                return refuse(u"格式化字符串有错误。");
            }
            std::u16string_view text;
            return string_argument(type, k, &text) && print_string(text, spec);
        }
        if (type == u"c") {
            const char16_t *s = formula_string(*library(), a_.ctx(), a_.integer(k));
            if (!s) return refuse(u"输出字符串地址有错误。");
            return padded(std::u16string_view(s, 1), spec);
        }
        if (type == u"ic") {
            const char16_t c = char16_t(a_.integer(k) & 0xFFFF);
            return padded(std::u16string_view(&c, 1), spec);
        }
        if (type == u"r") return padded(general_text(a_.real_bits(k), digits), spec);
        if (type == u"f") return padded(general_text(single(k), digits), spec);
        if (type == u"cr" || type == u"cf") {
            if (k + 1 > last_) return refuse(u"输出参数地址有错误。");
            const bool wide = type == u"cr";
            const double re = wide ? a_.real_bits(k) : single(k);
            const double im = wide ? a_.real_bits(k + 1) : single(k + 1);
            return padded(complex_text(re, im, digits), spec);
        }
        if (type == u"n") {
            a_.put_integer(k, count_);
            return true;
        }
        if (type == u"x") return padded(radix_text(a_.integer(k), 16), spec);
        if (type == u"i") return padded(decimal_text(a_.integer(k)), spec);
        if (type.size() > 1 && type[0] == u'i' && type[1] >= u'0' && type[1] <= u'9') {
            const long long radix = decimal_value(type.substr(1), 36);
            if (radix < 2) return refuse(u"格式化字符串有错误。");
            return padded(radix_text(a_.integer(k), int(radix)), spec);
        }
        return refuse(u"格式化字符串有错误。");
    }

    const A &a_;
    int last_;
    Sink &sink_;
    Reporter report_;
    int64_t count_ = 0;
};

TmMessageFn output_function() {
    constexpr char kKey[] = "TmMessage";
    return reinterpret_cast<TmMessageFn>(
        library()->kernel.SearchKey(kKey, int(sizeof kKey - 1), TM_HOST_KEY_TYPE));
}

// The format literal in slot 0, or null after a report.
template <typename A>
const char16_t *format_of(const A &a, const Reporter &report) {
    const char16_t *format =
        a.last() >= 0 ? formula_string(*library(), a.ctx(), a.integer(0)) : nullptr;
    if (!format) report(u"指定的格式化字符串不存在。");
    return format;
}

template <typename A>
int64_t print_with(const A &a, int last, Sink &sink, const Reporter &report) {
    const char16_t *format = format_of(a, report);
    if (!format) return -1;
    if (last == 0) {  // a lone format is printed as it stands
        const std::u16string_view text(format);
        return sink.put(text) ? int64_t(text.size()) : -1;
    }
    return Printer<A>(a, last, sink, report).run(format);
}

template <typename A>
typename A::Result script_printff(const A &a) {
    const Reporter report{a.ctx(), 1, u"printff："};
    TmMessageFn print = output_function();
    if (!print) return A::integer_result(-1);
    MessageSink sink(print);
    return A::integer_result(print_with(a, a.last(), sink, report));
}

template <typename A>
typename A::Result script_printfs(const A &a) {
    const Reporter report{a.ctx(), A::kReal ? 2 : 1, u"printfs："};
    const int m = a.last();
    if (m < 0) {
        report(u"参数不符合要求。");
        return A::integer_result(-1);
    }
    TmDataArray *target = char_array_of(a.handle(m));
    if (!target) {
        report(u"最后一个参数应是字符串指针。");
        return A::integer_result(-1);
    }
    if (target->dims[0] != 3) {
        report(u"最后一个参数应是一维字符数组。");
        return A::integer_result(-1);
    }
    ArraySink sink(a.handle(m), report);
    return A::integer_result(print_with(a, m - 1, sink, report));
}

}  // namespace

TMDATA_INT_ENTRY(int_printff, script_printff)
TMDATA_REAL_ENTRY(real_printff, script_printff)
TMDATA_INT_ENTRY(int_printfs, script_printfs)
TMDATA_REAL_ENTRY(real_printfs, script_printfs)

}  // namespace tmdata
