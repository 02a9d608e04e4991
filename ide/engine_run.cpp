// Compiling, running, output, the module loader and the texts.
#include <algorithm>

#include "compile_errors.h"
#include "editor_text.h"
#include "engine.h"
#include "help_search.h"
#include "output_forms.h"
#include "tamrix/compile_errors.h"
#include "text_file.h"

namespace ide {
namespace {

constexpr char16_t kCaption[] = u"OpenTM";
constexpr char16_t kBusyMessage[] = u"Tamrix工作区被占用！无法执行该操作！\r\n\r\n请稍后再试！";

// "#USE#" chains deeper than this are refused: each level is a native call
// chain through the module compiler, and a long chain of files would
// exhaust the stack.
constexpr int kMaxLoaderDepth = 64;
int g_loader_depth = 0;

Engine *g_output_engine = nullptr;

extern "C" {
void TM_CALL int_callback(int64_t value) {
    if (g_output_engine) g_output_engine->output_int(value);
}
void TM_CALL real_callback(double value) {
    if (g_output_engine) g_output_engine->output_real(value);
}
void TM_CALL complex_callback(double re, double im) {
    if (g_output_engine) g_output_engine->output_complex(re, im);
}
}

// A take of the workspace, released on the same thread when it ends.
class Take {
public:
    Take(const ModuleServices &services, int request) : services_(services) {
        result_ = services_.UseTamrix ? services_.UseTamrix(request) : -1;
    }
    ~Take() {
        if (result_ == 0) services_.UseTamrix(kRelease);
    }
    int result() const { return result_; }

private:
    const ModuleServices &services_;
    int result_;
};

std::u16string trimmed(std::u16string_view text) {
    const char16_t *blanks = u" \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::u16string_view::npos) return {};
    size_t last = text.find_last_not_of(blanks);
    return std::u16string(text.substr(first, last - first + 1));
}

}  // namespace

int Engine::compile_source(ModuleRef &module, const std::u16string *text, std::u16string_view name,
                           int kind) {
    if (!bound()) return kCompileNotDone;
    // Selecting an error range must not count as an edit of the text.
    struct ModifiedFlag {
        Host &host;
        bool saved = host.code_modified();
        ~ModifiedFlag() { host.set_code_modified(saved); }
    } modified{host_};
    const bool from_code_window = text == nullptr;
    std::u16string code;
    if (from_code_window) code = host_.code_text();
    const std::u16string &source = from_code_window ? code : *text;

    host_.set_wait_cursor(true);
    int taken = services_.UseTamrix(kTake);
    if (taken != 0) {
        if (taken == 1) {
            module.handle = nullptr;
            host_.message_box(
                u"同一线程不能同时使用Tamrix工作区！无法编译程序！\r\n\r\n请稍后再试！", kCaption,
                platform::kBoxOk);
        }
        host_.set_wait_cursor(false);
        return kCompileNotDone;
    }
    if (name == kMainModuleName && kind == kMainModule) release_module(main_module_);
    publish_callbacks();
    module.number = 0;
    module.handle = nullptr;
    int first = 0, last = 0;
    // The module compiler reads up to a zero character: the text is cut
    // there, as the editor shows it.
    std::u16string cut = source.substr(0, source.find(u'\0'));
    int result = services_.ComModule(cut.c_str(), &module.number, &module.handle, &first, &last);
    services_.UseTamrix(kRelease);
    if (result != TM_CE_OK) {
        host_.append_output(compile_error_message(result));
        const int length = int(source.size());
        if (from_code_window && first >= 0 && first <= length && last >= 0 && last <= length)
            host_.select_code(editor_position(source, first), editor_position(source, last) + 1);
        module.handle = nullptr;
    }
    host_.set_wait_cursor(false);
    return result;
}

void Engine::run_module(const ModuleRef &module) {
    if (!bound() || !module.compiled()) return;
    host_.set_wait_cursor(true);
    int taken = services_.UseTamrix(kTake);
    if (taken == 0) {
        if (!run_directory_.empty()) change_directory(run_directory_);
        publish_callbacks();
        g_output_engine = this;
        services_.ExeModule(module.handle, &int_callback, &real_callback, &complex_callback);
        services_.UseTamrix(kRelease);
    } else if (taken == 1) {
        host_.message_box(u"同一线程不能同时使用Tamrix工作区！无法执行程序！\r\n\r\n请稍后再试！",
                          kCaption, platform::kBoxOk);
    }
    host_.set_wait_cursor(false);
}

// The service is looked up under the workspace (the kernel has no locks of
// its own and a scene may be drawing) and waited for outside it, since the
// scene needs the workspace to draw its frames.
void Engine::wait_for_scenes() {
    if (!bound() || extensions_.empty()) return;
    TmWaitSceneFn wait = nullptr;
    {
        Take take(services_, kTake);
        if (take.result() != 0) return;
        constexpr char kWaitScene[] = "gleWaitScene";
        wait = reinterpret_cast<TmWaitSceneFn>(
            kernel_.SearchKey(kWaitScene, int(sizeof kWaitScene - 1), TM_SERVICE_KEY_TYPE));
    }
    if (wait) wait();
}

void Engine::release_module(ModuleRef &module) {
    if (module.compiled() && services_.DeleteModule) services_.DeleteModule(module.number);
    module = ModuleRef{};
}

void Engine::delete_all_modules() {
    for (ModuleEntry &entry : modules_) release_module(entry.module);
    modules_.clear();
}

void Engine::set_run_directory(std::u16string_view file_path) {
    std::u16string dir = directory_of(file_path);
    run_directory_ = dir.empty() ? current_directory() : dir;
}

void Engine::output_text(std::u16string_view text) {
    if (services_.UseTamrix) services_.UseTamrix(kWatchOff);
    host_.append_output(text);
    if (services_.UseTamrix) services_.UseTamrix(kWatchOn);
}
void Engine::output_int(int64_t value) { output_text(output_form_int(value)); }
void Engine::output_real(double value) { output_text(output_form_real(value)); }
void Engine::output_complex(double re, double im) { output_text(output_form_complex(re, im)); }

bool Engine::source_of(std::u16string_view path, std::u16string &text, bool report) {
    if (open_text_ && open_text_(path, text)) return true;
    TextFile file;
    std::u16string caption;
    if (read_text_file(path, file, &caption)) {
        text = std::move(file.text);
        return true;
    }
    if (report) host_.message_box(path, caption, platform::kBoxOk);
    return false;
}

int Engine::load_module(std::u16string_view raw_name) {
    std::u16string name = trimmed(raw_name);
    if (name.empty()) return TM_CE_MODULE_NOT_FOUND;
    std::u16string target;
    for (const ModuleEntry &entry : modules_)
        if (same_ascii_ignoring_case(entry.name, name)) {
            target = entry.file;
            break;
        }
    if (target.empty()) target = full_path(name);
    if (target.empty()) return TM_CE_MODULE_NOT_FOUND;

    auto entry = std::find_if(modules_.begin(), modules_.end(),
                              [&](const ModuleEntry &e) { return same_path(e.file, target); });
    bool is_new = entry == modules_.end();
    if (is_new) {
        modules_.push_front(ModuleEntry{name, target, kStandardModule, {}, false});
        entry = modules_.begin();
    }
    auto forget_new = [&] {
        if (is_new) modules_.erase(entry);
    };
    if (entry->compiling) return TM_CE_MODULE_RECURSION;
    if (entry->module.compiled()) return TM_CE_OK;
    if (g_loader_depth >= kMaxLoaderDepth) {
        forget_new();
        return TM_CE_MODULE_NOT_FOUND;
    }
    std::u16string text;
    if (!source_of(entry->file, text, true)) {
        forget_new();
        return TM_CE_MODULE_NOT_FOUND;
    }
    entry->kind = kStandardModule;
    entry->compiling = true;
    std::u16string saved = current_directory();
    change_directory(directory_of(entry->file));
    entry->module.number = 0;
    int first = 0, last = 0;
    ++g_loader_depth;
    int result = services_.ComModule(text.c_str(), &entry->module.number, &entry->module.handle,
                                     &first, &last);
    --g_loader_depth;
    change_directory(saved);
    entry->compiling = false;
    if (result != TM_CE_OK) {
        entry->module.handle = nullptr;
        forget_new();
    }
    return result;
}

void Engine::load_texts(std::u16string_view path, TextKind kind) {
    if (!bound()) return;
    Take take(services_, kTake);
    if (take.result() != 0) return;
    apply_text_file(script_context_, path, kind, true);
}

void Engine::load_shipped_texts(std::u16string_view directory) {
    if (!bound()) return;
    Take take(services_, kTake);
    if (take.result() != 0) return;
    apply_shipped_texts(script_context_, directory);
}

namespace {

// EnumKeyTypeValue's visitor has no context argument.
thread_local std::vector<std::pair<std::u16string, std::u16string>> *g_help_entries = nullptr;

extern "C" int TM_CALL collect_help(char *key, int len, void *value) {
    if (!g_help_entries) return 0;
    std::u16string name(size_t(len) / 2, u'\0');
    for (size_t i = 0; i < name.size(); ++i)
        name[i] = char16_t(uint8_t(key[2 * i]) | (uint8_t(key[2 * i + 1]) << 8));
    g_help_entries->emplace_back(std::move(name),
                                 value ? static_cast<const char16_t *>(value) : u"");
    return 1;
}

}  // namespace

bool Engine::search_help(std::u16string_view keywords, std::vector<std::u16string> &names) {
    names.clear();
    if (!bound()) return false;
    std::vector<std::pair<std::u16string, std::u16string>> entries;
    {
        Take take(services_, kTake);
        if (take.result() == 1) host_.message_box(kBusyMessage, kCaption, platform::kBoxOk);
        if (take.result() != 0) return false;
        char buffer[520];
        g_help_entries = &entries;
        kernel_.EnumKeyTypeValue(kHelpTextKeyType, buffer, int(sizeof buffer), &collect_help);
        g_help_entries = nullptr;
    }
    std::vector<std::u16string> words = split_keywords(normalise_keywords(keywords));
    for (const auto &[name, text] : entries)
        if (help_text_matches(words, text)) names.push_back(name);
    return true;
}

std::u16string Engine::help_text(std::u16string_view name) {
    if (!bound()) return {};
    Take take(services_, kTake);
    if (take.result() != 0) return {};
    return filed_text(kernel_, name, TextKind::Help);
}

}  // namespace ide
