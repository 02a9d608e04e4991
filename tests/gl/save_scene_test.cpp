// gleSaveScene: without a host dialog the picture goes to the next free
// OpenTmGl-N.bmp of the current directory and its name is printed; with
// the host's "MTM_SaveSceneName" the chosen name is used, ".bmp" added when
// it has no extension, and a file that exists under the added name is
// replaced only when the user agrees.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "gl_host.h"

namespace gltest {
namespace {

bool exists(const std::string &path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

long size_of(const std::string &path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? long(st.st_size) : -1;
}

std::u16string g_chosen;
int TM_CALL choose_name(const char16_t *, char16_t *buffer, int length) {
    if (g_chosen.empty() || int(g_chosen.size()) >= length) return 0;
    std::copy(g_chosen.begin(), g_chosen.end(), buffer);
    buffer[g_chosen.size()] = 0;
    return 1;
}
void TM_CALL keep(void *) {}

class SaveScene : public GlHost {
protected:
    void SetUp() override {
        GlHost::SetUp();
        directory = scratch("dir");
        ::mkdir(directory.c_str(), 0755);
        char here[4096];
        ASSERT_NE(::getcwd(here, sizeof here), nullptr);
        previous = here;
        ASSERT_EQ(::chdir(directory.c_str()), 0);
        for (const char *name : {"OpenTmGl-1.bmp", "OpenTmGl-2.bmp", "OpenTmGl-3.bmp", "pic.bmp"})
            std::remove(name);
    }
    void TearDown() override {
        if (!previous.empty()) {
            EXPECT_EQ(::chdir(previous.c_str()), 0);
        }
        GlHost::TearDown();
    }

    // One frame of a 21 x 10 scene that saves itself.
    void save_once() {
        ASSERT_TRUE(start_graphics(u"offscreen,size=21x10,frames=1"));
        lock();
        run_module(u"s(x) = glClearColor(0, 1, 0, 1), glClear(), gleSaveScene();\n"
                   u"gleDrawScene(HFor(\"s\", 2));");
        unlock();
        wait_for_scene();
        stop_graphics();
    }

    std::string directory, previous;
};

TEST_F(SaveScene, WithoutHostDialogTheNextFreeDefaultName) {
    std::ofstream("OpenTmGl-1.bmp") << "taken";
    save_once();
    ASSERT_TRUE(exists("OpenTmGl-2.bmp"));
    // 21 pixels of 3 bytes: rows of 63 bytes padded to 64.
    EXPECT_EQ(size_of("OpenTmGl-2.bmp"), 54 + 64 * 10);
    EXPECT_EQ(size_of("OpenTmGl-1.bmp"), 5);
    EXPECT_NE(captured().messages.find(u"OpenTmGl-2.bmp"), std::u16string::npos);
}

TEST_F(SaveScene, HostDialogNameGetsItsExtensionAndAsksBeforeReplacing) {
    void *none = nullptr;
    ASSERT_EQ(k().InsertKey("MTM_SaveSceneName", 17, 256, reinterpret_cast<void *>(choose_name),
                            keep, &none), 0);
    g_chosen = u"pic";
    save_once();
    EXPECT_EQ(size_of("pic.bmp"), 54 + 64 * 10);
    // Again: the file exists under the added name, the host's box answers
    // OK (not Yes), so nothing is replaced and the failure is shown.
    std::ofstream("pic.bmp") << "keep me";
    captured().boxes.clear();
    save_once();
    EXPECT_EQ(size_of("pic.bmp"), 7);
    ASSERT_EQ(captured().boxes.size(), 2u);
    EXPECT_EQ(captured().boxes[0], u"OpenTmGl|OpenTmGl：文件已经存在。是否覆盖文件？");
    EXPECT_EQ(captured().boxes[1], u"OpenTmGl：创建文件失败！|pic.bmp");
    // A cancelled dialog saves nothing.
    g_chosen.clear();
    captured().boxes.clear();
    save_once();
    EXPECT_TRUE(captured().boxes.empty());
    k().DeleteKey("MTM_SaveSceneName", 17, 256);
}

}  // namespace
}  // namespace gltest
