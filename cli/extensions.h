// Extension libraries named with --load: started in order after the module
// library, stopped in reverse before it.
#pragma once

#include <string>
#include <vector>

#include "engine.h"
#include "options.h"

namespace cli {

class ExtensionSet {
public:
    explicit ExtensionSet(const Engine &engine) : engine_(engine) {}
    ExtensionSet(const ExtensionSet &) = delete;
    ExtensionSet &operator=(const ExtensionSet &) = delete;
    ~ExtensionSet() { unload_all(); }

    // Loads and starts one library; a failure is reported (as the message
    // box "caption: name") and leaves nothing loaded.  True when started.
    bool load(const LoadItem &item);
    void unload_all();
    // Waits for what a library still shows from the programs (a scene
    // window that stays until the user closes it), before the modules go.
    void wait_for_libraries() const;
    size_t size() const { return loaded_.size(); }

private:
    struct Loaded {
        platform::LibraryHandle handle;
        TmDllEntry entry;
    };
    bool is_loaded(platform::LibraryHandle handle) const;

    const Engine &engine_;
    std::vector<Loaded> loaded_;
};

}  // namespace cli
