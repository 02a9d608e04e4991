// The one setting the editor keeps: the default workspace, in
// $XDG_CONFIG_HOME/OpenTM/OpenTM.conf (~/.config without the variable), an
// INI file the toolkit's settings class reads as well: "[General]" and
// "default_workspace=PATH".
#pragma once

#include <string>
#include <string_view>

namespace ide {

class Settings {
public:
    virtual ~Settings() = default;
    // False when the setting cannot be read; a missing file is an empty path.
    virtual bool read_default_workspace(std::u16string &path) = 0;
    virtual bool write_default_workspace(std::u16string_view path) = 0;
};

class FileSettings : public Settings {
public:
    // The file of the settings; empty: the standard place.
    explicit FileSettings(std::string file = {});
    bool read_default_workspace(std::u16string &path) override;
    bool write_default_workspace(std::u16string_view path) override;
    const std::string &file() const { return file_; }

private:
    std::string file_;
};

// $XDG_CONFIG_HOME or ~/.config, and $XDG_DATA_HOME or ~/.local/share.
std::string config_home();
std::string data_home();

}  // namespace ide
