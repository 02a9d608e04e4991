#include "compile_errors.h"

#include "tamrix/compile_errors.h"

namespace ide {

std::u16string compile_error_reason(int code) {
    const char16_t *reason = tm_compile_result_reason(code);
    return reason ? reason : std::u16string();
}

std::u16string compile_error_message(int code) {
    std::u16string reason = compile_error_reason(code);
    if (reason.empty()) return reason;
    return u"\r\n编译错误：" + reason + u"\r\n";
}

}  // namespace ide
