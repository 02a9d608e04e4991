// The editor model over a bound engine: workspace start-up and reloads,
// the open-file list and its commands, computing from the code window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "editor.h"
#include "fake_host.h"
#include "scratch_dir.h"

namespace {

using idetest::u16;
using idetest::u8;

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_directory = ide::current_directory();
        ASSERT_TRUE(engine.bind_engine());
        dir.write("ints.txt", "five=-5\n");
        dir.write("tools.tm", "~twice(x)=2*x;");
        dir.write("cmd1.tm", "1+1");
        dir.write("cmd2.tm", "#USE# Tools; twice(21)");
        dir.write("cmd3.tm", "3+3");
        workspace = dir.write("ws.otm", "#PATH{" + dir.root() +
                                            "}\n#INT{\"ints.txt\"}\n"
                                            "#MODULE{\"Tools*tools.tm\"}\n"
                                            "#COMMAND(one){\"first*cmd1.tm\" \"second*cmd2.tm\"}\n"
                                            "#COMMAND (two) {\"third*cmd3.tm\"}\n"
                                            "#KEY{\"twice\" \"abcdefghijklmnopqrst\" \"\"}\n");
    }
    // The editor changes the current directory; the scratch one goes away.
    void TearDown() override {
        engine.unbind_engine();
        ide::change_directory(saved_directory);
    }

    void start_with_workspace(const std::string &file_argument = "") {
        ASSERT_TRUE(settings.write_default_workspace(u16(workspace)));
        ASSERT_TRUE(editor.start(u16(file_argument)));
    }
    std::string compute(const std::string &text) {
        host.clear_output();
        host.set_code_text(u16(text));
        editor.compute();
        return host.output_utf8();
    }

    std::u16string saved_directory;
    idetest::ScratchDir dir;
    std::string workspace;
    idetest::FakeHost host;
    ide::Engine engine{host};
    ide::FileSettings settings{dir.path("conf/OpenTM.conf")};
    ide::Editor editor{host, engine, settings};
};

TEST_F(EditorTest, StartUpLoadsEveryWorkspaceSection) {
    start_with_workspace();
    EXPECT_EQ(u8(host.title), workspace + " - OpenTM");
    EXPECT_EQ(compute("i: five"), "\r\ni: -5");
    // Two sections, items numbered across them.
    ASSERT_EQ(host.command_menu.size(), 2u);
    EXPECT_EQ(host.command_menu[0].items.size(), 2u);
    EXPECT_EQ(u8(host.command_menu[1].title), "two");
    ASSERT_EQ(editor.commands().size(), 3u);
    EXPECT_EQ(editor.commands()[2].id, 2002);
    // A keyword of 20 characters and an empty one are left out.
    EXPECT_EQ(host.keywords, std::vector<std::u16string>{u"twice"});
    // Commands compile on first use; the standard module on its "#USE#".
    host.clear_output();
    editor.run_command(2001);
    EXPECT_NE(host.output_utf8().find("\r\n42"), std::string::npos) << host.output_utf8();
    host.clear_output();
    editor.run_command(2002);
    EXPECT_NE(host.output_utf8().find("cmd3.tm\r\n\r\n6"), std::string::npos);
    editor.run_command(2003);
    EXPECT_EQ(host.take_captions(), std::vector<std::string>{"OpenTM"});
}

TEST_F(EditorTest, AFileArgumentOfAnotherDirectoryBecomesCurrentAndItsDirectoryToo) {
    std::string file = dir.write("sub.tm", "1+2");
    ASSERT_TRUE(editor.start(u16(file)));
    EXPECT_EQ(u8(ide::current_directory()), dir.root() + "/");
    EXPECT_EQ(u8(editor.current_name()), file);
    EXPECT_EQ(host.code_text(), u"1+2");
    // The module manager lists each kind apart.
    editor.compute_as_ordinary_module();
    EXPECT_EQ(ide::module_names_of_kind(engine.modules(), ide::kind_of_index(2)),
              std::vector<std::u16string>{u"sub.tm"});
    EXPECT_EQ(ide::kind_index(ide::kTemporaryModule), 3);
}

