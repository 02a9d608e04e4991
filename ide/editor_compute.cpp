// Compiling and running from the code window, the clipboard, a selection,
// the command items and the module manager.
#include "editor.h"
#include "editor_text.h"
#include "platform/text.h"

#include <algorithm>

namespace ide {
namespace {

constexpr char16_t kCaption[] = u"OpenTM";
constexpr char16_t kReady[] = u"准备就绪";
constexpr char16_t kCompiling[] = u"正在编译程序... ...";

}  // namespace

void Editor::compile() {
    engine_.set_run_directory(current_name_);
    host_.set_status(kCompiling);
    engine_.compile_source(engine_.main_module(), nullptr, kMainModuleName, kMainModule);
    host_.scroll_output_to_end();
    host_.set_status(kReady);
}

void Editor::run() {
    host_.set_status(u"正在执行程序... ...");
    engine_.run_module(engine_.main_module());
    host_.scroll_output_to_end();
    host_.set_status(kReady);
}

void Editor::compute() {
    compile();
    run();
}

void Editor::compute_as_ordinary_module() {
    if (current_name_.empty()) {
        host_.message_box(u"请先保存文件，然后执行该操作！", kCaption, platform::kBoxOk);
        return;
    }
    ModuleEntry entry{file_name_of(current_name_), current_name_, kOrdinaryModule, {}, false};
    engine_.set_run_directory(current_name_);
    engine_.compile_source(entry.module, nullptr, entry.name, entry.kind);
    engine_.run_module(entry.module);
    if (entry.module.compiled()) engine_.modules().push_front(std::move(entry));
    host_.scroll_output_to_end();
}

void Editor::compute_as_temporary_module() {
    ModuleEntry entry{
        std::u16string(u"") + platform::from_utf8(std::to_string(temporary_counter_++)),
        current_name_,
        kTemporaryModule,
        {},
        false};
    engine_.set_run_directory(current_name_);
    engine_.compile_source(entry.module, nullptr, entry.name, entry.kind);
    engine_.run_module(entry.module);
    if (entry.module.compiled()) engine_.modules().push_front(std::move(entry));
    host_.scroll_output_to_end();
}

void Editor::compute_text(const std::u16string &text) {
    engine_.set_run_directory(current_name_);
    engine_.compile_source(engine_.main_module(), &text, kMainModuleName, kMainModule);
    engine_.run_module(engine_.main_module());
    host_.scroll_output_to_end();
}

void Editor::compute_clipboard() {
    host_.append_output(u"\r\n\r\n>> 计算剪贴板中文本... ...\r\n");
    std::u16string text;
    switch (host_.clipboard_text(text)) {
        case Host::Clipboard::Text: compute_text(text); return;
        case Host::Clipboard::NoText:
            host_.message_box(u"剪贴板上无文本数据，不能计算！", kCaption, platform::kBoxOk);
            return;
        case Host::Clipboard::OpenFailed:
            host_.message_box(u"剪贴板打开失败！", kCaption, platform::kBoxOk);
            return;
        case Host::Clipboard::ReadFailed:
            host_.message_box(u"无法读取剪贴板数据！", kCaption, platform::kBoxOk);
            return;
    }
}

void Editor::compute_selection() {
    host_.append_output(u"\r\n\r\n>> 计算选中文本... ...\r\n");
    int start = 0, end = 0;
    host_.code_selection(start, end);
    if (start >= end) {
        host_.message_box(u"请先选中文本，然后执行计算！", kCaption, platform::kBoxOk);
        return;
    }
    // Without line feeds the text counts as the editor does.
    std::u16string text = drop_line_feeds(host_.code_text());
    size_t from = std::min(size_t(start), text.size());
    size_t to = std::min(size_t(end), text.size());
    compute_text(text.substr(from, to - from));
}

void Editor::compile_and_run_entry(ModuleEntry &entry, std::u16string_view failure_caption,
                                   std::u16string_view read_failure) {
    engine_.set_run_directory(entry.file);
    if (!entry.module.compiled()) {
        std::u16string text;
        if (!engine_.source_of(entry.file, text, false)) {
            host_.message_box(read_failure, kCaption, platform::kBoxOk);
            return;
        }
        engine_.compile_source(entry.module, &text, entry.name, entry.kind);
        if (!entry.module.compiled())
            host_.message_box(entry.file, failure_caption, platform::kBoxOk);
    }
    engine_.run_module(entry.module);
    host_.scroll_output_to_end();
}

void Editor::run_command(int id) {
    host_.set_status(kCompiling);
    store_editor_first();
    ModuleEntry *command = nullptr;
    int index = id - kFirstCommandId;
    for (ModuleEntry &entry : engine_.modules())
        if (entry.kind == kCommandModule && index-- == 0) {
            command = &entry;
            break;
        }
    if (!command || id < kFirstCommandId) {
        host_.message_box(u"致命错误，命令丢失！", kCaption, platform::kBoxOk);
        host_.set_status(kReady);
        return;
    }
    host_.append_output(u"\r\n\r\n>> 执行命令... ...。命令文件：" + command->file + u"\r\n");
    compile_and_run_entry(*command, u"OpenTM：命令文件有错误或者无法编译！", u"无法打开命令文件！");
    host_.set_status(kReady);
}

void Editor::run_named_module(std::u16string_view name) {
    for (ModuleEntry &entry : engine_.modules()) {
        if (entry.name != name) continue;
        if (!entry.module.compiled())
            host_.append_output(u"\r\n>> 正在编译模块：" + entry.name + u"\r\n");
        engine_.set_run_directory(entry.file);
        if (!entry.module.compiled()) {
            std::u16string text;
            if (!engine_.source_of(entry.file, text, false)) {
                host_.message_box(u"无法打开文件！", kCaption, platform::kBoxOk);
                return;
            }
            engine_.compile_source(entry.module, &text, entry.name, entry.kind);
            if (!entry.module.compiled())
                host_.message_box(entry.file, u"OpenTM：模块文件有错误或者无法编译！",
                                  platform::kBoxOk);
        }
        host_.append_output(u"\r\n>> 正在执行模块：" + entry.name + u"\r\n");
        engine_.run_module(entry.module);
        return;
    }
    host_.message_box(u"该模块不存在或者已经删除！", kCaption, platform::kBoxOk);
}

void Editor::release_named_module(std::u16string_view name) {
    const ModuleServices &services = engine_.services();
    int taken = services.UseTamrix ? services.UseTamrix(kTake) : -1;
    if (taken == 1)
        host_.message_box(u"Tamrix工作区被占用！无法执行该操作！\r\n\r\n请稍后再试！", kCaption,
                          platform::kBoxOk);
    if (taken != 0) return;
    ModuleList &modules = engine_.modules();
    auto entry = std::find_if(modules.begin(), modules.end(),
                              [&](const ModuleEntry &e) { return e.name == name; });
    if (entry == modules.end()) {
        services.UseTamrix(kRelease);
        host_.message_box(u"该模块不存在或者已经删除！", kCaption, platform::kBoxOk);
        return;
    }
    engine_.release_module(entry->module);
    if (entry->kind == kOrdinaryModule || entry->kind == kTemporaryModule) modules.erase(entry);
    engine_.release_module(engine_.main_module());
    services.UseTamrix(kRelease);
}

void Editor::release_all_modules() {
    const ModuleServices &services = engine_.services();
    int taken = services.UseTamrix ? services.UseTamrix(kTake) : -1;
    if (taken == 1)
        host_.message_box(u"Tamrix工作区被占用！无法执行该操作！\r\n\r\n请稍后再试！", kCaption,
                          platform::kBoxOk);
    if (taken != 0) return;
    ModuleList &modules = engine_.modules();
    for (auto entry = modules.begin(); entry != modules.end();) {
        engine_.release_module(entry->module);
        bool compiled_here = entry->kind == kOrdinaryModule || entry->kind == kTemporaryModule;
        entry = compiled_here ? modules.erase(entry) : std::next(entry);
    }
    services.UseTamrix(kRelease);
    engine_.release_module(engine_.main_module());
}

}  // namespace ide
