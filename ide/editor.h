// The editor as a model: the open-file list with its workspace slot, the
// workspace and its reload commands, and every file, compute, command and
// window command as an operation on it.  The window layer calls these for
// its menu items and shows what they ask for through Host.
#pragma once

#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "constant_file.h"
#include "engine.h"
#include "host.h"
#include "settings.h"
#include "text_file.h"
#include "workspace.h"

namespace ide {

struct OpenFile {
    std::u16string path;
    std::optional<std::u16string> text;
    bool modified = false;
    // Saving keeps the encoding the file was read in; new files are UTF-8.
    TextEncoding encoding = TextEncoding::Utf8;
};

// Menu ids of the items the logic numbers itself.
constexpr int kFirstWindowItem = 1000;

class Editor {
public:
    Editor(Host &host, Engine &engine, Settings &settings);
    Editor(const Editor &) = delete;
    Editor &operator=(const Editor &) = delete;
    // The engine's loader stops looking into this editor's files.
    ~Editor() { engine_.set_open_text_lookup(nullptr); }

    // Start-up after the engine is bound: the shipped texts, the default
    // workspace, the file argument (empty: none), the start-up load of the
    // workspace, the window menu and the current file.  False when the
    // settings cannot be read ("注册表操作失败！").
    bool start(std::u16string_view file_argument);

    // File commands (1 to 7) and closing the window (false: stay open).
    void new_file();
    void open_file();
    void open_path(std::u16string_view path);
    void close_file();
    void close_all();
    void save();
    void save_all();
    bool save_as();
    bool can_close_window();
    void window_item(int id);
    void next_window();
    void show_workspace_file();

    // Compute commands (30 to 36) and command items (2000 upward).
    void compile();
    void run();
    void compute();
    void compute_as_ordinary_module();
    void compute_as_temporary_module();
    void compute_clipboard();
    void compute_selection();
    void run_command(int id);

    // Workspace commands (50 to 60).
    void set_current_as_workspace();
    void close_workspace();
    void set_default_workspace();
    void clear_default_workspace();
    void reload_all();
    void reload_extensions();
    void reload_commands();
    void reload_modules();
    void reload_constants(ConstantType type);

    // Module manager: run, release and release all, by module name.
    void run_named_module(std::u16string_view name);
    void release_named_module(std::u16string_view name);
    void release_all_modules();

    // Code window notifications: no memory left, and the text limit reached
    // (the limit grows by 1000 characters).
    void code_out_of_memory();
    void code_limit_reached();

    // Help (80): "opentm.htm" (beside the program, or installed) through the shell's
    // "open" verb.
    bool open_help();

    // Removing the file association (65), after asking.
    void remove_file_association();

    const std::list<OpenFile> &files() const { return files_; }
    const OpenFile &workspace() const { return files_.front(); }
    // The file shown in the code window, or null for a text without one.
    const OpenFile *current() const { return current_ == files_.end() ? nullptr : &*current_; }
    const std::u16string &current_name() const { return current_name_; }
    const std::vector<CommandEntry> &commands() const { return commands_; }
    const std::vector<std::u16string> &keywords() const { return keywords_; }

private:
    using Entry = std::list<OpenFile>::iterator;

    Entry find(std::u16string_view path);
    Entry first_ordinary() { return std::next(files_.begin()); }
    bool is_workspace(Entry entry) const { return entry == files_.begin(); }
    bool open_text(std::u16string_view path, std::u16string &text);
    void store_editor(bool modified);
    void show_current();
    bool fits(const std::u16string &text);
    void rebuild_window_menu();
    bool handle_unsaved_new_text();
    bool write_entry(OpenFile &file, const std::u16string &text);
    bool write_current();
    int ask_save(std::u16string_view text, std::u16string_view caption);

    WorkspaceSections sections() const;
    bool busy_check();
    void store_editor_first();
    template <typename Work>
    void in_workspace_directory(Work work);
    void load_extension_item();
    void load_constant_item(ConstantType type);
    void load_module_items();
    void load_command_items();
    void load_keywords();
    void startup_load();
    void restart_engine();
    int take_for_items();

    void compute_text(const std::u16string &text);
    void compile_and_run_entry(ModuleEntry &entry, std::u16string_view failure_caption,
                               std::u16string_view read_failure);

    Host &host_;
    Engine &engine_;
    Settings &settings_;
    std::list<OpenFile> files_;
    Entry current_;
    std::u16string current_name_;
    std::vector<CommandEntry> commands_;
    std::vector<std::u16string> keywords_;
    int temporary_counter_ = 0;
};

}  // namespace ide
