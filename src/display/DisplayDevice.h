// The display: owns the one window of the show (or, headless, a frame sink given by the caller),
// the d3dx context with its device, and the screen vertex buffer, and publishes them through
// the accessors of Registry.h. It also turns key presses into the last virtual-key code.
//
// Units: width and height in pixels; key codes are Windows virtual-key codes (Escape = 27).
// Errors: Create returns false and leaves what it made for Destroy, which copes with any
// partial state; nothing is reported to the user.
// Render size: the show draws in 640 x 480 coordinates; the device's target takes the size the
// render options and the window ask for (RenderOptions.h).
#pragma once

#include "display/RenderObject.h"
#include "display/RenderOptions.h"
#include "math/Color4.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cm {

class D3DXContext;
class Device;
class DirectDraw;
class Direct3D;
class FrameSink;
class VertexBuffer;
class Window;

enum DisplayFlags : uint32_t {
    FullScreen = 0x01,    // desktop full screen, the picture letterboxed to 4:3
    FramedWindow = 0x04,  // a captioned window
    ShowCursor = 0x08,    // leave the mouse cursor visible over the window
    WaitVSync = 0x10,     // Present waits for vertical sync
};

inline constexpr uint32_t kVirtualKeyEscape = 27;
inline constexpr int kScreenVertexCount = 300;

class DisplayDevice : public RenderObject {
public:
    DisplayDevice();
    ~DisplayDevice();
    DisplayDevice(const DisplayDevice&) = delete;
    DisplayDevice& operator=(const DisplayDevice&) = delete;

    // Takes effect at Create; call before it. The picture is then drawn at the window's size
    // (the largest 4:3 rectangle of it, re-measured every frame) or at options' size without a
    // window; the show keeps drawing in 640 x 480 coordinates. Supersampling is lowered where
    // the drawn target would exceed the device's largest size.
    void SetRenderOptions(const RenderOptions& options) { renderOptions = options; }
    const RenderOptions& GetRenderOptions() const { return renderOptions; }

    // Opens the window and the context. False without a display server (or without window
    // support in this build), or when any step fails.
    bool Create(int width, int height, uint32_t flags, const char* title);
    // The same without a window: frames go to sink (null: dropped). For tests and the recorder.
    bool CreateHeadless(int width, int height, uint32_t flags, const char* title, FrameSink* sink);

    // Dispatches waiting window events, then returns the last key code and resets it to 0.
    // A request to close the window counts as Escape. Alt+Enter toggles full screen.
    uint32_t PumpMessages();
    // Every key pressed before the last PumpMessages and after the one before it, in order.
    const std::vector<uint32_t>& KeysPressed() const { return keysPressed; }
    // Follows the window's size (see SetRenderOptions), then clears colour (packed ARGB from
    // color) and depth.
    void BeginFrame(const Color4& color);
    void Present();
    // Releases everything Create made; safe to call more than once.
    void Destroy();

    // As a WM_KEYDOWN would: the key becomes the last key. Used by the window's event handling
    // and by headless runs that script their keys.
    void KeyDown(uint32_t virtualKey) {
        lastKey = virtualKey;
        keysWaiting.push_back(virtualKey);
    }
    // Off: frames are computed but nothing is drawn, cleared or presented (see
    // Device::SetRasterizing). Seeking runs the show's frames this way.
    void SetDrawing(bool on);
    bool IsDrawing() const { return drawing; }

    uint32_t GetFlags() const { return flags; }
    const std::string& GetTitle() const { return title; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    Window* GetWindow() const { return window.get(); }

    // The size the picture is drawn at now (before supersampling).
    int GetRenderWidth() const;
    int GetRenderHeight() const;

private:
    bool CreateContext(FrameSink* sink);
    // Sets the context's render size from the options and the window; false when refused.
    bool ApplyRenderSize();

    uint32_t flags = 0;
    RenderOptions renderOptions;
    std::string title;
    int width = 0;
    int height = 0;
    std::unique_ptr<Window> window;
    uint32_t lastKey = 0;
    std::vector<uint32_t> keysWaiting;
    std::vector<uint32_t> keysPressed;
    bool drawing = true;

    D3DXContext* context = nullptr;
    Device* device = nullptr;
    DirectDraw* directDraw = nullptr;
    Direct3D* direct3D = nullptr;
    VertexBuffer* screenVertexBuffer = nullptr;
    bool initialized = false;
};

}  // namespace cm
