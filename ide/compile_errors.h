// The texts of compile results (-7 to 39), as both hosts print them.
#pragma once

#include <string>

namespace ide {

// The reason alone ("括号不成对。"); empty for a code outside -7..39.
std::u16string compile_error_reason(int code);
// The output window's form: "\r\n编译错误：" + reason + "\r\n"; empty for a
// code outside -7..39, which prints nothing.
std::u16string compile_error_message(int code);

}  // namespace ide
