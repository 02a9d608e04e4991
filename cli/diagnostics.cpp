#include "diagnostics.h"

#include <algorithm>

#include "platform/text.h"

namespace cli {
namespace {

struct ErrorText {
    int code;
    const char *text;
};

const ErrorText kCompileErrorTexts[] = {
    {-7, "递归调用指定的模块。"},
    {-6, "找不到指定的模块或指定的模块编译错误。"},
    {-5, "缺少模块名。"},
    {-4, "注释符号/* ... */不成对。"},
    {-3, "未使用模块编译功能，不能编译指定的模块。"},
    {-2, "无法锁定模块。"},
    {-1, "未使用。"},
    {0, "编译成功。"},
    {1, "内存分配失败。"},
    {2, "括号不成对。"},
    {3, "（等号后）没有表达式。"},
    {4, "复数表达式中不能使用i作为参数。"},
    {5, "字符串中转义字符错误。"},
    {6, "字符串无效，即\"...\"不匹配。"},
    {7, "不可识别字符。"},
    {8, "表达式名称定义错误。"},
    {9, "不可识别的自变量,自变量只能以字母或下画线开头。"},
    {10, "不可识别的自变量定义方法，“(,:,:,:,:,...)”冒号过多。"},
    {11, "自变量定义错误。"},
    {12, "continue()函数只能有0个参数。"},
    {13, "只能在while,until中使用continue函数。"},
    {14, "break()函数只能有0个参数。"},
    {15, "只能在while,until中使用break函数。"},
    {16, "if,while,until,which中的参数个数至少为2个。"},
    {17, "表达式中的数字错误。"},
    {18, "&单目取地址运算符只能用于单独的变量。"},
    {19, "单目运算符++、--错误。"},
    {20, "括号内没有数字。"},
    {21, "单目运算符+、-、!错误。"},
    {22, "赋值“=”错误。"},
    {23, "不正确的运算方式或其他语法错误。"},
    {24, "不可识别变量名。"},
    {25, "不可识别函数名。"},
    {26, "一级函数只能有一个参数。"},
    {27, "二级函数参数不匹配。"},
    {28, "关键字Static或Common的位置非法。"},
    {29, "（模块中）表达式有重名。"},
    {30, "对形如“-2^3”的式子，须用括号给前置单目运算符“-”和乘方运算符“^”指出运算顺序。"},
    {31, "类成员运算符后只能是变量名、字符串、括号运算符或者类成员函数。"},
    {32, "调用整数表达式时参数不匹配。"},
    {33, "调用实数表达式时参数不匹配。"},
    {34, "调用复数表达式时参数不匹配。"},
    {35, "自变量重名。"},
    {36, "因检测到运行错误而退出。"},
    {37, "未使用。"},
    {38, "未使用。"},
    {39, "源代码太长或字符串太多。"},
};

bool is_low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Terminal columns of a character: East Asian wide characters take two, so
// the underline stays under Chinese text.
int display_width(char32_t c) {
    bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

size_t line_start_before(const std::u16string &source, size_t index) {
    size_t newline = index == 0 ? std::u16string::npos : source.rfind(u'\n', index - 1);
    return newline == std::u16string::npos ? 0 : newline + 1;
}

// The line holding index, without its line end.  Control characters show
// as '?', one column each like the characters they replace, so binary input
// cannot drive the terminal or cut the report short.
std::u16string line_at(const std::u16string &source, size_t index) {
    size_t begin = line_start_before(source, index);
    size_t end = source.find(u'\n', begin);
    if (end == std::u16string::npos) end = source.size();
    std::u16string line = source.substr(begin, end - begin);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    for (char16_t &c : line)
        if ((c < 0x20 && c != u'\t') || c == 0x7F || (c >= 0x80 && c < 0xA0)) c = u'?';
    return line;
}

// Spaces up to the column of `from` within the line, then '^' and '~' under
// [from, to]; tabs stay tabs so the marks line up wherever the tab stops are.
std::string underline(const std::u16string &line, size_t from, size_t to) {
    std::string marks;
    for (size_t i = 0; i < line.size() && i <= to; ++i) {
        char16_t c = line[i];
        if (is_low_surrogate(c)) continue;
        char32_t code = c;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < line.size() && is_low_surrogate(line[i + 1]))
            code = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(line[i + 1]) - 0xDC00);
        int width = display_width(code);
        char mark = i < from ? (c == u'\t' ? '\t' : ' ') : i == from ? '^' : '~';
        marks += mark;
        if (width == 2) marks += i < from ? ' ' : '~';
    }
    if (from >= line.size()) marks += '^';
    return marks;
}

}  // namespace

std::string compile_error_text(int code) {
    for (const ErrorText &entry : kCompileErrorTexts)
        if (entry.code == code) return std::string("编译错误：") + entry.text;
    return "";
}

SourcePosition position_of(const std::u16string &source, size_t index) {
    index = std::min(index, source.size());
    SourcePosition position;
    size_t begin = line_start_before(source, index);
    for (size_t i = 0; i < begin; ++i)
        if (source[i] == u'\n') ++position.line;
    for (size_t i = begin; i < index; ++i)
        if (!is_low_surrogate(source[i])) ++position.column;
    return position;
}

std::string format_compile_error(const std::string &name, const std::u16string &source,
                                 int code, int first, int last) {
    std::string report;
    std::string text = compile_error_text(code);
    if (!text.empty()) report += text + "\n";

    size_t size = source.size();
    size_t from = size == 0 ? 0 : std::min<size_t>(size_t(std::max(first, 0)), size - 1);
    size_t to = size == 0 ? 0 : std::min<size_t>(size_t(std::max(last, 0)), size - 1);
    if (to < from) to = from;
    SourcePosition start = position_of(source, from);
    SourcePosition end = position_of(source, to);
    report += name + ":" + std::to_string(start.line) + ":" + std::to_string(start.column) +
              ": compile error " + std::to_string(code) + " at " + std::to_string(start.line) +
              ":" + std::to_string(start.column) + "-" + std::to_string(end.line) + ":" +
              std::to_string(end.column) + "\n";
    if (size == 0) return report;

    std::u16string line = line_at(source, from);
    size_t line_begin = line_start_before(source, from);
    // A range running past its first line is underlined to that line's end.
    size_t line_to = std::min(to - line_begin, line.empty() ? 0 : line.size() - 1);
    report += "  " + platform::to_utf8(line) + "\n";
    report += "  " + underline(line, from - line_begin, line_to) + "\n";
    return report;
}

}  // namespace cli
