#include "workspace_run.h"

#include "host_callbacks.h"
#include "platform/text.h"
#include "text_file.h"

namespace cli {
namespace {

std::u16string trimmed(const std::u16string &text) {
    const char16_t *blanks = u" \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::u16string::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// "UseTamrix" codes.
constexpr int kRelease = 0;
constexpr int kAcquireWaiting = 2;

}  // namespace

bool WorkspaceRun::apply(const std::string &path, ExtensionSet &extensions, ModuleLoader &loader) {
    ide::TextFile file;
    std::u16string caption;
    if (!ide::read_text_file(platform::from_utf8(path), file, &caption)) {
        print_diagnostic("tamrix: cannot read workspace '" + path +
                         "': " + platform::to_utf8(caption));
        return false;
    }
    sections_ = ide::parse_workspace(file.text);
    if (sections_.unterminated)
        print_diagnostic("tamrix: workspace '" + path +
                         "': a section without its closing '}' and everything after it are "
                         "ignored");

    // The items load with "#PATH" current (the program directory without
    // one, as in the editor, so both hosts read a workspace alike); the
    // user's directory comes back afterwards for the programs.
    std::u16string saved = ide::current_directory();
    std::u16string directory = sections_.path ? trimmed(*sections_.path) : ide::program_directory();
    if (!directory.empty() && !ide::change_directory(directory))
        print_diagnostic("tamrix: workspace '" + path +
                         "': cannot change to the #PATH directory '" +
                         platform::to_utf8(directory) + "'");

    if (sections_.load)
        for (const ide::LoadEntry &entry : ide::parse_load_list(*sections_.load))
            extensions.load({platform::to_utf8(entry.library), platform::to_utf8(entry.argument),
                             entry.has_argument});

    const ModuleServices &services = engine_.services();
    if (services.UseTamrix(kAcquireWaiting) == 0) {
        auto source = [this](std::u16string_view name, std::u16string &text) {
            ide::TextFile constants;
            std::u16string why;
            if (ide::read_text_file(name, constants, &why)) {
                text = std::move(constants.text);
                return true;
            }
            host_.message_box(name, why, 0);
            return false;
        };
        for (ide::ConstantType type :
             {ide::ConstantType::Integer, ide::ConstantType::Real, ide::ConstantType::Complex})
            ide::register_constants(engine_.exports(), host_, sections_, type, source);
        services.UseTamrix(kRelease);
    }
    for (const ide::NamedFile &module : ide::standard_modules(sections_, host_))
        loader.add_standard_module(platform::to_utf8(module.name), platform::to_utf8(module.file));
    commands_ = ide::command_entries(sections_, host_);
    ide::change_directory(saved);
    return true;
}

std::string WorkspaceRun::command_list() const {
    std::string list;
    for (const ide::CommandEntry &command : commands_)
        list += std::to_string(command.id) + "\t" +
                platform::to_utf8(sections_.commands[command.section].title) + "\t" +
                platform::to_utf8(command.module.name) + "\t" +
                platform::to_utf8(command.module.file) + "\n";
    return list;
}

std::string WorkspaceRun::command_file(int id) const {
    for (const ide::CommandEntry &command : commands_)
        if (command.id == id) return platform::to_utf8(command.module.file);
    return "";
}

}  // namespace cli
