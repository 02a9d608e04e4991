// Text files in their encodings, paths, the settings file and the file
// association.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "association.h"
#include "editor.h"
#include "fake_host.h"
#include "scratch_dir.h"
#include "settings.h"
#include "shell_open.h"
#include "text_file.h"

namespace {

using idetest::u16;
using idetest::u8;

TEST(TextFile, ReadsEachEncodingAndBadFiles) {
    idetest::ScratchDir dir;
    struct Case {
        const char *name;
        std::string bytes;
        const char16_t *text;
        ide::TextEncoding encoding;
    } cases[] = {
        {"utf16.tm",
         std::string("\xFF\xFE"
                     "a\0\x2D\x4E\x3D\xD8\x00\xDE",
                     10),
         u"a中\U0001F600", ide::TextEncoding::Utf16le},
        {"utf8.tm", "a\xE4\xB8\xAD\r\nb", u"a中\r\nb", ide::TextEncoding::Utf8},
        {"bom.tm", "\xEF\xBB\xBFx", u"x", ide::TextEncoding::Utf8},
        {"gb.tm", "a\xD6\xD0\xCE\xC4", u"a中文", ide::TextEncoding::Gb18030},
        {"empty.tm", "", u"", ide::TextEncoding::Utf8},
        {"odd16.tm",
         std::string("\xFF\xFE"
                     "a\0b",
                     5),
         u"a", ide::TextEncoding::Utf16le},
        // A zero byte ends the text, as the editor shows it.
        {"binary.tm", std::string("ab\0\x01\xFF\xFE", 6), u"ab", ide::TextEncoding::Gb18030},
    };
    for (const Case &c : cases) {
        ide::TextFile file;
        std::u16string caption;
        ASSERT_TRUE(ide::read_text_file(u16(dir.write(c.name, c.bytes)), file, &caption)) << c.name;
        EXPECT_EQ(file.text, c.text) << c.name;
        if (std::string(c.name) != "binary.tm") EXPECT_EQ(file.encoding, c.encoding) << c.name;
    }
    ide::TextFile file;
    std::u16string caption;
    EXPECT_FALSE(ide::read_text_file(u16(dir.path("missing.tm")), file, &caption));
    EXPECT_EQ(u8(caption), "OpenTM：打开文件失败！");
    EXPECT_FALSE(ide::read_text_file(u16(dir.root()), file, &caption));
    EXPECT_FALSE(ide::read_text_file(u"/dev/zero", file, &caption));
    EXPECT_FALSE(ide::write_text_file(u16(dir.path("no/such/dir.tm")), u"x",
                                      ide::TextEncoding::Utf8, &caption));
    EXPECT_EQ(u8(caption), "OpenTM：创建文件失败！");
}

TEST(TextFile, WritingRoundTripsEveryEncoding) {
    idetest::ScratchDir dir;
    const std::u16string text = u"x=中\U0001F600;\r\n";
    for (ide::TextEncoding encoding :
         {ide::TextEncoding::Utf8, ide::TextEncoding::Utf16le, ide::TextEncoding::Gb18030}) {
        std::u16string caption;
        ASSERT_TRUE(ide::write_text_file(u16(dir.path("f")), text, encoding, &caption));
        ide::TextFile file;
        ASSERT_TRUE(ide::read_text_file(u16(dir.path("f")), file, &caption));
        EXPECT_EQ(file.text, text);
        EXPECT_EQ(file.encoding, encoding);
    }
}

TEST(Paths, FullPathsAndComparison) {
    struct Case {
        const char16_t *name, *full;
    } cases[] = {
        {u"/a/./b/../c", u"/a/c"},
        {u"/a//b/", u"/a/b/"},
        {u"/..", u"/"},
        {u"/", u"/"},
    };
    for (const Case &c : cases) EXPECT_EQ(ide::full_path(c.name), c.full);
    EXPECT_EQ(ide::full_path(u"x.tm"), ide::current_directory() + u"x.tm");
    EXPECT_EQ(ide::full_path(u""), u"");
    EXPECT_EQ(ide::directory_of(u"/a/b.tm"), u"/a/");
    EXPECT_EQ(ide::file_name_of(u"/a/b.tm"), u"b.tm");
    EXPECT_TRUE(ide::same_path(u"/A/b.TM", u"/a/B.tm"));
    EXPECT_FALSE(ide::same_path(u"/Ä", u"/ä"));  // only ASCII letters fold
}

TEST(Settings, DefaultWorkspaceSurvivesOtherLines) {
    idetest::ScratchDir dir;
    std::string file = dir.write("OpenTM.conf", "[General]\nother=1\n[Window]\ngeometry=x\n");
    ide::FileSettings settings(file);
    std::u16string path;
    ASSERT_TRUE(settings.read_default_workspace(path));
    EXPECT_TRUE(path.empty());
    ASSERT_TRUE(settings.write_default_workspace(u"/w/中 \\x.otm"));
    ASSERT_TRUE(settings.read_default_workspace(path));
    EXPECT_EQ(path, u"/w/中 \\x.otm");
    EXPECT_NE(dir.read("OpenTM.conf").find("geometry=x"), std::string::npos);
    EXPECT_FALSE(settings.write_default_workspace(u"two\nlines"));
}

TEST(Association, WrittenWhenMissingAndRemoved) {
    idetest::ScratchDir dir;
    ::setenv("XDG_DATA_HOME", dir.root().c_str(), 1);
    EXPECT_FALSE(ide::association_exists());
    idetest::FakeHost starting;
    EXPECT_TRUE(ide::ensure_association(starting, true));  // a file argument: nothing
    EXPECT_FALSE(ide::association_exists());
    EXPECT_TRUE(ide::ensure_association(starting, false));
    EXPECT_TRUE(ide::association_exists());
    ASSERT_TRUE(ide::write_association("/opt/open tm/OpenTm32W"));
    EXPECT_TRUE(ide::association_exists());
    std::string desktop = dir.read("applications/opentm.desktop");
    EXPECT_NE(desktop.find("Exec=\"/opt/open tm/OpenTm32W\" %f"), std::string::npos);
    EXPECT_NE(dir.read("mime/packages/opentm-otm.xml").find("*.otm"), std::string::npos);

    idetest::FakeHost host;
    ide::Engine engine{host};
    ide::FileSettings settings(dir.path("conf"));
    ide::Editor editor{host, engine, settings};
    host.answer_next(platform::kAnswerNo);
    editor.remove_file_association();
    EXPECT_TRUE(ide::association_exists());
    editor.remove_file_association();
    EXPECT_FALSE(ide::association_exists());
    ::unsetenv("XDG_DATA_HOME");
}

TEST(ShellOpen, WithoutXdgOpenItFailsQuietly) {
    std::string saved = std::getenv("PATH") ? std::getenv("PATH") : "";
    idetest::ScratchDir empty;
    ::setenv("PATH", empty.root().c_str(), 1);
    EXPECT_FALSE(ide::shell_open("/nowhere/opentm.htm; rm -rf /"));
    ::setenv("PATH", saved.c_str(), 1);
}

}  // namespace
