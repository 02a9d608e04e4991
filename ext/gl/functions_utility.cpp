// Utilities that work on any thread: bit operations, evaluating a formula
// by name, message boxes, the constants' state, editing variables.
#include <cstdio>
#include <vector>

#include "functions.h"
#include "library.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "registration_tables.h"

namespace gllib {

namespace {

constexpr char16_t kConstantFailed[] = u"OpenTmGl：注册常量失败！";
constexpr char16_t kAllConstants[] = u"所有常量均注册成功！";
constexpr char16_t kCaption[] = u"OpenTmGl";

}  // namespace

GLE_FUNCTION(sf_gleOr) {
    (void)ctx;
    int64_t bits = 0;
    for (int i = 0; i < argument_count(m); ++i) bits |= integer_arg(args[i]);
    return double(bits);
}

// The parameters follow the name in the caller's slots and are passed by
// reference, so the formula may change them as with a direct call.
GLE_FUNCTION(sf_gleCalFor) {
    Library *lib = library();
    if (!lib) return 0;
    const int n = argument_count(m);
    if (n == 0) return report_error(u"gleCalFor", 1, ctx);
    std::u16string_view name;
    if (!formula_string(ctx, args[0], name)) return report_error(u"gleCalFor", 3, ctx);
    const std::u16string text(name);
    void *record = nullptr;
    int paramCount = -1, module = 0;
    if (!lib->kernel.GetFor(text.c_str(), TM_REAL, ctx, &module, &record, nullptr, &paramCount))
        return report_error(u"gleCalFor", 3, ctx);
    if (paramCount + 1 != n - 1) return report_error(u"gleCalFor", 2, ctx);
    return lib->kernel.RealCal(record, args + 1);
}

GLE_FUNCTION(sf_gleMessageBox) {
    const int n = argument_count(m);
    if (n < 2 || n > 4) return report_error(u"gleMessageBox", 1, ctx);
    // (window, text, caption, type): the owner window has no meaning for
    // the host's boxes.
    const int first = n == 4 ? 1 : 0;
    std::u16string_view text, caption;
    if (!formula_string(ctx, args[first], text) || !formula_string(ctx, args[first + 1], caption))
        return report_error(u"gleMessageBox", 2, ctx);
    const int style = n >= 3 ? int_arg(args[n - 1]) : 0;
    use_tamrix(3);
    const int answer = platform::message_box(std::u16string(text), std::u16string(caption), style);
    use_tamrix(4);
    return double(answer);
}

GLE_FUNCTION(sf_gleRegConstState) {
    (void)m, (void)args, (void)ctx;
    const auto rows = constant_rows();
    bool allDone = true;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (constant_registered(i)) continue;
        allDone = false;
        const int answer = platform::message_box(rows[i].name, kConstantFailed,
                                                 platform::kBoxOkCancel);
        if (answer == platform::kAnswerCancel) return 0;
    }
    if (allDone) platform::message_box(kAllConstants, kCaption, platform::kBoxOk);
    return 0;
}

// Without a host dialog the values are listed on standard error; the
// variables keep their values.
GLE_FUNCTION(sf_gleReSetPara) {
    Library *lib = library();
    if (!lib) return 0;
    const int n = argument_count(m);
    if (n % 2 != 0) return report_error(u"gleReSetPara", 1, ctx);
    const int pairs = n / 2;
    std::vector<std::u16string> names;
    std::vector<const char16_t *> pointers;
    std::vector<double> values;
    for (int i = 0; i < pairs; ++i) {
        std::u16string_view name;
        if (!formula_string(ctx, args[2 * i], name)) return report_error(u"gleReSetPara", 2, ctx);
        names.emplace_back(name);
        values.push_back(args[2 * i + 1]);
    }
    for (const auto &name : names) pointers.push_back(name.c_str());
    auto dialog = reinterpret_cast<TmReSetParaFn>(
        lib->kernel.SearchKey("MTM_ReSetPara", 13, TM_HOST_KEY_TYPE));
    use_tamrix(3);
    if (dialog) {
        dialog(pointers.data(), values.data(), pairs);
        for (int i = 0; i < pairs; ++i) args[2 * i + 1] = values[i];
    } else {
        for (int i = 0; i < pairs; ++i) {
            std::fprintf(stderr, "gleReSetPara: %s = %.17g\n",
                         platform::to_utf8(names[i]).c_str(), values[i]);
        }
    }
    use_tamrix(4);
    return 0;
}

}  // namespace gllib
