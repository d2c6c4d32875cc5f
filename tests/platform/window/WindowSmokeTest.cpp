// The real window on a private X server: open, present, keys (Escape, the last-key rule,
// Alt+Enter), a close request, full screen. Skipped, saying why, where no X server can start.
#include "display/DisplayDevice.h"
#include "display/Registry.h"
#include "platform/device/Device.h"
#include "platform/window/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Talking to a real X server makes SDL load and unload X client modules whose few remaining
// blocks a leak checker can only report as "unknown module"; leaks are checked by the headless
// display tests instead.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace cm {
namespace {

// An Xvfb of 1024 x 768 on a free display number, stopped at the end.
class XServer {
public:
    XServer() {
        // Test processes may run side by side: start from a number of our own and make sure the
        // server that answers is ours (still alive), not a neighbour's.
        int attempts = 0;
        for (int i = 0; i < 40 && attempts < 4; ++i) {
            const int n = 50 + (static_cast<int>(getpid()) + i) % 40;
            // snprintf rather than string concatenation, which trips a false -Wrestrict in GCC 12.
            char lock[64], display[16], socket[64];
            std::snprintf(lock, sizeof lock, "/tmp/.X%d-lock", n);
            std::snprintf(display, sizeof display, ":%d", n);
            std::snprintf(socket, sizeof socket, "/tmp/.X11-unix/X%d", n);
            struct stat st;
            if (stat(lock, &st) == 0) continue;
            ++attempts;
            pid_ = fork();
            if (pid_ == 0) {
                const int null = open("/dev/null", O_WRONLY);
                dup2(null, 1);
                dup2(null, 2);
                execlp("Xvfb", "Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp", nullptr);
                _exit(127);
            }
            if (pid_ < 0) return;
            bool dead = false;
            for (int k = 0; k < 100 && !dead; ++k) {
                int status;
                if (waitpid(pid_, &status, WNOHANG) == pid_) {
                    dead = true;
                    pid_ = -1;
                    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return;  // no Xvfb here
                } else if (stat(socket, &st) == 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    if (waitpid(pid_, &status, WNOHANG) == pid_) {
                        dead = true;
                        pid_ = -1;
                    } else {
                        display_ = display;
                        return;
                    }
                } else {
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
            }
            Stop();
        }
    }
    ~XServer() { Stop(); }
    bool Running() const { return !display_.empty(); }
    const std::string& Display() const { return display_; }

private:
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    pid_t pid_ = -1;
    std::string display_;
};

void PushKey(SDL_Keycode key, Uint16 mod = KMOD_NONE) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
}

class WindowSmokeTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.Running()) GTEST_SKIP() << "no X server could be started (is Xvfb installed?): window not tested";
        setenv("DISPLAY", server.Display().c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        // The software renderer: the X server has no GPU, and GL drivers loaded and unloaded
        // here would leave allocations that leak checkers cannot attribute.
        setenv("SDL_RENDER_DRIVER", "software", 1);
    }
    XServer server;
};

TEST_F(WindowSmokeTest, WindowedOpensCentredPresentsAndTurnsKeysIntoCodes) {
    DisplayDevice display;
    ASSERT_TRUE(display.Create(640, 480, 0x0E, "Cold Meridian"));
    Window* window = display.GetWindow();
    ASSERT_NE(window, nullptr);
    int w = 0, h = 0, x = -1, y = -1;
    window->GetClientSize(w, h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    window->GetPosition(x, y);
    EXPECT_EQ(x, (1024 - 640) / 2);
    EXPECT_EQ(y, (768 - 480) / 2);
    EXPECT_TRUE(window->IsCursorShown());
    EXPECT_FALSE(window->IsFullScreen());

    display.BeginFrame(Color4(0.1f, 0.2f, 0.4f));
    display.Present();
    display.PumpMessages();

    PushKey(SDLK_a);
    PushKey(SDLK_ESCAPE);
    PushKey(SDLK_b);
    EXPECT_EQ(display.PumpMessages(), 'B');  // only the last key counts
    PushKey(SDLK_ESCAPE);
    EXPECT_EQ(display.PumpMessages(), 27u);
    EXPECT_EQ(display.PumpMessages(), 0u);

    PushKey(SDLK_RETURN, KMOD_LALT);  // a system key: full screen toggles, no code
    EXPECT_EQ(display.PumpMessages(), 0u);
    EXPECT_TRUE(window->IsFullScreen());
    window->GetClientSize(w, h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    display.BeginFrame(Color4(0, 0, 0));  // the picture follows the screen: drawn at its size
    EXPECT_EQ(GetDevice()->GetRenderTarget().width, 1024);
    EXPECT_EQ(GetDevice()->GetRenderTarget().height, 768);
    display.Present();
    PushKey(SDLK_RETURN, KMOD_LALT);
    display.PumpMessages();
    EXPECT_FALSE(window->IsFullScreen());
    window->GetClientSize(w, h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
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
    int w = 0, h = 0, x = -1, y = -1;
    window->GetClientSize(w, h);
    window->GetPosition(x, y);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
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
