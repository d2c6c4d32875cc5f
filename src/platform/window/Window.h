// The show's window, on SDL2: a captioned, resizable window centred on the desktop, or desktop
// full screen. It is the frame sink of the d3dx context: each frame is shown in the largest 4:3
// rectangle of the window (black bars beside), 1:1 when the frame has that size (the display
// draws at the window's size), otherwise scaled smoothly: by whole pixels as far as they fit,
// then linearly filtered the rest of the way, never nearest-neighbour. This header does not
// need SDL; builds without SDL get a window that never opens.
//
// Units: pixels; keys are Windows virtual-key codes. Errors: Open returns null (no display
// server, no SDL, or any SDL failure) and leaves SDL as it found it.
#pragma once

#include "platform/d3dx/FrameSink.h"

#include <cstdint>
#include <memory>
#include <string>

namespace cm {

struct WindowOptions {
    int width = 640;
    int height = 480;
    bool framed = true;       // caption and frame
    bool fullScreen = false;  // desktop full screen, letterboxed
    bool showCursor = true;
    bool vsync = false;
    std::string title = "Cold Meridian";
};

struct WindowEvent {
    enum Kind : uint8_t { KeyDown, Close };
    Kind kind = KeyDown;
    uint32_t virtualKey = 0;  // KeyDown only
};

class Window final : public FrameSink {
public:
    struct Impl;

    static std::unique_ptr<Window> Open(const WindowOptions& options);
    // Why the last Open returned null, in words (with SDL's own reason).
    static std::string OpenError();
    ~Window() override;

    // Frames are scaled to the window; width x height X8R8G8B8 pixels. With waitVSync the
    // present waits for the refresh, or where the driver does not wait (a virtual display, a
    // software renderer) is paced to the display mode's refresh rate (FramePacer.h).
    void ShowFrame(const uint32_t* pixels, int width, int height, bool waitVSync) override;
    // Takes the next waiting event, translated; false when none is waiting. Every key press is
    // reported (see VirtualKeyFromSdlKey) except with Alt held: Alt+Enter toggles full screen
    // here, and the other Alt combinations are system keys.
    bool PollEvent(WindowEvent& event);
    void SetFullScreen(bool on);
    bool IsFullScreen() const;
    // Size of the window's area in screen coordinates.
    void GetClientSize(int& width, int& height) const;
    // Size of the area frames are shown in, in pixels (larger than the client size on
    // high-density screens).
    void GetDrawableSize(int& width, int& height) const;
    // Position of the window's top-left corner on the desktop.
    void GetPosition(int& x, int& y) const;
    bool IsCursorShown() const;

private:
    explicit Window(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// The largest rectangle of exactly 4:3 shape inside width x height, centred (at least 4 x 3).
struct PictureRect {
    int x = 0, y = 0, width = 4, height = 3;
};
PictureRect FitPicture(int width, int height);

// The code of a key that has no virtual-key code of its own (an unassigned value).
inline constexpr uint32_t kVirtualKeyOther = 0xFF;

// Translates an SDL key code (SDL_Keycode) into a Windows virtual-key code; kVirtualKeyOther for
// a key that has none, so every key press has a non-zero code.
uint32_t VirtualKeyFromSdlKey(int32_t sdlKey);

}  // namespace cm
