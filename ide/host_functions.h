// The host's script functions (clear, SetOpenTmPath, LoadError, UnloadError,
// LoadHelp, UnloadHelp, SetCodeWinMax, SetOutWinMax), the error and help
// texts they file in the key registry, and the keys that announce those
// texts' key types.  Both hosts register the same functions: the editor with
// its windows behind Host, the command-line host with a terminal.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "ext/protocol/kernel_binding.h"
#include "host.h"
#include "tamrix/tamrix_ext.h"

namespace ide {

// Key types of the run-error descriptions and of the function help texts.
constexpr int kErrorTextKeyType = -257;
constexpr int kHelpTextKeyType = -258;

enum class TextKind { Error, Help };
constexpr int key_type_of(TextKind kind) {
    return kind == TextKind::Error ? kErrorTextKeyType : kHelpTextKeyType;
}

// What the script functions reach.  The kernel calls them without a context
// of the host's, so one process-wide context is set while a host is bound.
struct ScriptContext {
    Host *host = nullptr;
    extproto::KernelExports kernel;
    TmUseTamrix use_tamrix = nullptr;
};
void set_script_context(const ScriptContext *context);

extern "C" {
// Delete function of the two text key types: the texts are the host's own
// buffers.  Also the lock's delete function, so only this host files texts.
void TM_CALL free_text(void *text);
// Delete function of keys whose value is not owned, and the lock token.
void TM_CALL keep_value(void *value);
void TM_CALL unlock_token(void);
}

// Inserts "MTM_LockKeyErrStr" and "MTM_LockKeyRunInfo" and locks the two
// text key types to free_text.
void publish_text_key_types(const extproto::KernelExports &kernel);

constexpr size_t kHostFunctionCount = 8;
using HostFunctionFlags = std::array<bool, kHostFunctionCount>;

// Registers the eight functions as real functions, in their order; a failed
// one shows its name with the caption "OpenTmGl注册函数失败！" and the rest
// go on.  The flags say which ones to remove again.
HostFunctionFlags register_host_functions(const extproto::KernelExports &kernel, Host &host);
void unregister_host_functions(const extproto::KernelExports &kernel, HostFunctionFlags &flags);

// Files (load) or removes (unload) the blocks of one error or help text.
// A block the registry refuses asks whether to go on with this text.
void apply_text_blocks(const ScriptContext &context, std::u16string_view text, TextKind kind,
                       bool load);
// The same for a file, which is read as the editor reads files; a file that
// cannot be read is reported with its path and skipped (false).
bool apply_text_file(const ScriptContext &context, std::u16string_view path, TextKind kind,
                     bool load);

// The shipped texts: every "errors-*.txt" and then every "help-*.txt" of a
// directory, each kind in file-name order (one file per deliverable, so a
// library's texts come with it).  The caller holds the workspace.
void apply_shipped_texts(const ScriptContext &context, std::u16string_view directory);
// Where they are: "texts/" beside the program (a build tree), else the
// installed data directory.
std::u16string shipped_texts_directory();

// The text filed for a function name under a kind, or empty.  The caller
// holds the workspace.
std::u16string filed_text(const extproto::KernelExports &kernel, std::u16string_view name,
                          TextKind kind);

}  // namespace ide
