// The open-file list and the file and window commands.
#include "editor.h"

namespace ide {
namespace {

constexpr char16_t kCaption[] = u"OpenTM";
constexpr char16_t kTitleSuffix[] = u" - OpenTM";
// Limits of both edit windows after everything was closed.
constexpr int kInitialWindowLimit = 30000;

}  // namespace

Editor::Editor(Host &host, Engine &engine, Settings &settings)
    : host_(host), engine_(engine), settings_(settings) {
    files_.emplace_back();  // the workspace slot
    current_ = files_.end();
    engine_.set_open_text_lookup(
        [this](std::u16string_view path, std::u16string &text) { return open_text(path, text); });
}

Editor::Entry Editor::find(std::u16string_view path) {
    for (Entry entry = files_.begin(); entry != files_.end(); ++entry)
        if (!entry->path.empty() && same_path(entry->path, path)) return entry;
    return files_.end();
}

bool Editor::open_text(std::u16string_view path, std::u16string &text) {
    Entry entry = find(path);
    if (entry == files_.end() || !entry->text) return false;
    text = *entry->text;
    return true;
}

void Editor::store_editor(bool modified) {
    if (current_name_.empty()) return;
    Entry entry = find(current_name_);
    if (entry == files_.end()) {
        std::u16string path = full_path(current_name_);
        if (path.empty()) return;
        entry = files_.insert(first_ordinary(),
                              OpenFile{path, std::nullopt, false, TextEncoding::Utf8});
    }
    entry->text = host_.code_text();
    entry->modified = modified;
    current_ = entry;
}

bool Editor::fits(const std::u16string &text) {
    int needed = int(std::min<size_t>(text.size(), 1u << 30)) + 10;
    if (host_.limit(Window::Code) < needed) host_.set_limit(Window::Code, needed);
    return int(text.size()) + 2 < host_.limit(Window::Code);
}

void Editor::show_current() {
    for (Entry entry = current_; entry != files_.end(); ++entry) {
        if (!entry->text) continue;
        if (!fits(*entry->text)) {
            host_.message_box(entry->path,
                              u"OpenTM：文件太大，无法装入代码窗口！将尝试装入下一个文件。",
                              platform::kBoxOk);
            continue;
        }
        current_ = entry;
        host_.set_code_text(*entry->text);
        host_.set_title(entry->path + kTitleSuffix);
        current_name_ = entry->path;
        host_.set_code_modified(entry->modified);
        return;
    }
    current_ = files_.end();
    host_.set_code_text(u"");
    host_.set_title(kCaption);
    current_name_.clear();
    host_.set_code_modified(false);
}

void Editor::rebuild_window_menu() {
    std::vector<std::u16string> paths;
    for (Entry entry = first_ordinary(); entry != files_.end(); ++entry)
        if (entry->text) paths.push_back(entry->path);
    host_.set_window_menu(paths);
}

bool Editor::write_entry(OpenFile &file, const std::u16string &text) {
    std::u16string caption;
    if (write_text_file(file.path, text, file.encoding, &caption)) return true;
    host_.message_box(file.path, caption, platform::kBoxOk);
    return false;
}

// Writes the code window to the current file (save-as without a name).
bool Editor::write_current() {
    if (current_name_.empty()) return save_as();
    Entry entry = find(current_name_);
    OpenFile target{current_name_, std::nullopt, false,
                    entry == files_.end() ? TextEncoding::Utf8 : entry->encoding};
    if (!write_entry(target, host_.code_text())) return false;
    host_.set_code_modified(false);
    store_editor(false);
    return true;
}

int Editor::ask_save(std::u16string_view text, std::u16string_view caption) {
    return host_.message_box(text, caption, platform::kBoxYesNoCancel | platform::kBoxIconWarning);
}

bool Editor::handle_unsaved_new_text() {
    if (!host_.code_modified()) return true;
    if (!current_name_.empty()) {
        store_editor(true);
        return true;
    }
    switch (ask_save(u"新文件正文已经更改。\r\n\r\n是否保存更改？", kCaption)) {
        case platform::kAnswerYes: return save_as();
        case platform::kAnswerNo: host_.set_code_modified(false); return true;
        default: return false;
    }
}

void Editor::new_file() {
    if (!handle_unsaved_new_text()) return;
    current_ = files_.end();
    show_current();
}

void Editor::open_file() {
    if (!handle_unsaved_new_text()) return;
    store_editor(host_.code_modified());
    std::optional<std::u16string> chosen = host_.ask_open_path();
    if (chosen) open_path(*chosen);
}

void Editor::open_path(std::u16string_view name) {
    std::u16string path = full_path(name);
    if (path.empty()) return;
    Entry entry = find(path);
    if (entry != files_.end() && entry->text) {
        current_ = entry;
        show_current();
        host_.message_box(path, u"OpenTM：没有重新打开文件，该文件已经在OpenTM中打开！",
                          platform::kBoxOk);
        return;
    }
    TextFile file;
    std::u16string caption;
    if (!read_text_file(path, file, &caption)) {
        host_.message_box(path, caption, platform::kBoxOk);
        return;
    }
    if (!fits(file.text)) {
        host_.message_box(path,
                          u"OpenTM：文件太大，无法装入代码窗口！请将该文件作为模块文件来使用。",
                          platform::kBoxOk);
        current_ = files_.end();
        show_current();
        return;
    }
    if (entry == files_.end()) entry = files_.insert(first_ordinary(), OpenFile{path});
    entry->text = std::move(file.text);
    entry->encoding = file.encoding;
    entry->modified = false;
    current_ = entry;
    show_current();
    rebuild_window_menu();
}

void Editor::close_file() {
    if (host_.code_modified()) {
        int answer = ask_save(u"文件正文已经更改。\r\n\r\n是否保存更改？", kCaption);
        if (answer == platform::kAnswerCancel) return;
        if (answer == platform::kAnswerYes && !write_current()) return;
        host_.set_code_modified(false);
    }
    Entry next = files_.end();
    if (current_ != files_.end()) {
        if (is_workspace(current_)) {
            host_.message_box(current_->path, u"OpenTM：不能关闭工作区文件！", platform::kBoxOk);
            return;
        }
        next = files_.erase(current_);
    }
    current_ = next != files_.end() ? next : files_.begin();
    rebuild_window_menu();
    show_current();
}

void Editor::close_all() {
    if (host_.code_modified()) {
        int answer = ask_save(u"文件正文已经更改。\r\n\r\n是否保存更改？", kCaption);
        if (answer == platform::kAnswerCancel) return;
        if (answer == platform::kAnswerYes && !write_current()) return;
        if (answer == platform::kAnswerNo && current_ != files_.end())
            current_->modified = false;  // the changes are dropped
        host_.set_code_modified(false);
    }
    for (Entry entry = first_ordinary(); entry != files_.end(); ++entry) {
        if (!entry->modified || !entry->text) continue;
        current_ = entry;
        show_current();
        int answer = ask_save(u"OpenTM：文件正文已经更改。是否保存更改？", entry->path);
        if (answer == platform::kAnswerCancel) {
            host_.set_code_modified(true);
            return;
        }
        if (answer == platform::kAnswerYes) write_entry(*entry, *entry->text);
    }
    files_.erase(first_ordinary(), files_.end());
    if (!workspace().text) {
        host_.set_limit(Window::Code, kInitialWindowLimit);
        host_.set_limit(Window::Output, kInitialWindowLimit);
        host_.clear_output();
    }
    current_ = files_.begin();
    rebuild_window_menu();
    show_current();
}

void Editor::save() { write_current(); }

void Editor::save_all() {
    if (!handle_unsaved_new_text()) return;
    store_editor(host_.code_modified());
    for (OpenFile &file : files_) {
        if (!file.modified || !file.text || file.path.empty()) continue;
        if (write_entry(file, *file.text)) file.modified = false;
    }
    if (current_ != files_.end() && !current_->modified) host_.set_code_modified(false);
}

bool Editor::save_as() {
    store_editor(host_.code_modified());
    std::optional<std::u16string> chosen = host_.ask_save_path();
    if (!chosen) return false;
    std::u16string path = full_path(*chosen);
    if (path.empty()) return false;
    // Another name is another file: written as UTF-8 unless that file is
    // open already and keeps its own encoding.
    Entry existing = find(path);
    OpenFile target{path, std::nullopt, false,
                    existing == files_.end() ? TextEncoding::Utf8 : existing->encoding};
    if (!write_entry(target, host_.code_text())) return false;
    current_name_ = path;
    host_.set_title(path + kTitleSuffix);
    host_.set_code_modified(false);
    store_editor(false);
    rebuild_window_menu();
    return true;
}

bool Editor::can_close_window() {
    const ModuleServices &services = engine_.services();
    if (services.UseTamrix) {
        int taken = services.UseTamrix(kTake);
        if (taken == 1) {
            host_.message_box(u"请先关闭主线程中运行的程序！", kCaption, platform::kBoxOk);
            return false;
        }
        if (taken == 0) services.UseTamrix(kRelease);
    }
    if (!handle_unsaved_new_text()) return false;
    for (Entry entry = files_.begin(); entry != files_.end(); ++entry) {
        if (!entry->modified || !entry->text) continue;
        current_ = entry;
        show_current();
        int answer = ask_save(u"OpenTM：文件正文已经更改。是否保存更改？", entry->path);
        if (answer == platform::kAnswerCancel) return false;
        if (answer == platform::kAnswerYes) write_entry(*entry, *entry->text);
    }
    return true;
}

void Editor::window_item(int id) {
    if (!handle_unsaved_new_text()) return;
    store_editor(host_.code_modified());
    rebuild_window_menu();
    int index = id - kFirstWindowItem;
    for (Entry entry = first_ordinary(); entry != files_.end(); ++entry) {
        if (!entry->text) continue;
        if (index-- == 0) {
            current_ = entry;
            break;
        }
    }
    show_current();
}

void Editor::next_window() {
    store_editor(host_.code_modified());
    Entry entry = current_ == files_.end() ? files_.end() : std::next(current_);
    while (entry != files_.end() && !entry->text) ++entry;
    if (entry == files_.end()) entry = first_ordinary();
    current_ = entry;
    show_current();
}

void Editor::show_workspace_file() {
    if (!handle_unsaved_new_text()) return;
    if (!workspace().text) {
        host_.message_box(u"工作区文件没有打开！", kCaption, platform::kBoxOk);
        return;
    }
    store_editor(host_.code_modified());
    current_ = files_.begin();
    show_current();
}

void Editor::code_out_of_memory() {
    host_.message_box(u"无法为代码窗口申请更多内存。", kCaption, platform::kBoxOk);
}

void Editor::code_limit_reached() {
    host_.message_box(
        u"代码窗口内容太多了，刚才的窗口操作已中止，正在增加缓冲区。\r\n"
        u"为方便操作，可用SetCodeWinMax(n)函数一次设置缓冲区为较大的值。",
        kCaption, platform::kBoxOk);
    int limit = host_.limit(Window::Code);
    host_.set_limit(Window::Code, limit + 1000);
}

}  // namespace ide
