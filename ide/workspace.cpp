#include "workspace.h"

#include "text_file.h"

namespace ide {
namespace {

const std::vector<std::u16string> &files_of(const WorkspaceSections &sections, ConstantType type) {
    switch (type) {
        case ConstantType::Integer: return sections.int_files;
        case ConstantType::Real: return sections.real_files;
        case ConstantType::Complex: break;
    }
    return sections.complex_files;
}

const char16_t *refused_question(ConstantType type) {
    switch (type) {
        case ConstantType::Integer:
            return u"OpenTM：无法注册该整数常量！\r\n选择“是”将继续运行。选择“否”将中断此操作。";
        case ConstantType::Real:
            return u"OpenTM：无法注册该实数常量！\r\n选择“是”将继续运行。选择“否”将中断此操作。";
        case ConstantType::Complex: break;
    }
    return u"OpenTM：无法注册该复数常量！\r\n选择“是”将继续运行。选择“否”将中断此操作。";
}

// The message for a bad definition; one that would reach 520 characters
// says so instead of showing the definition.
std::u16string bad_definition_message(std::u16string_view path, std::u16string_view text) {
    std::u16string message =
        u"文件：" + std::u16string(path) + u"\r\n\r\n常量：" + std::u16string(text);
    if (message.size() >= 520)
        message =
            u"文件：" + std::u16string(path) + u"\r\n\r\n常量：*** 该常量定义太长，无法显示！ ***";
    return message;
}

int set_constant(const extproto::KernelExports &kernel, const ConstantDefinition &d,
                 ConstantType type) {
    switch (type) {
        case ConstantType::Integer: return kernel.SetConst(int(type), d.name.c_str(), &d.integer);
        case ConstantType::Real: return kernel.SetConst(int(type), d.name.c_str(), &d.re);
        case ConstantType::Complex: break;
    }
    double value[2] = {d.re, d.im};
    return kernel.SetConst(int(type), d.name.c_str(), value);
}

}  // namespace

std::vector<NamedFile> standard_modules(const WorkspaceSections &sections, Host &host) {
    std::vector<NamedFile> modules;
    for (const std::u16string &item : sections.modules) {
        StarItem split = split_star_item(item);
        if (split.name.size() >= kMaxModuleName) {
            host.message_box(split.name, u"OpenTM：模块名太长！", platform::kBoxOk);
            continue;
        }
        modules.push_back({split.name, full_path(split.file)});
    }
    return modules;
}

std::vector<CommandEntry> command_entries(const WorkspaceSections &sections, Host &host) {
    std::vector<CommandEntry> entries;
    int id = kFirstCommandId;
    for (size_t section = 0; section < sections.commands.size(); ++section) {
        for (const std::u16string &item : sections.commands[section].items) {
            StarItem split = split_star_item(item);
            if (!split.has_star || split.name.size() >= kMaxModuleName) {
                host.message_box(item, u"OpenTM：命令定义错误或命令名太长！", platform::kBoxOk);
                continue;
            }
            entries.push_back({id++, section, {split.name, full_path(split.file)}});
        }
    }
    return entries;
}

std::vector<std::u16string> keyword_list(const WorkspaceSections &sections) {
    std::vector<std::u16string> words;
    for (auto word = sections.keys.rbegin(); word != sections.keys.rend(); ++word)
        if (!word->empty() && word->size() <= kMaxKeyword) words.push_back(*word);
    return words;
}

void register_constants(const extproto::KernelExports &kernel, Host &host,
                        const WorkspaceSections &sections, ConstantType type,
                        const SourceLookup &source) {
    for (const std::u16string &name : files_of(sections, type)) {
        std::u16string path = full_path(name);
        std::u16string text;
        if (path.empty() || !source(path, text)) continue;
        for (const ConstantDefinition &definition : parse_constants(text, type)) {
            if (!definition.ok) {
                host.message_box(bad_definition_message(path, definition.text),
                                 u"OpenTM：常量定义错误！", platform::kBoxOk);
                continue;
            }
            if (set_constant(kernel, definition, type) == 0) continue;
            if (host.message_box(refused_question(type), definition.name,
                                 platform::kBoxYesNo | platform::kBoxIconQuestion) ==
                platform::kAnswerNo)
                break;
        }
    }
}

}  // namespace ide
