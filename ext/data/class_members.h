// Finding class members by name, shared by the functions that walk member
// paths.
#pragma once

#include <string>
#include <string_view>

#include "tamrix/tamrix_data.h"

namespace tmdata {

// The first position below the length whose name is `name`, or -1.
inline int find_member(const TmDataClassBlock &block, std::u16string_view name) {
    for (int i = 0; i < block.length; ++i) {
        if (block.names[i] && name == block.names[i]) return i;
    }
    return -1;
}

// The text that says a member is missing: it names the class by its first
// member when that has a name.
inline std::u16string missing_member_text(const TmDataClassBlock &block) {
    if (block.length > 0 && block.names[0]) {
        return u"类“" + std::u16string(block.names[0]) + u"”中没有类成员：";
    }
    return u"找不到类成员：";
}

}  // namespace tmdata
