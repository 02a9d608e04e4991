#include "compile_errors.h"

namespace ide {
namespace {

struct ErrorText {
    int code;
    const char16_t *text;
};

const ErrorText kCompileErrorTexts[] = {
    {-7, u"递归调用指定的模块。"},
    {-6, u"找不到指定的模块或指定的模块编译错误。"},
    {-5, u"缺少模块名。"},
    {-4, u"注释符号/* ... */不成对。"},
    {-3, u"未使用模块编译功能，不能编译指定的模块。"},
    {-2, u"无法锁定模块。"},
    {-1, u"未使用。"},
    {0, u"编译成功。"},
    {1, u"内存分配失败。"},
    {2, u"括号不成对。"},
    {3, u"（等号后）没有表达式。"},
    {4, u"复数表达式中不能使用i作为参数。"},
    {5, u"字符串中转义字符错误。"},
    {6, u"字符串无效，即\"...\"不匹配。"},
    {7, u"不可识别字符。"},
    {8, u"表达式名称定义错误。"},
    {9, u"不可识别的自变量,自变量只能以字母或下画线开头。"},
    {10, u"不可识别的自变量定义方法，“(,:,:,:,:,...)”冒号过多。"},
    {11, u"自变量定义错误。"},
    {12, u"continue()函数只能有0个参数。"},
    {13, u"只能在while,until中使用continue函数。"},
    {14, u"break()函数只能有0个参数。"},
    {15, u"只能在while,until中使用break函数。"},
    {16, u"if,while,until,which中的参数个数至少为2个。"},
    {17, u"表达式中的数字错误。"},
    {18, u"&单目取地址运算符只能用于单独的变量。"},
    {19, u"单目运算符++、--错误。"},
    {20, u"括号内没有数字。"},
    {21, u"单目运算符+、-、!错误。"},
    {22, u"赋值“=”错误。"},
    {23, u"不正确的运算方式或其他语法错误。"},
    {24, u"不可识别变量名。"},
    {25, u"不可识别函数名。"},
    {26, u"一级函数只能有一个参数。"},
    {27, u"二级函数参数不匹配。"},
    {28, u"关键字Static或Common的位置非法。"},
    {29, u"（模块中）表达式有重名。"},
    {30, u"对形如“-2^3”的式子，须用括号给前置单目运算符“-”和乘方运算符“^”指出运算顺序。"},
    {31, u"类成员运算符后只能是变量名、字符串、括号运算符或者类成员函数。"},
    {32, u"调用整数表达式时参数不匹配。"},
    {33, u"调用实数表达式时参数不匹配。"},
    {34, u"调用复数表达式时参数不匹配。"},
    {35, u"自变量重名。"},
    {36, u"因检测到运行错误而退出。"},
    {37, u"未使用。"},
    {38, u"未使用。"},
    {39, u"源代码太长或字符串太多。"},
};

}  // namespace

std::u16string compile_error_reason(int code) {
    for (const ErrorText &entry : kCompileErrorTexts)
        if (entry.code == code) return entry.text;
    return {};
}

std::u16string compile_error_message(int code) {
    std::u16string reason = compile_error_reason(code);
    if (reason.empty()) return reason;
    return u"\r\n编译错误：" + reason + u"\r\n";
}

}  // namespace ide
