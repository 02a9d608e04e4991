#include "save_scene.h"

#include <sys/stat.h>

#include <cstdio>

#include "library.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "scene_state.h"
#include "window_thread.h"

namespace gllib {

namespace {

constexpr char16_t kCaption[] = u"OpenTmGl";
constexpr char16_t kDialogTitle[] = u"将OpenTmGl图像保存为文件";
constexpr char16_t kCannotCreate[] = u"OpenTmGl：创建文件失败！";
constexpr char16_t kCannotWrite[] = u"OpenTmGl：写文件失败！";
constexpr char16_t kNoMemory[] = u"内存分配失败！";
constexpr char16_t kOverwrite[] = u"OpenTmGl：文件已经存在。是否覆盖文件？";
constexpr int kNameLength = 4096;

bool exists(const std::string &name) {
    struct stat st;
    return ::stat(name.c_str(), &st) == 0;
}

// The next OpenTmGl-N.bmp that does not exist yet.
std::string free_default_name() {
    for (long n = 1;; ++n) {
        std::string name = "OpenTmGl-" + std::to_string(n) + ".bmp";
        if (!exists(name)) return name;
    }
}

bool has_extension(const std::string &name) {
    const size_t slash = name.rfind('/');
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
}

// The name the host's dialog gave, ".bmp" added when it has no extension
// (then *added is set); "" when the user cancelled.
std::string ask_host(TmSaveSceneNameFn ask, bool *added) {
    std::u16string buffer(kNameLength + 1, u'\0');
    if (!ask(kDialogTitle, buffer.data(), kNameLength)) return "";
    buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
    std::string name = platform::to_utf8(buffer);
    if (!name.empty() && !has_extension(name)) {
        name += ".bmp";
        *added = true;
    }
    return name;
}

}  // namespace

bool save_picture_reporting(const std::string &name, const Picture &picture) {
    switch (save_picture(name, picture)) {
    case SaveResult::Saved: return true;
    case SaveResult::CannotCreate:
        show_message(platform::from_utf8(name), kCannotCreate, platform::kBoxIconError);
        return false;
    case SaveResult::CannotWrite:
        show_message(platform::from_utf8(name), kCannotWrite, platform::kBoxIconError);
        return false;
    case SaveResult::NoMemory:
        show_message(kNoMemory, kCaption, platform::kBoxIconError);
        return false;
    }
    return false;
}

// The host's dialog has asked about replacing a file whose name the user
// typed in full; a name that got its ".bmp" from us is asked about here.
double TM_CALL gle_save_scene(int, double *, TmCallContext *) {
    Library *lib = library();
    if (!lib || !on_window_thread()) return 0;
    use_tamrix(3);
    auto ask = reinterpret_cast<TmSaveSceneNameFn>(
        lib->kernel.SearchKey("MTM_SaveSceneName", 17, TM_HOST_KEY_TYPE));
    bool added = false;
    std::string name = ask ? ask_host(ask, &added) : free_default_name();
    if (!name.empty()) {
        bool go = true;
        if (added && exists(name)) {
            go = platform::message_box(kOverwrite, kCaption,
                                       platform::kBoxYesNo | platform::kBoxIconWarning) ==
                 platform::kAnswerYes;
            if (!go) {
                platform::message_box(platform::from_utf8(name), kCannotCreate,
                                      platform::kBoxIconError);
            }
        }
        if (go) {
            Picture picture = read_picture();
            if (save_picture_reporting(name, picture) && !ask) {
                host_message(u"\r\nOpenTmGl: " + platform::from_utf8(name));
            }
        }
    }
    use_tamrix(4);
    return 0;
}

}  // namespace gllib
