// The platform layer: library names and loading errors, text decoding.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/install_layout.h"
#include "platform/loader.h"
#include "platform/text.h"

namespace {

TEST(Loader, WindowsLibraryNamesMapToSharedObjects) {
    EXPECT_EQ(platform::library_file_name("TmData32W.dll"), "libTmData32W.so");
    EXPECT_EQ(platform::library_file_name("TmData32W.DLL"), "libTmData32W.so");
    EXPECT_EQ(platform::library_file_name("ext/TmString32W.Dll"), "ext/libTmString32W.so");
    EXPECT_EQ(platform::library_file_name("libfoo.so"), "libfoo.so");
    EXPECT_EQ(platform::library_file_name(".dll"), ".dll");
}

TEST(Loader, MissingLibraryAndSymbolAreRefused) {
    std::string error;
    EXPECT_EQ(platform::load_library("NoSuchTamrixLibrary.dll", &error), nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(platform::find_symbol(nullptr, "RealCal"), nullptr);
    platform::close_library(nullptr); // harmless
}

TEST(Loader, ABrokenLibraryBesideTheProgramReportsWhyItFailed) {
    const std::string path = platform::program_directory() + "/libTmBrokenForTest.so";
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("not a shared object", f);
    std::fclose(f);
    std::string error;
    EXPECT_EQ(platform::load_library("TmBrokenForTest.dll", &error), nullptr);
    std::remove(path.c_str());
    EXPECT_NE(error.find("libTmBrokenForTest.so"), std::string::npos) << error;
    EXPECT_EQ(error.find("No such file"), std::string::npos) << error;
}

TEST(Loader, ProgramDirectoryComesFirstThenBuildAndInstalledLibraryDirectories) {
    std::vector<std::string> dirs = platform::library_directories();
    const std::string here = platform::program_directory();
    ASSERT_GE(dirs.size(), 3u);
    EXPECT_EQ(dirs[0], here);
    EXPECT_EQ(dirs[1], here + "/../lib");
    // The extension libraries' own subdirectory before the plain library directory.
    EXPECT_EQ(dirs[2].substr(dirs[2].size() - 7), "/tamrix");
}

TEST(Loader, OnlyPlainSharedObjectNamesGainTheInterfaceVersion) {
    std::vector<std::string> kernel = platform::library_file_candidates("libTamrix32W.so");
    ASSERT_EQ(kernel.size(), 2u);
    EXPECT_EQ(kernel[0], "libTamrix32W.so");
    EXPECT_EQ(kernel[1].rfind("libTamrix32W.so.", 0), 0u) << kernel[1];
    EXPECT_EQ(platform::library_file_candidates("libfoo.so.2"),
              std::vector<std::string>{"libfoo.so.2"});
    EXPECT_EQ(platform::library_file_candidates("so"), std::vector<std::string>{"so"});
}

// A runtime-only installation has the versioned file alone: it is tried (and
// here, being no shared object, named in the error).
TEST(Loader, TheVersionedFileIsTriedWhenThePlainNameIsMissing) {
    const std::string path = platform::library_file_candidates(
        platform::program_directory() + "/libTmVersionedForTest.so").back();
    ASSERT_NE(path.substr(path.size() - 3), ".so");
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("not a shared object", f);
    std::fclose(f);
    std::string error;
    EXPECT_EQ(platform::load_library("TmVersionedForTest.dll", &error), nullptr);
    std::remove(path.c_str());
    EXPECT_NE(error.find(path), std::string::npos) << error;
}

TEST(Text, FilesDecodeByByteOrderMarkThenUtf8ThenGb18030) {
    EXPECT_EQ(platform::decode_text_file(std::string("\xFF\xFE" "a\0\x62\x95", 6)), u"a\u9562");
    EXPECT_EQ(platform::decode_text_file("x=\xE9\x9D\xA2"), u"x=\u9762");
    EXPECT_EQ(platform::decode_text_file("\xEF\xBB\xBFok"), u"ok");
    // "面积" in GB18030 is not valid UTF-8.
    EXPECT_EQ(platform::decode_text_file("\xC3\xE6\xBB\xFD"), u"面积");
    EXPECT_EQ(platform::decode_text_file(""), u"");
}

TEST(Text, UnpairedSurrogatesAndBadBytesBecomeReplacementCharacters) {
    std::u16string lone = u"a";
    lone += char16_t(0xD800);
    lone += u"b";
    EXPECT_EQ(platform::to_utf8(lone), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(platform::to_utf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(platform::from_utf8("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(platform::to_utf8(static_cast<const char16_t *>(nullptr)), "");
}

}  // namespace
