#include "extensions.h"

#include "host_callbacks.h"
#include "platform/text.h"

namespace cli {
namespace {

void report(const char *caption, const std::string &name) {
    print_diagnostic(std::string(caption) + ": " + name);
}

}  // namespace

bool ExtensionSet::is_loaded(platform::LibraryHandle handle) const {
    if (handle == engine_.module_library()) return true;
    for (const Loaded &library : loaded_)
        if (library.handle == handle) return true;
    return false;
}

bool ExtensionSet::load(const LoadItem &item) {
    std::string why;
    platform::LibraryHandle handle = platform::load_library(item.library, &why);
    if (!handle) {
        report("OpenTM：加载动态库失败！", item.library + " (" + why + ")");
        return false;
    }
    // The loader hands out one handle per file, so a second name for a
    // loaded file is caught here too; closing drops only the extra reference.
    if (is_loaded(handle)) {
        report("OpenTM：扩展动态库重复加载，被忽略！", item.library);
        platform::close_library(handle);
        return false;
    }
    TmDllEntry entry = nullptr;
    if (!platform::find_function(handle, "TmDll32W", entry)) {
        report("OpenTM：该库不是Tamrix扩展动态库！", item.library);
        platform::close_library(handle);
        return false;
    }
    std::u16string argument = platform::from_utf8(item.argument);
    if (!entry(engine_.kernel_library(), 1, item.has_argument ? argument.c_str() : nullptr)) {
        report("OpenTM：扩展动态库初始化失败！", item.library);
        platform::close_library(handle);
        return false;
    }
    loaded_.push_back({handle, entry});
    return true;
}

// The graphics library publishes "gleWaitScene": it returns once no scene
// needs the programs' formulas any more.
void ExtensionSet::wait_for_libraries() const {
    constexpr char kWaitScene[] = "gleWaitScene";
    if (loaded_.empty() || !engine_.kernel().SearchKey) return;
    auto wait = reinterpret_cast<TmWaitSceneFn>(
        engine_.kernel().SearchKey(kWaitScene, int(sizeof kWaitScene - 1), TM_SERVICE_KEY_TYPE));
    if (wait) wait();
}

void ExtensionSet::unload_all() {
    while (!loaded_.empty()) {
        Loaded library = loaded_.back();
        loaded_.pop_back();
        library.entry(engine_.kernel_library(), 0, nullptr);
        platform::close_library(library.handle);
    }
}

}  // namespace cli
