// The window's frame pacer; and the real window on a private X server: open, present, keys
// (Escape, the last-key rule, Alt+Enter), a close request, full screen, skipped, saying why, where
// no X server can start.
#include "common/VirtualDisplay.h"
#include "display/DisplayDevice.h"
#include "display/Registry.h"
#include "platform/device/Device.h"
#include "platform/window/FramePacer.h"
#include "platform/window/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <utility>
#include <vector>

// Talking to a real X server makes SDL load and unload X client modules whose few remaining
// blocks a leak checker can only report as "unknown module"; leaks are checked by the headless
// display tests instead.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace cm {
namespace {

using namespace std::chrono_literals;
using Clock = FramePacer::Clock;

// Presents `frames` frames, each drawn in `draw` and presented in `present`, sleeping what the
// pacer asks; returns the time they took.
Clock::duration PresentFrames(FramePacer& pacer, Clock::time_point& now, int frames, Clock::duration draw,
                               Clock::duration present) {
    const Clock::time_point start = now;
    for (int i = 0; i < frames; ++i) {
        now += draw;
        now += pacer.WaitBefore(now);
        now += present;
        pacer.Presented(now);
    }
    return now - start;
}

TEST(FramePacer, TrustsAPresentThatWaitsPacesOneThatDoesNotAndRestartsAfterALateFrame) {
    Clock::time_point now{};
    FramePacer waits(60.0);
    // The present blocks to the next refresh: the pacer never adds to it.
    const Clock::duration period = waits.GetPeriod();
    EXPECT_EQ(PresentFrames(waits, now, 120, 3ms, period - 3ms), 120 * period);
    EXPECT_FALSE(waits.IsPacing());

    FramePacer fast(144.0);
    const Clock::duration quick = PresentFrames(fast, now, 9, 1ms, 1ms);
    EXPECT_TRUE(fast.IsPacing()) << "eight quick intervals in a row";
    EXPECT_EQ(quick, 18ms);
    // From then on one period per frame on average, however long each sleep overshoots.
    const Clock::duration paced = PresentFrames(fast, now, 144, 1ms, 1ms);
    EXPECT_NEAR(std::chrono::duration<double>(paced).count(), 1.0, 0.01);

    // Unknown rates are sixty.
    FramePacer pacer(0.0);
    EXPECT_EQ(pacer.GetPeriod(), FramePacer(60.0).GetPeriod());
    for (double bad : {-5.0, std::nan(""), 0.5}) EXPECT_EQ(FramePacer(bad).GetPeriod(), pacer.GetPeriod()) << bad;
    PresentFrames(pacer, now, 9, 1ms, 0ms);
    ASSERT_TRUE(pacer.IsPacing());
    // A frame that took half a second is not followed by a burst that catches up.
    now += 500ms;
    EXPECT_EQ(pacer.WaitBefore(now), Clock::duration::zero());
    pacer.Presented(now);
    EXPECT_EQ(pacer.WaitBefore(now + 1ms), pacer.GetPeriod() - 1ms);
}

void PushKeys(std::initializer_list<SDL_Keycode> keys, Uint16 mod = KMOD_NONE) {
    for (SDL_Keycode key : keys) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = key;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }
}

using Pair = std::pair<int, int>;

// The window's client size, or with position set, its position on the screen.
Pair Geometry(Window* window, bool position = false) {
    Pair p{-1, -1};
    position ? window->GetPosition(p.first, p.second) : window->GetClientSize(p.first, p.second);
    return p;
}

class WindowSmokeTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.Available()) GTEST_SKIP() << "no X server could be started (is Xvfb installed?): window not tested";
        setenv("SDL_VIDEODRIVER", "x11", 1);
        // The software renderer: the X server has no GPU, and GL drivers loaded and unloaded
        // here would leave allocations that leak checkers cannot attribute.
        setenv("SDL_RENDER_DRIVER", "software", 1);
    }
    // Its own server of a known size, whatever display the session has.
    test::VirtualDisplay server{"1024x768x24", true};
};

