#include "host_functions.h"

#include <dirent.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "platform/install_layout.h"
#include "platform/text.h"
#include "text_blocks.h"
#include "text_file.h"

namespace ide {
namespace {

std::atomic<const ScriptContext *> g_context{nullptr};

// "UseTamrix" codes that clear and set the watch flag: time spent reading
// files or writing output does not count as computing for the run monitor.
constexpr int kWatchOff = 3;
constexpr int kWatchOn = 4;

constexpr char16_t kInterruptedByUser[] = u"OpenTM：用户中断了Tamrix运行。";

void *as_value(intptr_t number) { return reinterpret_cast<void *>(number); }

// Brackets a function's work with the watch flag cleared.
class WatchPause {
public:
    explicit WatchPause(const ScriptContext &context) : context_(context) {
        if (context_.use_tamrix) context_.use_tamrix(kWatchOff);
    }
    ~WatchPause() {
        if (context_.use_tamrix) context_.use_tamrix(kWatchOn);
    }

private:
    const ScriptContext &context_;
};

// The file name strings passed to LoadError and the like: each argument is a
// string literal's position in the calling formula's string area.
template <typename Action>
void for_each_file_argument(const ScriptContext &context, const char16_t *function, int m,
                            double *args, TmCallContext *call, Action action) {
    const extproto::KernelExports &k = context.kernel;
    char16_t *strings = nullptr;
    int first = 0, last = -1;
    k.GetForStr(call, &strings, &first, &last);
    for (int i = 0; i <= m; ++i) {
        double position = std::trunc(args[i]);
        if (!strings || !(position >= first && position <= last)) {
            if (!k.TestRunErr()) k.SetRunErr(2, function, 1, 0, call);
            return;
        }
        // A literal ends at its zero character; the area's end bounds the
        // scan all the same.
        const char16_t *begin = strings + int(position);
        size_t length = 0;
        while (int(position) + int(length) <= last && begin[length] != 0) ++length;
        action(std::u16string_view(begin, length));
    }
}

double apply_files(const char16_t *function, TextKind kind, bool load, int m, double *args,
                   TmCallContext *call) {
    const ScriptContext *context = g_context.load();
    if (!context) return 0;
    std::optional<WatchPause> pause;
    if (load) pause.emplace(*context);
    for_each_file_argument(*context, function, m, args, call, [&](std::u16string_view path) {
        apply_text_file(*context, path, kind, load);
    });
    return 0;
}

double set_window_max(Window window, double n) {
    const ScriptContext *context = g_context.load();
    if (!context || !context->host) return 0;
    Host &host = *context->host;
    double truncated = std::trunc(n);
    if (truncated != 0 && std::isfinite(truncated)) {
        long long wanted = truncated > 2e9    ? 2000000000LL
                           : truncated < -2e9 ? 0
                                              : (long long)truncated;
        int minimum = host.text_length(window) + 10;
        host.set_limit(window, int(std::max<long long>(wanted, minimum)));
        if (host.limit(window) < minimum) host.set_limit(window, minimum);
    }
    return host.limit(window);
}

extern "C" {

double TM_CALL fn_clear(int, double *, TmCallContext *) {
    if (const ScriptContext *context = g_context.load(); context && context->host)
        context->host->clear_output();
    return 0;
}

double TM_CALL fn_set_open_tm_path(int, double *, TmCallContext *) {
    change_directory(program_directory());
    return 0;
}

double TM_CALL fn_load_error(int m, double *args, TmCallContext *call) {
    return apply_files(u"LoadError", TextKind::Error, true, m, args, call);
}
double TM_CALL fn_unload_error(int m, double *args, TmCallContext *call) {
    return apply_files(u"UnloadError", TextKind::Error, false, m, args, call);
}
double TM_CALL fn_load_help(int m, double *args, TmCallContext *call) {
    return apply_files(u"LoadHelp", TextKind::Help, true, m, args, call);
}
double TM_CALL fn_unload_help(int m, double *args, TmCallContext *call) {
    return apply_files(u"UnloadHelp", TextKind::Help, false, m, args, call);
}
double TM_CALL fn_set_code_win_max(int, double *args, TmCallContext *) {
    return set_window_max(Window::Code, args[0]);
}
double TM_CALL fn_set_out_win_max(int, double *args, TmCallContext *) {
    return set_window_max(Window::Output, args[0]);
}

}  // extern "C"

struct HostFunction {
    const char16_t *name;
    TmRealFunction function;
    int count;  // parameters minus one; -2 any number
};

const HostFunction kHostFunctions[kHostFunctionCount] = {
    {u"clear", &fn_clear, -2},
    {u"SetOpenTmPath", &fn_set_open_tm_path, -1},
    {u"LoadError", &fn_load_error, -2},
    {u"UnloadError", &fn_unload_error, -2},
    {u"LoadHelp", &fn_load_help, -2},
    {u"UnloadHelp", &fn_unload_help, -2},
    {u"SetCodeWinMax", &fn_set_code_win_max, 0},
    {u"SetOutWinMax", &fn_set_out_win_max, 0},
};

// Real functions are registered under key type 5.
constexpr int kRealFunction = 5;

const char16_t *refused_question(TextKind kind) {
    return kind == TextKind::Error
               ? u"OpenTM：无法注册该函数的运行错误信息！\r\n选择“是”将继续运行。选择“否”将中断此操"
                 u"作。"
               : u"OpenTM：无法注册该函数说明！\r\n选择“是”将继续运行。选择“否”将中断此操作。";
}

int ask(const ScriptContext &context, std::u16string_view text, std::u16string_view caption,
        int style) {
    if (context.host) return context.host->message_box(text, caption, style);
    return platform::default_answer(style);
}

}  // namespace

void set_script_context(const ScriptContext *context) { g_context.store(context); }

extern "C" {
void TM_CALL free_text(void *text) { delete[] static_cast<char16_t *>(text); }
void TM_CALL keep_value(void *) {}
void TM_CALL unlock_token(void) {}
}

void publish_text_key_types(const extproto::KernelExports &kernel) {
    void *kept = nullptr;
    kernel.InsertKey("MTM_LockKeyErrStr", 17, TM_SERVICE_KEY_TYPE, as_value(kErrorTextKeyType),
                     &keep_value, &kept);
    kept = nullptr;
    kernel.InsertKey("MTM_LockKeyRunInfo", 18, TM_SERVICE_KEY_TYPE, as_value(kHelpTextKeyType),
                     &keep_value, &kept);
    kernel.LockKeyType(kErrorTextKeyType, &free_text, &unlock_token);
    kernel.LockKeyType(kHelpTextKeyType, &free_text, &unlock_token);
}

HostFunctionFlags register_host_functions(const extproto::KernelExports &kernel, Host &host) {
    HostFunctionFlags flags{};
    for (size_t i = 0; i < kHostFunctionCount; ++i) {
        const HostFunction &f = kHostFunctions[i];
        flags[i] = kernel.SetFunction(kRealFunction, f.name, reinterpret_cast<void *>(f.function),
                                      f.count) == 0;
        if (!flags[i])
            host.message_box(f.name, u"OpenTmGl注册函数失败！", platform::kBoxIconQuestion);
    }
    return flags;
}

void unregister_host_functions(const extproto::KernelExports &kernel, HostFunctionFlags &flags) {
    for (size_t i = 0; i < kHostFunctionCount; ++i) {
        if (flags[i]) kernel.DeleteConstOrFunction(kRealFunction, kHostFunctions[i].name);
        flags[i] = false;
    }
}

void apply_text_blocks(const ScriptContext &context, std::u16string_view text, TextKind kind,
                       bool load) {
    const extproto::KernelExports &k = context.kernel;
    const int key_type = key_type_of(kind);
    for (const TextBlock &block : parse_text_blocks(text)) {
        const int bytes = int(block.name.size() * sizeof(char16_t));
        if (!load) {
            k.DeletePrivateKey(block.name.data(), bytes, key_type, &free_text);
            continue;
        }
        char16_t *buffer = new (std::nothrow) char16_t[block.text.size() + 1];
        if (!buffer) {
            ask(context, u"内存分配失败！", u"OpenTM", platform::kBoxOk);
            return;
        }
        std::memcpy(buffer, block.text.c_str(), (block.text.size() + 1) * sizeof(char16_t));
        void *existing = nullptr;
        if (k.InsertKey(block.name.data(), bytes, key_type, buffer, &free_text, &existing) == 0)
            continue;
        delete[] buffer;
        if (ask(context, refused_question(kind), block.name,
                platform::kBoxYesNo | platform::kBoxIconQuestion) == platform::kAnswerNo)
            return;
    }
}

bool apply_text_file(const ScriptContext &context, std::u16string_view path, TextKind kind,
                     bool load) {
    TextFile file;
    std::u16string caption;
    if (!read_text_file(path, file, &caption)) {
        ask(context, path, caption, platform::kBoxOk);
        return false;
    }
    apply_text_blocks(context, file.text, kind, load);
    return true;
}

void apply_shipped_texts(const ScriptContext &context, std::u16string_view directory) {
    std::string dir = platform::to_utf8(std::u16string(directory));
    std::vector<std::string> errors, helps;
    if (DIR *d = ::opendir(dir.c_str())) {
        while (dirent *e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name.size() < 5 || name.compare(name.size() - 4, 4, ".txt") != 0) continue;
            if (name.rfind("errors-", 0) == 0) errors.push_back(name);
            if (name.rfind("help-", 0) == 0) helps.push_back(name);
        }
        ::closedir(d);
    }
    std::sort(errors.begin(), errors.end());
    std::sort(helps.begin(), helps.end());
    std::u16string base(directory);
    if (!base.empty() && base.back() != u'/') base += u'/';
    for (const std::string &name : errors)
        apply_text_file(context, base + platform::from_utf8(name), TextKind::Error, true);
    for (const std::string &name : helps)
        apply_text_file(context, base + platform::from_utf8(name), TextKind::Help, true);
}

std::u16string shipped_texts_directory() {
    return platform::from_utf8(platform::data_directory_for("texts")) + u"/texts/";
}

std::u16string filed_text(const extproto::KernelExports &kernel, std::u16string_view name,
                          TextKind kind) {
    if (name.empty()) return {};
    auto *text = static_cast<const char16_t *>(
        kernel.SearchKey(name.data(), int(name.size() * sizeof(char16_t)), key_type_of(kind)));
    return text ? std::u16string(text) : std::u16string();
}

}  // namespace ide