TEST_F(EditorTest, ReloadUsesTheWorkspaceTextEditedButNotSaved) {
    start_with_workspace();
    editor.show_workspace_file();
    host.set_code_text(u"#KEY{\"edited\"}");
    host.modified = true;
    editor.reload_all();
    EXPECT_EQ(host.keywords, std::vector<std::u16string>{u"edited"});
    EXPECT_TRUE(host.command_menu.empty());
    // The file on disk is untouched.
    EXPECT_NE(dir.read("ws.otm").find("#COMMAND"), std::string::npos);
    EXPECT_EQ(compute("2+2"), "\r\n4");
}

TEST_F(EditorTest, OpeningAnOpenFileShowsItWithoutReading) {
    start_with_workspace();
    std::string file = dir.write("a.tm", "1+1");
    editor.open_path(u16(file));
    dir.write("a.tm", "changed on disk");
    editor.new_file();
    editor.open_path(u16(file));
    EXPECT_EQ(host.code_text(), u"1+1");
    EXPECT_EQ(host.take_captions().back(), "OpenTM：没有重新打开文件，该文件已经在OpenTM中打开！");
    // Paths compare ignoring ASCII case.
    std::string upper = file.substr(0, file.size() - 4) + "A.TM";
    editor.open_path(u16(upper));
    EXPECT_EQ(editor.files().size(), 2u);
}

TEST_F(EditorTest, TheWorkspaceCannotBeClosedAsAFile) {
    start_with_workspace();
    editor.show_workspace_file();
    editor.close_file();
    auto boxes = host.boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(u8(boxes.back().caption), "OpenTM：不能关闭工作区文件！");
    EXPECT_EQ(u8(boxes.back().text), workspace);
}

TEST_F(EditorTest, CloseAllWithCancelKeepsEveryFile) {
    start_with_workspace();
    editor.open_path(u16(dir.write("a.tm", "1")));
    host.set_code_text(u"2");
    host.modified = true;
    host.open_paths.push_back(u16(dir.write("b.tm", "3")));
    editor.open_file();                         // stores a.tm as modified
    host.answer_next(platform::kAnswerCancel);  // for a.tm
    editor.close_all();
    EXPECT_EQ(editor.files().size(), 3u);
    EXPECT_TRUE(host.modified);
    EXPECT_EQ(dir.read("a.tm"), "1");
}

TEST_F(EditorTest, SavingKeepsTheEncodingAFileWasReadIn) {
    ASSERT_TRUE(editor.start(u""));
    struct Case {
        std::string name, bytes, saved;
    } cases[] = {
        {"utf16.tm",
         std::string("\xFF\xFE"
                     "1\0+\0",
                     6),
         std::string("\xFF\xFE"
                     "2\0\xAD\x4E",
                     6)},
        {"utf8.tm", "1+", "2\xE4\xBA\xAD"},
        {"gb.tm", "\xD6\xD0", "2\xCD\xA4"},  // 中 in GB18030; 亭 written back alike
    };
    for (const Case &c : cases) {
        editor.open_path(u16(dir.write(c.name, c.bytes)));
        host.set_code_text(u"2亭");
        host.modified = true;
        editor.save();
        EXPECT_EQ(dir.read(c.name), c.saved) << c.name;
        EXPECT_FALSE(host.modified);
    }
    // A new text saved under a name is UTF-8.
    editor.new_file();
    host.set_code_text(u"中");
    host.save_paths.push_back(u16(dir.path("new.tm")));
    editor.save();
    EXPECT_EQ(dir.read("new.tm"), "\xE4\xB8\xAD");
    EXPECT_EQ(u8(host.title), dir.path("new.tm") + " - OpenTM");
}

TEST_F(EditorTest, ComputingASelectionAcrossLineBreaksCompilesExactlyIt) {
    ASSERT_TRUE(editor.start(u""));
    host.set_code_text(u"1+1;\r\n中2*\r\n3;9");
    // Editor positions: "1+1;\r中2*\r3;9": select "2*\r3".
    host.selection_start = 6;
    host.selection_end = 10;
    editor.compute_selection();
    EXPECT_EQ(host.output_utf8(), "\r\n\r\n>> 计算选中文本... ...\r\n\r\n6");
    host.selection_end = 6;
    editor.compute_selection();
    EXPECT_EQ(host.take_captions(), std::vector<std::string>{"OpenTM"});
}

