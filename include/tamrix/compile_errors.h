/* Compile result codes and their texts, as the hosts print them.
 *
 * One table for the kernel's results (0 ok, 1 out of memory, -2 module
 * locked, 2..39 compile errors) and the module compiler's (-7..-3), so that
 * no host keeps a copy.  The texts are the reasons alone ("括号不成对。"); the
 * output window prints "\r\n编译错误：" + reason + "\r\n".
 *
 * X(code, NAME, reason): TM_CE_NAME is the code's enumerator.
 */
#ifndef TAMRIX_COMPILE_ERRORS_H
#define TAMRIX_COMPILE_ERRORS_H

#ifndef __cplusplus
#include <uchar.h>
#endif

#define TM_COMPILE_RESULTS(X) \
    X(-7, MODULE_RECURSION, u"递归调用指定的模块。") \
    X(-6, MODULE_NOT_FOUND, u"找不到指定的模块或指定的模块编译错误。") \
    X(-5, MODULE_NAME_MISSING, u"缺少模块名。") \
    X(-4, COMMENT_UNCLOSED, u"注释符号/* ... */不成对。") \
    X(-3, MODULES_UNAVAILABLE, u"未使用模块编译功能，不能编译指定的模块。") \
    X(-2, MODULE_LOCKED, u"无法锁定模块。") \
    X(-1, UNUSED_MINUS_1, u"未使用。") \
    X(0, OK, u"编译成功。") \
    X(1, NO_MEMORY, u"内存分配失败。") \
    X(2, BRACKETS, u"括号不成对。") \
    X(3, NO_EXPRESSION, u"（等号后）没有表达式。") \
    X(4, I_AS_PARAMETER, u"复数表达式中不能使用i作为参数。") \
    X(5, BAD_ESCAPE, u"字符串中转义字符错误。") \
    X(6, UNCLOSED_STRING, u"字符串无效，即\"...\"不匹配。") \
    X(7, BAD_CHARACTER, u"不可识别字符。") \
    X(8, BAD_FORMULA_NAME, u"表达式名称定义错误。") \
    X(9, BAD_HEADER_ENTRY, u"不可识别的自变量,自变量只能以字母或下画线开头。") \
    X(10, TOO_MANY_COLONS, u"不可识别的自变量定义方法，“(,:,:,:,:,...)”冒号过多。") \
    X(11, BAD_HEADER_COMMA, u"自变量定义错误。") \
    X(12, CONTINUE_ARGUMENTS, u"continue()函数只能有0个参数。") \
    X(13, CONTINUE_OUTSIDE_LOOP, u"只能在while,until中使用continue函数。") \
    X(14, BREAK_ARGUMENTS, u"break()函数只能有0个参数。") \
    X(15, BREAK_OUTSIDE_LOOP, u"只能在while,until中使用break函数。") \
    X(16, CONTROL_ARGUMENTS, u"if,while,until,which中的参数个数至少为2个。") \
    X(17, BAD_NUMBER, u"表达式中的数字错误。") \
    X(18, BAD_ADDRESS_OF, u"&单目取地址运算符只能用于单独的变量。") \
    X(19, BAD_INCREMENT, u"单目运算符++、--错误。") \
    X(20, EMPTY_BRACKETS, u"括号内没有数字。") \
    X(21, BAD_UNARY, u"单目运算符+、-、!错误。") \
    X(22, BAD_ASSIGNMENT, u"赋值“=”错误。") \
    X(23, BAD_OPERATORS, u"不正确的运算方式或其他语法错误。") \
    X(24, UNKNOWN_VARIABLE, u"不可识别变量名。") \
    X(25, UNKNOWN_FUNCTION, u"不可识别函数名。") \
    X(26, BUILTIN_ONE_ARGUMENT, u"一级函数只能有一个参数。") \
    X(27, BUILTIN_TWO_ARGUMENTS, u"二级函数参数不匹配。") \
    X(28, MISPLACED_KEYWORD, u"关键字Static或Common的位置非法。") \
    X(29, NAME_EXISTS, u"（模块中）表达式有重名。") \
    X(30, UNARY_MINUS_POWER, u"对形如“-2^3”的式子，须用括号给前置单目运算符“-”和乘方运算符“^”指出运算顺序。") \
    X(31, BAD_MEMBER, u"类成员运算符后只能是变量名、字符串、括号运算符或者类成员函数。") \
    X(32, INT_CALL_ARGUMENTS, u"调用整数表达式时参数不匹配。") \
    X(33, REAL_CALL_ARGUMENTS, u"调用实数表达式时参数不匹配。") \
    X(34, COMPLEX_CALL_ARGUMENTS, u"调用复数表达式时参数不匹配。") \
    X(35, DUPLICATE_VARIABLE, u"自变量重名。") \
    X(36, STOPPED_BY_RUN_ERROR, u"因检测到运行错误而退出。") \
    X(37, UNUSED_37, u"未使用。") \
    X(38, UNUSED_38, u"未使用。") \
    X(39, SOURCE_TOO_LONG, u"源代码太长或字符串太多。")

enum TmCompileResult {
#define TM_COMPILE_RESULT_ENUM(code, name, reason) TM_CE_##name = code,
    TM_COMPILE_RESULTS(TM_COMPILE_RESULT_ENUM)
#undef TM_COMPILE_RESULT_ENUM
};

/* The reason for a result code, or a null pointer for a code outside the
 * table. */
static inline const char16_t *tm_compile_result_reason(int code) {
    switch (code) {
#define TM_COMPILE_RESULT_CASE(code, name, reason) case code: return reason;
        TM_COMPILE_RESULTS(TM_COMPILE_RESULT_CASE)
#undef TM_COMPILE_RESULT_CASE
    default: return 0;
    }
}

#endif
