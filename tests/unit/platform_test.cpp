// The platform layer: library names and loading errors, text decoding.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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
