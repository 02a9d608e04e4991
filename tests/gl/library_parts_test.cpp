// Parts of the graphics library that need no window: the start options,
// the key and mouse mapping, the BMP layout for every row padding.
#include <X11/keysym.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "ext/gl/key_map.h"
#include "ext/gl/picture_file.h"
#include "ext/gl/registration_tables.h"
#include "ext/gl/start_options.h"
#include "gl_host.h"
#include "platform/text.h"

namespace gllib {
namespace {

TEST(StartOptions, WordsAndTheirLimits) {
    struct Case {
        const char16_t *argument;
        bool ok;
        bool offscreen;
        long frames;
        int width, height;
        const char *save;
    };
    const Case cases[] = {
        {nullptr, true, false, 0, 640, 480, ""},
        {u"", true, false, 0, 640, 480, ""},
        {u"offscreen", true, true, 0, 640, 480, ""},
        {u"offscreen frames=3 size=320x240 save=a.png", true, true, 3, 320, 240, "a.png"},
        {u"  frames=0,,size=1X1 ,window", true, false, 0, 1, 1, ""},
        {u"size=16384x2", true, false, 0, 16384, 2, ""},
        {u"save=名字.bmp", true, false, 0, 640, 480, "名字.bmp"},
        {u"size=16385x2", false},
        {u"size=0x10", false},
        {u"size=10", false},
        {u"size=x10", false},
        {u"frames=-1", false},
        {u"frames=1e3", false},
        {u"frames=", false},
        {u"save=", false},
        {u"fullscreen", false},
    };
    for (const Case &c : cases) {
        const ParsedStartOptions p = parse_start_options(c.argument);
        const std::string label = c.argument ? platform::to_utf8(c.argument) : "null";
        ASSERT_EQ(p.ok, c.ok) << label;
        if (!c.ok) {
            EXPECT_FALSE(p.error.empty()) << label;
            continue;
        }
        EXPECT_EQ(p.options.offscreen, c.offscreen) << label;
        EXPECT_EQ(p.options.frames, c.frames) << label;
        EXPECT_EQ(p.options.width, c.width) << label;
        EXPECT_EQ(p.options.height, c.height) << label;
        EXPECT_EQ(p.options.save, c.save) << label;
    }
}

TEST(KeyMap, X11KeySymbolsBecomeVirtualKeys) {
    const std::pair<unsigned long, int> keys[] = {
        {XK_Escape, 27},  {XK_F1, 112},    {XK_F4, 115},      {XK_Left, 37},
        {XK_Up, 38},      {XK_Right, 39},  {XK_Down, 40},     {XK_Prior, 33},
        {XK_Next, 34},    {XK_Home, 36},   {XK_Shift_L, 16},  {XK_Shift_R, 16},
        {XK_Alt_L, 18},   {XK_a, 'A'},     {XK_Z, 'Z'},       {XK_0, '0'},
        {XK_9, '9'},      {XK_space, 32},  {XK_KP_Up, 38},    {XK_Multi_key, 0},
    };
    for (auto [keysym, vk] : keys) EXPECT_EQ(virtual_key_of(keysym), vk) << keysym;
}

TEST(KeyMap, MouseButtonsBecomeMessages) {
    EXPECT_EQ(mouse_message_of(1, true, false), 513);
    EXPECT_EQ(mouse_message_of(1, false, false), 514);
    EXPECT_EQ(mouse_message_of(1, true, true), 515);
    EXPECT_EQ(mouse_message_of(3, true, false), 516);
    EXPECT_EQ(mouse_message_of(3, true, true), 518);
    EXPECT_EQ(mouse_message_of(2, true, false), 519);
    EXPECT_EQ(mouse_message_of(2, false, false), 520);
    EXPECT_EQ(mouse_message_of(2, true, true), 521);
    EXPECT_EQ(mouse_message_of(4, true, false), 0);  // the wheel
}

uint32_t field32(const std::vector<uint8_t> &b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

TEST(BmpLayout, RowsArePaddedForEveryWidth) {
    for (int width = 1; width <= 9; ++width) {
        Picture p;
        p.width = width;
        p.height = 2;
        for (int i = 0; i < width * 2; ++i) {
            p.rgb.push_back(uint8_t(i));       // red
            p.rgb.push_back(uint8_t(100 + i)); // green
            p.rgb.push_back(uint8_t(200 + i)); // blue
        }
        const std::vector<uint8_t> b = bmp_bytes(p);
        const size_t row = (size_t(width) * 3 + 3) / 4 * 4;
        ASSERT_EQ(b.size(), 54 + row * 2) << width;
        EXPECT_EQ(field32(b, 2), b.size());
        EXPECT_EQ(field32(b, 10), 54u);
        EXPECT_EQ(field32(b, 34), row * 2);
        // The first pixel of the second row, blue first; the padding zero.
        EXPECT_EQ(b[54 + row], 200 + width);
        EXPECT_EQ(b[54 + row + 2], width);
        for (size_t pad = size_t(width) * 3; pad < row; ++pad) EXPECT_EQ(b[54 + pad], 0);
    }
    EXPECT_TRUE(bmp_bytes(Picture{}).empty());
    Picture wrong;
    wrong.width = 2;
    wrong.height = 2;
    wrong.rgb.resize(5);
    EXPECT_TRUE(bmp_bytes(wrong).empty());
}

}  // namespace
}  // namespace gllib

namespace gllib {
namespace {

// The names of the blocks "#name{...}#" of a shipped text file.
std::vector<std::string> block_names(const std::string &path) {
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::string> names;
    for (size_t at = text.find('#'); at != std::string::npos; at = text.find('#', at + 1)) {
        const size_t brace = text.find('{', at);
        if (brace == std::string::npos) break;
        const std::string name = text.substr(at + 1, brace - at - 1);
        if (!name.empty() && name.find_first_of("#}:;\n") == std::string::npos) {
            names.push_back(name);
            at = text.find("}#", brace);
            if (at == std::string::npos) break;
            ++at;
        }
    }
    return names;
}

TEST(ShippedTexts, EveryFunctionHasHelpAndEveryErrorBlockNamesAFunction) {
    std::vector<std::string> functions;
    for (const FunctionRow &row : function_rows()) functions.push_back(platform::to_utf8(row.name));
    EXPECT_EQ(block_names(TAMRIX_GL_TEXTS "/help-OpenTmGl32W.txt"), functions);
    for (const std::string &name : block_names(TAMRIX_GL_TEXTS "/errors-OpenTmGl32W.txt"))
        EXPECT_NE(std::find(functions.begin(), functions.end(), name), functions.end()) << name;
}

}  // namespace
}  // namespace gllib
