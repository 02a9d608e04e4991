#include "module_loader.h"

#include "diagnostics.h"
#include "host_callbacks.h"
#include "platform/text.h"
#include "source_text.h"
#include "tamrix/compile_errors.h"
#include "text_file.h"

namespace cli {
namespace {

// The statement's text after "#USE#": blanks trimmed, and one pair of double
// quotes around a name with spaces removed.
std::string module_file_name(const char16_t *name) {
    std::string text = platform::to_utf8(name);
    const char *blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    text = text.substr(first, text.find_last_not_of(blanks) - first + 1);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

void ModuleLoader::begin_program(const std::string &directory, const std::string &canonical) {
    frames_.push_back({directory, canonical});
}

void ModuleLoader::end_program() {
    if (!frames_.empty()) frames_.pop_back();
}

void ModuleLoader::remember(const std::string &canonical, int module_number) {
    if (!canonical.empty()) compiled_.emplace(canonical, module_number);
}

bool ModuleLoader::is_compiling(const std::string &canonical) const {
    for (const Frame &frame : frames_)
        if (frame.canonical == canonical) return true;
    return false;
}

int ModuleLoader::load(const char16_t *name) {
    std::string file = module_file_name(name);
    if (file.empty()) return TM_CE_MODULE_NOT_FOUND;
    size_t line_end = file.find_first_of("\r\n");
    if (line_end != std::string::npos) {
        // The statement runs to the next ';': a missing one swallows the
        // formula on the following line into the name.
        print_diagnostic("tamrix: the module name '" + file.substr(0, line_end) +
                         "' runs on into the next line; end \"#USE#\" with ';'");
        return TM_CE_MODULE_NOT_FOUND;
    }
    std::string path = join_path(frames_.empty() ? "" : frames_.back().directory, file);
    for (const auto &[standard_name, standard_file] : standard_)
        if (ide::same_ascii_ignoring_case(platform::from_utf8(standard_name),
                                          platform::from_utf8(file))) {
            path = standard_file;
            break;
        }
    if (frames_.size() >= kMaxDepth) {
        print_diagnostic("tamrix: cannot use '" + path + "': modules nested deeper than " +
                         std::to_string(kMaxDepth) + " levels");
        return TM_CE_MODULE_NOT_FOUND;
    }
    std::string bytes, why;
    if (!read_file_bytes(path, bytes, &why)) {
        print_diagnostic("tamrix: cannot read module '" + path + "': " + why);
        return TM_CE_MODULE_NOT_FOUND;
    }
    std::string canonical = canonical_path(path);
    if (is_compiling(canonical)) return TM_CE_MODULE_RECURSION;
    if (compiled_.count(canonical)) return TM_CE_OK;

    std::u16string source = platform::decode_text_file(bytes);
    size_t nul = find_nul(source);
    if (nul != std::u16string::npos) {
        print_diagnostic(format_compile_error(path, source, TM_CE_BAD_CHARACTER, int(nul),
                                              int(nul)));
        return TM_CE_MODULE_NOT_FOUND;
    }
    return compile_module(path, canonical, source);
}

int ModuleLoader::compile_module(const std::string &path, const std::string &canonical,
                                 const std::u16string &source) {
    frames_.push_back({directory_of(path), canonical});
    int module_number = 0, first = 0, last = 0;
    TmModuleNode *list = nullptr;
    int result = engine_.services().ComModule(source.c_str(), &module_number, &list, &first,
                                              &last);
    frames_.pop_back();
    if (result == TM_CE_OK) {
        compiled_.emplace(canonical, module_number);
        modules_.push_back(module_number);
        return TM_CE_OK;
    }
    print_diagnostic(format_compile_error(path, source, result, first, last));
    // A cycle further down stays a cycle; any other failure inside the module
    // is "not compilable" to the program that uses it, since its code and
    // range belong to another file.
    return result == TM_CE_MODULE_RECURSION ? TM_CE_MODULE_RECURSION : TM_CE_MODULE_NOT_FOUND;
}

}  // namespace cli
