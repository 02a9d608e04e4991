// Plotting from the editor: the shipped examples workspace loads the
// graphics library, its commands start the example scenes wherever the
// editor was started from, and a scene still drawing when the editor shuts
// the engine down ends with it.  The graphics library renders offscreen
// here (its start argument), the last frame saved to a picture.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "editor.h"
#include "fake_host.h"
#include "scratch_dir.h"
#include "workspace_text.h"

namespace {

using idetest::u16;
using idetest::u8;

const std::string kExamples = TAMRIX_EXAMPLES_DIR "/graphics";

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class PlottingTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_directory = ide::current_directory();
        ASSERT_TRUE(engine.bind_engine());
    }
    void TearDown() override {
        engine.unbind_engine();
        ide::change_directory(saved_directory);
    }

    // The shipped workspace and the examples copied into the scratch
    // directory, the graphics library's entry given `argument`.
    std::string copy_examples(const std::string &argument) {
        for (const auto &entry : std::filesystem::directory_iterator(kExamples))
            if (entry.path().extension() == ".tm")
                dir.write(entry.path().filename().string(), read_file(entry.path().string()));
        std::string text = read_file(kExamples + "/plots.otm");
        const std::string entry = "\"OpenTmGl32W.dll\"";
        size_t at = text.find(entry);
        EXPECT_NE(at, std::string::npos);
        text.replace(at, entry.size(), "\"OpenTmGl32W.dll:" + argument + "\"");
        return dir.write("plots.otm", text);
    }
    void start_with(const std::string &workspace) {
        ASSERT_TRUE(settings.write_default_workspace(u16(workspace)));
        ASSERT_TRUE(editor.start(u""));
        ASSERT_EQ(engine.extension_count(), 2u) << u8(host.output());
    }
    // The id of the command whose menu text starts with `text`.
    int command_id(const std::string &text) {
        for (const ide::CommandEntry &command : editor.commands())
            if (u8(command.module.name).rfind(text, 0) == 0) return command.id;
        ADD_FAILURE() << "no command " << text;
        return 0;
    }

    std::u16string saved_directory;
    idetest::ScratchDir dir;
    idetest::FakeHost host;
    ide::Engine engine{host};
    ide::FileSettings settings{dir.path("conf/OpenTM.conf")};
    ide::Editor editor{host, engine, settings};
};

TEST_F(PlottingTest, TheShippedWorkspaceNamesEveryExample) {
    ide::WorkspaceSections sections = ide::parse_workspace(u16(read_file(kExamples + "/plots.otm")));
    ASSERT_TRUE(sections.load);
    std::vector<ide::LoadEntry> libraries = ide::parse_load_list(*sections.load);
    ASSERT_EQ(libraries.size(), 2u);
    EXPECT_EQ(libraries[0].library, u"TmData32W.dll");  // the graphics library needs it first
    EXPECT_EQ(libraries[1].library, u"OpenTmGl32W.dll");
    size_t items = 0;
    for (const ide::CommandSection &section : sections.commands) {
        for (const std::u16string &item : section.items) {
            std::string file = u8(item.substr(item.find(u'*') + 1));
            EXPECT_TRUE(std::filesystem::exists(kExamples + "/" + file)) << file;
            ++items;
        }
    }
    size_t examples = 0;
    for (const auto &entry : std::filesystem::directory_iterator(kExamples))
        examples += entry.path().extension() == ".tm";
    EXPECT_EQ(items, examples);
}

// The editor starts in its program directory; the workspace's relative
// "#PATH" still finds the examples beside it.
TEST_F(PlottingTest, ACommandDrawsItsExampleFromAnyStartDirectory) {
    const std::string picture = dir.path("sinc.png");
    start_with(copy_examples("offscreen,frames=2,size=160x120,save=" + picture));
    ASSERT_EQ(host.command_menu.size(), 2u);
    editor.run_command(command_id("y = sin(x)/x"));
    EXPECT_EQ(u8(host.output()).find("错误"), std::string::npos) << u8(host.output());
    engine.wait_for_scenes();
    EXPECT_GT(std::filesystem::file_size(picture), 0u);
    EXPECT_TRUE(host.boxes().empty());
}

// A scene without a frame limit keeps drawing after its run; starting
// another example replaces it, the code window still computes beside it
// (the two share the workspace), and shutting down ends it (an offscreen
// scene nobody can close ends at once).
TEST_F(PlottingTest, ASceneThatKeepsDrawingEndsWithTheEngine) {
    start_with(copy_examples("offscreen,size=80x60"));
    editor.run_command(command_id("曲面"));
    editor.run_command(command_id("圆环面"));
    host.set_code_text(u"1+1");
    editor.compute();
    EXPECT_NE(u8(host.output()).find("\r\n2"), std::string::npos) << u8(host.output());
    EXPECT_EQ(u8(host.output()).find("错误"), std::string::npos) << u8(host.output());
    // The library tells that it waits for its window thread to end.
    engine.unbind_engine();
    ASSERT_EQ(host.boxes().size(), 1u);
    EXPECT_EQ(u8(host.boxes()[0].text), "正在退出OpenTmGl!");
}

}  // namespace
