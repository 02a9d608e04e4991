// Arguments of the class functions: the class, member names and positions,
// each checked with the function's own report.
#pragma once

#include <string_view>

#include "args.h"
#include "class_members.h"
#include "formula_strings.h"
#include "objects.h"
#include "report.h"

namespace tmdata {

struct ClassCall {
    const IntArgs &a;
    std::u16string_view prefix;  // "CSetLen：" and the like

    int64_t fail(std::u16string_view message) const {
        report_error(a.ctx(), 1, prefix, message);
        return 0;
    }

    // The class in slot i, or null after reporting `missing`.
    TmDataClassBlock *cls(int i, std::u16string_view missing = u"类对象不存在。") const {
        TmDataClassBlock *block = find_class(a.handle(i));
        if (!block) fail(missing);
        return block;
    }

    // The class a member value names, or null after reporting.
    TmDataClassBlock *cls_of_value(int64_t value) const {
        TmDataClassBlock *block = find_class(uint32_t(value));
        if (!block) fail(u"类对象不存在。");
        return block;
    }

    // The member name literal in slot i, or null after a report.
    const char16_t *name(int i) const {
        const char16_t *s = formula_string(*library(), a.ctx(), a.integer(i));
        if (!s) fail(u"类成员名要用字符串标识。");
        return s;
    }

    // A literal in slot i or 0 for "no name": false after a report.
    bool optional_name(int i, const char16_t **out) const {
        *out = nullptr;
        return a.integer(i) == 0 || (*out = name(i)) != nullptr;
    }

    // The position of the member named in slot i, or -1 after a report.
    int member(const TmDataClassBlock &block, int i,
               std::u16string_view missingMid = u"”中没有类成员：") const {
        const char16_t *sought = name(i);
        if (!sought) return -1;
        const int position = find_member(block, sought);
        if (position >= 0) return position;
        std::u16string text = missing_member_text(block);
        if (block.length > 0 && block.names[0] && missingMid != u"”中没有类成员：") {
            text = u"类“" + std::u16string(block.names[0]) + std::u16string(missingMid);
        }
        report_error(a.ctx(), 1, prefix, text, sought);
        return -1;
    }
};

}  // namespace tmdata
