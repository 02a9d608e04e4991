#include "run_report.h"

#include <climits>
#include <cstdint>

#include "tamrix/tamrix_ext.h"

namespace modlib {

namespace {

constexpr char kMessageKey[] = "TmMessage";
constexpr char kErrorTextTypeKey[] = "MTM_LockKeyErrStr";
constexpr int kMessageFormulaName = 2;
constexpr int kMessageFormulaModule = 4;

std::u16string decimal(long long value) {
    std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

size_t wide_length(const char16_t *text) {
    size_t n = 0;
    while (text[n] != 0) ++n;
    return n;
}

void append_formula(const extproto::KernelExports &kernel, const RunError &error,
                    std::u16string &out) {
    static const char16_t *const kLabels[] = {u"\r\n整数表达式名称：", u"\r\n实数表达式名称：",
                                              u"\r\n复数表达式名称："};
    if (!error.hFor || error.formulaType < 1 || error.formulaType > 3) return;
    int type = error.formulaType;
    auto name = reinterpret_cast<const char16_t *>(
        kernel.ExMsgWithTamrix(kMessageFormulaName, error.hFor, &type, nullptr));
    type = error.formulaType;
    intptr_t module = kernel.ExMsgWithTamrix(kMessageFormulaModule, error.hFor, &type, nullptr);
    out += kLabels[error.formulaType - 1];
    if (name) out += name;
    out += u"  所在模块：";
    out += decimal(int(module));
}

void append_kind(int type, std::u16string &out) {
    switch (type) {
    case 1: out += u"\r\n整数函数名："; break;
    case 2: out += u"\r\n实数函数名："; break;
    case 3: out += u"\r\n复数函数名："; break;
    case 4:
        out += u"\r\n出错原因：父表达式被删除！重新编译该表达式可以检查（或修复）这个错误。\r\n";
        break;
    case 5:
        out += u"\r\n出错原因：二级函数被删除！重新编译该表达式可以检查（或修复）这个错误。\r\n";
        break;
    default: out += u"\r\n其他运行错误！\r\n错误描述："; break;
    }
}

// The description the host filed for this function name, or null.  The key
// type travels as a number in the value of "MTM_LockKeyErrStr".
const char16_t *description_of(const extproto::KernelExports &kernel, const char16_t *name,
                               size_t length) {
    void *typeValue = kernel.SearchKey(kErrorTextTypeKey, int(sizeof kErrorTextTypeKey - 1),
                                       TM_SERVICE_KEY_TYPE);
    if (!typeValue || length == 0 || length > size_t(INT_MAX / 2)) return nullptr;
    int keyType = int(reinterpret_cast<intptr_t>(typeValue));
    return static_cast<const char16_t *>(kernel.SearchKey(name, int(length * 2), keyType));
}

void append_function(const extproto::KernelExports &kernel, const RunError &error,
                     std::u16string &out) {
    if (!error.name) return;
    size_t length = wide_length(error.name);
    out.append(error.name, length);
    out += u"  错误代码：";
    out += decimal(error.code);
    const char16_t *description = description_of(kernel, error.name, length);
    if (!description) return;
    out += u"\r\n出错原因：";
    std::u16string reason;
    out += find_reason(description, error.code, reason) ? reason : u"未找到！";
}

}  // namespace

bool find_reason(std::u16string_view description, int code, std::u16string &reason) {
    std::u16string marker = u"#" + decimal(code) + u":";
    size_t at = description.find(marker);
    if (at == std::u16string_view::npos) return false;
    size_t from = at + marker.size();
    size_t to = description.find(u';', from);
    reason.assign(description.substr(from, to == std::u16string_view::npos ? to : to - from));
    return true;
}

RunError take_run_error(const extproto::KernelExports &kernel) {
    RunError e;
    kernel.GetRunErr(&e.type, &e.name, &e.code, &e.formulaType, &e.hFor);
    return e;
}

std::u16string run_error_report(const extproto::KernelExports &kernel, const RunError &error) {
    std::u16string out;
    if (error.type == 0) return out;
    out += u"\r\n\r\nTamrix表达式运行错误！";
    append_formula(kernel, error, out);
    append_kind(error.type, out);
    append_function(kernel, error, out);
    out += u"\r\n";
    return out;
}

MessageFunction host_message_function(const extproto::KernelExports &kernel) {
    return reinterpret_cast<MessageFunction>(
        kernel.SearchKey(kMessageKey, int(sizeof kMessageKey - 1), TM_HOST_KEY_TYPE));
}

void print_run_error(const extproto::KernelExports &kernel, const RunError &error) {
    if (error.type == 0) return;
    MessageFunction message = host_message_function(kernel);
    if (!message) return;
    message(run_error_report(kernel, error).c_str());
}

}  // namespace modlib
