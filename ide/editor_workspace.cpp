// The workspace: start-up, the reload commands, setting and closing it, the
// default workspace.
#include <algorithm>

#include "association.h"
#include "editor.h"
#include "platform/install_layout.h"
#include "platform/text.h"
#include "shell_open.h"

namespace ide {
namespace {

constexpr char16_t kCaption[] = u"OpenTM";
constexpr char16_t kBusy[] = u"Tamrix工作区被占用！无法执行该操作！\r\n\r\n请稍后再试！";

std::u16string trimmed(std::u16string_view text) {
    const char16_t *blanks = u" \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::u16string_view::npos) return {};
    return std::u16string(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}

}  // namespace

WorkspaceSections Editor::sections() const {
    const OpenFile &slot = files_.front();
    return slot.text ? parse_workspace(*slot.text) : WorkspaceSections{};
}

bool Editor::busy_check() {
    const ModuleServices &services = engine_.services();
    if (!services.UseTamrix) return true;
    int taken = services.UseTamrix(kTake);
    if (taken == 0) services.UseTamrix(kRelease);
    if (taken != 1) return true;
    host_.message_box(u"请先关闭主线程中运行的程序！", kCaption, platform::kBoxOk);
    return false;
}

void Editor::store_editor_first() {
    if (!current_name_.empty()) store_editor(host_.code_modified());
}

// Workspace items load with "#PATH" as the current directory (the program
// directory without it); the directory in force before comes back after.
// A relative "#PATH" starts at the workspace file's own directory, not at
// whatever directory happens to be current (that depends on how the editor
// was started and on the file opened last), so a workspace kept beside its
// files, like the plotting examples', finds them wherever it is.
template <typename Work>
void Editor::in_workspace_directory(Work work) {
    std::u16string saved = current_directory();
    WorkspaceSections parsed = sections();
    std::u16string path = parsed.path ? trimmed(*parsed.path) : program_directory();
    const std::u16string &workspace_path = files_.front().path;
    if (parsed.path && !path.empty() && path.front() != u'/' && !workspace_path.empty())
        path = directory_of(workspace_path) + path;
    change_directory(path);
    work();
    change_directory(saved);
}

// Takes the workspace for a workspace item: 0 taken; otherwise the item is
// skipped (busy shows its message).
int Editor::take_for_items() {
    const ModuleServices &services = engine_.services();
    if (!services.UseTamrix) return -1;
    int taken = services.UseTamrix(kTake);
    if (taken == 1) host_.message_box(kBusy, kCaption, platform::kBoxOk);
    return taken;
}

void Editor::load_extension_item() {
    if (!workspace().text) {
        engine_.load_extensions(u"");
        return;
    }
    if (take_for_items() != 0) return;
    ModuleList &modules = engine_.modules();
    for (auto entry = modules.begin(); entry != modules.end();) {
        engine_.release_module(entry->module);
        bool compiled_here = entry->kind == kOrdinaryModule || entry->kind == kTemporaryModule;
        entry = compiled_here ? modules.erase(entry) : std::next(entry);
    }
    engine_.release_module(engine_.main_module());
    engine_.services().UseTamrix(kRelease);
    WorkspaceSections parsed = sections();
    engine_.load_extensions(parsed.load ? *parsed.load : u"");
}

void Editor::load_constant_item(ConstantType type) {
    if (!workspace().text) return;
    if (take_for_items() != 0) return;
    register_constants(engine_.kernel(), host_, sections(), type,
                       [this](std::u16string_view path, std::u16string &text) {
                           return engine_.source_of(path, text, true);
                       });
    engine_.services().UseTamrix(kRelease);
}

// Removes the entries of one kind, releasing what they compiled.
static void remove_kind(Engine &engine, int kind) {
    ModuleList &modules = engine.modules();
    for (auto entry = modules.begin(); entry != modules.end();) {
        if (entry->kind != kind) {
            ++entry;
            continue;
        }
        engine.release_module(entry->module);
        entry = modules.erase(entry);
    }
}

void Editor::load_module_items() {
    if (take_for_items() != 0) return;
    remove_kind(engine_, kStandardModule);
    engine_.services().UseTamrix(kRelease);
    for (NamedFile &module : standard_modules(sections(), host_))
        engine_.modules().push_back(ModuleEntry{
            std::move(module.name), std::move(module.file), kStandardModule, {}, false});
}

void Editor::load_command_items() {
    if (take_for_items() != 0) return;
    remove_kind(engine_, kCommandModule);
    engine_.services().UseTamrix(kRelease);
    WorkspaceSections parsed = sections();
    commands_ = command_entries(parsed, host_);
    std::vector<Host::CommandMenu> menus;
    for (const CommandSection &section : parsed.commands) menus.push_back({section.title, {}});
    for (const CommandEntry &command : commands_) {
        menus[command.section].items.push_back(command.module.name);
        engine_.modules().push_back(
            ModuleEntry{command.module.name, command.module.file, kCommandModule, {}, false});
    }
    host_.set_command_menu(menus);
}

void Editor::load_keywords() {
    keywords_ = keyword_list(sections());
    host_.set_keywords(keywords_);
}

void Editor::startup_load() {
    in_workspace_directory([this] {
        load_extension_item();
        load_constant_item(ConstantType::Integer);
        load_constant_item(ConstantType::Real);
        load_constant_item(ConstantType::Complex);
        load_module_items();
        load_command_items();
    });
    rebuild_window_menu();
    show_current();
    load_keywords();
}

// Restarting the kernel drops the texts filed in it: the shipped ones come
// back at once.
void Editor::restart_engine() {
    engine_.rebind_engine();
    engine_.load_shipped_texts(shipped_texts_directory());
}

bool Editor::start(std::u16string_view file_argument) {
    engine_.load_shipped_texts(shipped_texts_directory());
    std::u16string default_workspace;
    if (!settings_.read_default_workspace(default_workspace)) {
        host_.message_box(u"注册表操作失败！", kCaption, platform::kBoxOk);
        return false;
    }
    OpenFile &slot = files_.front();
    if (!default_workspace.empty()) {
        slot.path = full_path(default_workspace);
        TextFile file;
        std::u16string caption;
        if (read_text_file(slot.path, file, &caption)) {
            slot.text = std::move(file.text);
            slot.encoding = file.encoding;
            current_ = files_.begin();
        } else {
            host_.message_box(slot.path, u"OpenTM：不能打开工作区文件！", platform::kBoxOk);
        }
    }
    std::u16string argument = full_path(file_argument);
    if (!argument.empty() && !same_path(argument, slot.path)) {
        TextFile file;
        std::u16string caption;
        if (read_text_file(argument, file, &caption)) {
            current_ = files_.insert(
                first_ordinary(), OpenFile{argument, std::move(file.text), false, file.encoding});
        } else {
            host_.message_box(argument, caption, platform::kBoxOk);
        }
    }
    // The file argument's directory becomes current (the program's without
    // one), as a user starting the editor on a file expects.
    change_directory(argument.empty() ? program_directory() : directory_of(argument));
    startup_load();
    return true;
}

void Editor::reload_all() {
    if (!busy_check()) return;
    store_editor_first();
    in_workspace_directory([this] {
        engine_.release_module(engine_.main_module());
        engine_.delete_all_modules();
        restart_engine();
        load_extension_item();
        load_constant_item(ConstantType::Integer);
        load_constant_item(ConstantType::Real);
        load_constant_item(ConstantType::Complex);
        load_command_items();
        load_module_items();
    });
    load_keywords();
}

void Editor::reload_extensions() {
    store_editor_first();
    in_workspace_directory([this] {
        engine_.release_module(engine_.main_module());
        load_extension_item();
    });
}

void Editor::reload_commands() {
    store_editor_first();
    in_workspace_directory([this] {
        load_command_items();
        engine_.release_module(engine_.main_module());
    });
}

void Editor::reload_modules() {
    store_editor_first();
    in_workspace_directory([this] {
        load_module_items();
        engine_.release_module(engine_.main_module());
    });
}

void Editor::reload_constants(ConstantType type) {
    store_editor_first();
    in_workspace_directory([this, type] { load_constant_item(type); });
}

void Editor::set_current_as_workspace() {
    if (!busy_check()) return;
    if (current_ != files_.end() && is_workspace(current_)) return;
    if (current_name_.empty()) {
        host_.message_box(u"请先保存文件，再设置工作区！", kCaption, platform::kBoxOk);
        return;
    }
    store_editor(host_.code_modified());
    OpenFile &slot = files_.front();
    if (slot.text) {
        std::swap(slot.path, current_->path);
        std::swap(slot.text, current_->text);
        std::swap(slot.modified, current_->modified);
        std::swap(slot.encoding, current_->encoding);
    } else {
        slot = std::move(*current_);
        files_.erase(current_);
    }
    current_ = files_.begin();
    rebuild_window_menu();
    show_current();
    reload_all();
}

void Editor::close_workspace() {
    if (!busy_check()) return;
    OpenFile &slot = files_.front();
    if (!slot.text) {
        host_.message_box(u"工作区本身就是空的！", kCaption, platform::kBoxOk);
        return;
    }
    store_editor_first();
    bool was_current = current_ == files_.begin();
    Entry moved = files_.insert(first_ordinary(), std::move(slot));
    files_.front() = OpenFile{};
    if (was_current) current_ = moved;
    rebuild_window_menu();
    engine_.delete_all_modules();
    restart_engine();
    engine_.release_module(engine_.main_module());
    load_command_items();
    host_.message_box(u"工作区文件已经转为普通文件，工作区已关闭！", kCaption, platform::kBoxOk);
}

void Editor::set_default_workspace() {
    if (current_name_.empty()) {
        host_.message_box(u"请先保存文件，再设置缺省工作区！", kCaption, platform::kBoxOk);
        return;
    }
    if (!settings_.write_default_workspace(current_name_))
        host_.message_box(u"不能将缺省工作区文件名保存到注册表！", kCaption, platform::kBoxOk);
    else
        host_.message_box(u"缺省工作区已重新设置！如果重新启动程序，该工作区会自动打开！", kCaption,
                          platform::kBoxOk);
}

void Editor::clear_default_workspace() {
    if (!settings_.write_default_workspace(u""))
        host_.message_box(u"注册表操作失败！", kCaption, platform::kBoxOk);
    else
        host_.message_box(u"缺省工作区已设置为空！", kCaption, platform::kBoxOk);
}

bool Editor::open_help() {
    return shell_open(platform::data_directory_for("opentm.htm") + "/opentm.htm");
}

void Editor::remove_file_association() {
    if (host_.message_box(
            u"取消本程序和“.otm”文件之间的关联后，将不能自动打开扩展名为“.otm”的文件。\r\n\r\n"
            u"是否取消这种关联？",
            kCaption, platform::kBoxYesNo | platform::kBoxIconQuestion) != platform::kAnswerYes)
        return;
    remove_association();
    host_.message_box(
        u"已经取消了本程序和“.otm”文件之间的关联，如果您重新运行本程序，仍将建立这种关联。",
        kCaption, platform::kBoxOk);
}

}  // namespace ide
