// The live window on SDL's offscreen driver: it shows exactly the host screen, scaled 2x, and
// hands the phone's keys on.
#include <SDL.h>
#include <stdlib.h>

#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "support/HostTest.h"

namespace {

class LiveWindowTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
        std::string error;
        if (!tmxhost::OpenLiveWindow(
                "test", 2, [this](char key) { keys += key; }, &error)) {
            GTEST_SKIP() << "no SDL video: " << error;
        }
    }
    void TearDown() override {
        tmxhost::CloseLiveWindow();
        HostTest::TearDown();
    }

    // Paints a window of `rgb565` on the screen.
    static void Paint(int x, int y, int w, int h, unsigned short rgb565) {
        int hWindow = tmxhost::CreateWindow(x, y, w, h);
        WmSetWindowBgColor(hWindow, rgb565);
        int hGC = __WmCreateWindowSubGC(hWindow, 0, 0, w, h, "test", 1);
        WmClearGC(hGC);
        tmxhost::ShowWindow(hWindow);
        tmxhost::DestroyWindow(hWindow);
    }

    std::string keys;
};

TEST_F(LiveWindowTest, ShowsTheScreenScaledTwiceAndFollowsItsSize) {
    for (auto [w, h] : {std::pair{240, 320}, std::pair{50, 30}}) {
        ASSERT_TRUE(tmxhost::SetScreenSize(w, h));
        Paint(3, 5, 17, 9, 0xF800);
        Paint(10, 8, 20, 11, 0x07E0 | 0x001F);
        Paint(0, h - 1, w, 1, 0x8410);  // the last row: nothing dropped at the edges
        ASSERT_TRUE(tmxhost::PumpLiveWindow());

        std::vector<std::uint16_t> pixels;
        int width = 0, height = 0;
        ASSERT_TRUE(tmxhost::LiveWindowPixels(pixels, width, height));
        ASSERT_EQ(width, 2 * w);
        ASSERT_EQ(height, 2 * h);
        int wrong = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                wrong += pixels[y * width + x] != tmxhost::ScreenPixel(x / 2, y / 2);
            }
        }
        EXPECT_EQ(wrong, 0) << w << "x" << h;
    }
}

TEST_F(LiveWindowTest, HandsOnThePhoneKeysAndEndsWhenClosed) {
    auto key = [](SDL_Keycode sym) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = sym;
        SDL_PushEvent(&event);
    };
    auto text = [](const char* typed) {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        std::snprintf(event.text.text, sizeof(event.text.text), "%s", typed);
        SDL_PushEvent(&event);
    };
    key(SDLK_RETURN);
    text("1a#");
    text("*9");
    key(SDLK_ESCAPE);
    key(SDLK_SPACE);
    ASSERT_TRUE(tmxhost::PumpLiveWindow());
    EXPECT_EQ(keys, "\n1#*9\x1b");

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_FALSE(tmxhost::PumpLiveWindow());
    EXPECT_FALSE(tmxhost::PumpLiveWindow());
}

}  // namespace