TEST_F(EditorTest, SetAndCloseTheWorkspace) {
    ASSERT_TRUE(editor.start(u""));
    editor.open_path(u16(workspace));
    editor.set_current_as_workspace();
    EXPECT_EQ(u8(editor.workspace().path), workspace);
    EXPECT_EQ(editor.commands().size(), 3u);
    EXPECT_EQ(editor.files().size(), 1u);
    editor.close_workspace();
    EXPECT_FALSE(editor.workspace().text);
    EXPECT_EQ(editor.files().size(), 2u);
    EXPECT_TRUE(host.command_menu.empty());
    EXPECT_EQ(host.take_captions().back(), "OpenTM");
    editor.close_workspace();
    EXPECT_EQ(u8(host.boxes().back().text), "工作区本身就是空的！");
}

TEST_F(EditorTest, DefaultWorkspaceIsKeptInTheSettingsFile) {
    ASSERT_TRUE(editor.start(u""));
    editor.set_default_workspace();
    EXPECT_EQ(u8(host.boxes().back().text), "请先保存文件，再设置缺省工作区！");
    editor.open_path(u16(workspace));
    editor.set_default_workspace();
    std::u16string stored;
    ASSERT_TRUE(settings.read_default_workspace(stored));
    EXPECT_EQ(u8(stored), workspace);
    editor.clear_default_workspace();
    ASSERT_TRUE(settings.read_default_workspace(stored));
    EXPECT_TRUE(stored.empty());
    EXPECT_EQ(u8(host.boxes().back().text), "缺省工作区已设置为空！");
}

TEST_F(EditorTest, OrdinaryAndTemporaryModulesStayOnlyWhenCompiled) {
    ASSERT_TRUE(editor.start(u""));
    host.set_code_text(u"~g(x)=x+1; g(1)");
    editor.compute_as_ordinary_module();
    EXPECT_EQ(host.take_captions(), std::vector<std::string>{"OpenTM"});  // needs a file
    editor.compute_as_temporary_module();
    host.set_code_text(u"1+*");
    editor.compute_as_temporary_module();
    ASSERT_EQ(engine.modules().size(), 1u);
    EXPECT_EQ(engine.modules().front().name, u"0");
    EXPECT_EQ(engine.modules().front().kind, ide::kTemporaryModule);
    editor.release_all_modules();
    EXPECT_TRUE(engine.modules().empty());
}

TEST_F(EditorTest, BadWorkspacesGiveMessagesAndNothingBreaks) {
    std::string long_name(260, 'm');
    workspace = dir.write("bad.otm", "#MODULE{\"" + long_name + "*x.tm\" \"" + long_name.substr(1) +
                                         "*ok.tm\"}\n#COMMAND(c){\"" + long_name +
                                         "*y.tm\"}\n"
                                         "#LOAD{\"" +
                                         dir.root() + "\"}\n#INT{\"" + dir.root() + "\"}");
    start_with_workspace();
    std::vector<std::string> captions = host.take_captions();
    for (const char *expected : {"OpenTM：加载动态库失败！", "OpenTM：打开文件失败！",
                                 "OpenTM：模块名太长！", "OpenTM：命令定义错误或命令名太长！"})
        EXPECT_NE(std::find(captions.begin(), captions.end(), expected), captions.end())
            << expected;
    // The 259-character name is kept.
    ASSERT_EQ(engine.modules().size(), 1u);
    EXPECT_EQ(engine.modules().front().name.size(), 259u);

    std::string random;
    for (int i = 0; i < 4096; ++i) random += char((i * 7919 + 13) % 256);
    workspace = dir.write("random.otm", random);
    ASSERT_TRUE(settings.write_default_workspace(u16(workspace)));
    ide::Editor again{host, engine, settings};
    EXPECT_TRUE(again.start(u""));
    EXPECT_EQ(compute("1+1"), "\r\n2");
}

TEST_F(EditorTest, AMissingDefaultWorkspaceIsReportedAndTheEditorGoesOn) {
    ASSERT_TRUE(settings.write_default_workspace(u16(dir.path("gone.otm"))));
    ASSERT_TRUE(editor.start(u""));
    EXPECT_EQ(host.take_captions(), std::vector<std::string>{"OpenTM：不能打开工作区文件！"});
    EXPECT_FALSE(editor.workspace().text);
    EXPECT_EQ(compute("i: 7/2"), "\r\ni: 3");
}

}  // namespace