TEST_F(WindowSmokeTest, WindowedOpensCentredPresentsAndTurnsKeysIntoCodes) {
    DisplayDevice display;
    ASSERT_TRUE(display.Create(640, 480, 0x0E, "Cold Meridian"));
    Window* window = display.GetWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Geometry(window), (Pair{640, 480}));
    EXPECT_EQ(Geometry(window, true), (Pair{(1024 - 640) / 2, (768 - 480) / 2}));
    EXPECT_TRUE(window->IsCursorShown());
    EXPECT_FALSE(window->IsFullScreen());

    display.BeginFrame(Color4(0.1f, 0.2f, 0.4f));
    display.Present();
    display.PumpMessages();

    PushKeys({SDLK_a, SDLK_ESCAPE, SDLK_b});
    EXPECT_EQ(display.PumpMessages(), 'B');  // only the last key counts
    PushKeys({SDLK_ESCAPE});
    EXPECT_EQ(display.PumpMessages(), 27u);
    EXPECT_EQ(display.PumpMessages(), 0u);
    // Every key has a code, so any key after Escape replaces it: the comma and keypad keys by
    // their virtual-key codes, a key without one by the stand-in.
    for (const auto& [later, code] : {std::pair{SDLK_COMMA, 188u}, {SDLK_KP_5, 0x65u}, {SDLK_MUTE, kVirtualKeyOther}}) {
        PushKeys({SDLK_ESCAPE, later});
        EXPECT_EQ(display.PumpMessages(), code);
    }
    PushKeys({SDLK_SPACE, SDLK_F12});
    display.PumpMessages();
    EXPECT_EQ(display.KeysPressed(), (std::vector<uint32_t>{32, 0x7B}));  // every press, in order

    PushKeys({SDLK_RETURN}, KMOD_LALT);  // a system key: full screen toggles, no code
    EXPECT_EQ(display.PumpMessages(), 0u);
    EXPECT_TRUE(window->IsFullScreen());
    EXPECT_EQ(Geometry(window), (Pair{1024, 768}));
    display.BeginFrame(Color4(0, 0, 0));  // the picture follows the screen: drawn at its size
    EXPECT_EQ(GetDevice()->GetRenderTarget().width, 1024);
    EXPECT_EQ(GetDevice()->GetRenderTarget().height, 768);
    display.Present();
    PushKeys({SDLK_RETURN}, KMOD_LALT);
    display.PumpMessages();
    EXPECT_FALSE(window->IsFullScreen());
    EXPECT_EQ(Geometry(window), (Pair{640, 480}));
    display.BeginFrame(Color4(0, 0, 0));
    EXPECT_EQ(GetDevice()->GetRenderTarget().width, 640);

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_EQ(display.PumpMessages(), 27u);  // closing the window ends the show like Escape
    display.Destroy();
    EXPECT_EQ(GetDevice(), nullptr);
}

TEST_F(WindowSmokeTest, FullScreenCoversTheDesktopWithoutCursor) {
    DisplayDevice display;
    ASSERT_TRUE(display.Create(640, 480, 0x11, "Cold Meridian"));
    Window* window = display.GetWindow();
    EXPECT_TRUE(window->IsFullScreen());
    EXPECT_FALSE(window->IsCursorShown());
    EXPECT_EQ(Geometry(window), (Pair{1024, 768}));
    EXPECT_EQ(Geometry(window, true), (Pair{0, 0}));
    EXPECT_EQ(GetDevice()->GetRenderTarget().width, 1024);  // the desktop's resolution
    display.BeginFrame(Color4(1, 1, 1));
    display.Present();
    EXPECT_EQ(display.PumpMessages(), 0u);
}

// A resized window is drawn at the largest 4:3 picture it holds (twice that with supersampling);
// with the original pixels kept, at 640 x 480 whatever its size.
TEST_F(WindowSmokeTest, ThePictureIsDrawnAtTheWindowsSize) {
    for (const bool original : {false, true}) {
        DisplayDevice display;
        RenderOptions options;
        options.originalPixels = original;
        options.supersample = 2;
        display.SetRenderOptions(options);
        ASSERT_TRUE(display.Create(640, 480, 0x0E, "Cold Meridian"));
        SDL_SetWindowSize(SDL_GetWindowFromID(1), 800, 450);
        for (int i = 0; i < 20 && display.GetRenderHeight() != (original ? 480 : 450); ++i) {
            display.PumpMessages();
            display.BeginFrame(Color4(0, 0, 0));
            display.Present();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_EQ(display.GetRenderWidth(), original ? 640 : 600);
        EXPECT_EQ(display.GetRenderHeight(), original ? 480 : 450);
        EXPECT_EQ(GetDevice()->GetRenderTarget().height, original ? 960 : 900);
    }
    const PictureRect wide = FitPicture(1920, 1080), tall = FitPicture(1000, 2000);
    EXPECT_EQ((std::array{wide.x, wide.y, wide.width, wide.height}), (std::array{240, 0, 1440, 1080}));
    EXPECT_EQ((std::array{tall.x, tall.y, tall.width, tall.height}), (std::array{0, 625, 1000, 750}));
}

}  // namespace
}  // namespace cm
