// The scene loop against a host that holds the workspace lock when it
// likes: deleted and recompiled scenes, a run error inside the scene, a
// long computation of the host, a new scene after the window thread ended.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "gl_host.h"

namespace gltest {
namespace {

// The saved picture, read back: 24-bit BMP rows bottom-up, padded to 4.
struct Bmp {
    int width = 0, height = 0;
    std::vector<unsigned char> bytes;
    bool read(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return false;
        width = bytes[18] | bytes[19] << 8;
        height = bytes[22] | bytes[23] << 8;
        return true;
    }
    // Red, green and blue summed: 0 for black.
    int brightness(int x, int y) const {
        const size_t row = (size_t(width) * 3 + 3) / 4 * 4;
        const size_t at = 54 + size_t(y) * row + size_t(x) * 3;
        return bytes[at] + bytes[at + 1] + bytes[at + 2];
    }
    bool any_lit() const {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (brightness(x, y)) return true;
        return false;
    }
};

// A white scene: every pixel lit.  The parameter keeps the module from
// running the formula itself.
constexpr char16_t kWhiteScene[] =
    u"white(x) = glClearColor(1, 1, 1, 1), glClear(), probe();\n"
    u"gleDrawScene(HFor(\"white\", 2));";

std::u16string save_option(const std::string &path) {
    return u"offscreen,size=48x32,save=" + std::u16string(path.begin(), path.end());
}

// The no-signal picture: black corners, a little text.
void expect_no_signal(const std::string &path) {
    Bmp bmp;
    ASSERT_TRUE(bmp.read(path)) << path;
    EXPECT_EQ(bmp.brightness(0, 0), 0);
    EXPECT_EQ(bmp.brightness(bmp.width - 1, 0), 0);
    EXPECT_TRUE(bmp.any_lit());
}

class SceneLoop : public GlHost {};

TEST_F(SceneLoop, DeletedOrRecompiledSceneShowsNoSignal) {
    for (bool recompile : {false, true}) {
        const std::string picture = scratch(recompile ? "recompiled.bmp" : "deleted.bmp");
        std::remove(picture.c_str());
        ASSERT_TRUE(start_graphics(save_option(picture) + u",frames=3"));
        // The scene is replaced before the window thread ever gets the lock.
        lock();
        const int moduleNo = run_module(kWhiteScene);
        delete_module(moduleNo);
        if (recompile) run_module(u"white(x) = glClearColor(1, 1, 1, 1), glClear(), probe();");
        unlock();
        wait_for_scene();
        stop_graphics();
        expect_no_signal(picture);
        EXPECT_EQ(probe_count(), 0);
    }
}

TEST_F(SceneLoop, RunErrorIsReportedOnceAndFreezesTheSceneUntilCleared) {
    ASSERT_TRUE(start_graphics(u"offscreen,size=16x16,frames=4"));
    lock();
    run_module(u"broken(x) = probe(), glEnd();\ngleDrawScene(HFor(\"broken\", 2));");
    unlock();
    wait_for_scene();
    EXPECT_EQ(probe_count(), 1);
    EXPECT_EQ(occurrences(captured().messages, u"OpenTmGl发现运行错误！！！"), 1);
    EXPECT_EQ(occurrences(captured().messages, u"函数名：glEnd，错误代码：1"), 1);
    EXPECT_EQ(occurrences(captured().messages, u"正在运行的实数表达式名称：broken"), 1);
    // The error is still pending; a new run clears it and the scene draws.
    EXPECT_NE(k().TestRunErr(), 0);
    lock();
    run_module(u"fine(x) = probe();\ngleDrawScene(HFor(\"fine\", 2));");
    unlock();
    wait_for_scene();
    EXPECT_EQ(probe_count(), 1 + 4);
    EXPECT_EQ(occurrences(captured().messages, u"OpenTmGl发现运行错误！！！"), 1);
}

// While the host computes (holds the workspace) the window keeps drawing
// frames with the no-signal picture: F3, pressed by the host, is taken by
// the next frame; then the library is unloaded with the lock still held.
TEST_F(SceneLoop, LongHostComputationKeepsDrawingNoSignal) {
    const std::string picture = scratch("busy.bmp");
    std::remove(picture.c_str());
    ASSERT_TRUE(start_graphics(save_option(picture)));
    lock();
    run_module(kWhiteScene);
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(evaluate(u"gleVirtualKey(114, 1)"), 1);
        // The first window waits a moment for the host before it appears.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        bool taken = false;
        while (!taken && std::chrono::steady_clock::now() < deadline)
            taken = evaluate(u"gleVirtualKey(114)") == 0;
        EXPECT_TRUE(taken);
    }
    stop_graphics();
    unlock();
    EXPECT_EQ(probe_count(), 0);
    expect_no_signal(picture);
}

TEST_F(SceneLoop, EscEndsTheThreadAndANewSceneOpensANewWindow) {
    ASSERT_TRUE(start_graphics(u"offscreen,size=16x16,frames=50"));
    lock();
    run_module(u"quit(x) = probe(), gleVirtualKey(27, 1);\ngleDrawScene(HFor(\"quit\", 2));");
    unlock();
    wait_for_scene();
    EXPECT_EQ(probe_count(), 1);
    lock();
    run_module(u"again(x) = probe(), if(gleIsInitScene(), probe());\n"
               u"gleDrawScene(HFor(\"again\", 2));");
    unlock();
    wait_for_scene();
    EXPECT_EQ(probe_count(), 1 + 50 + 1);
}

}  // namespace
}  // namespace gltest
