// The show's window in a browser page: the canvas with id "show", whose drawing buffer is the
// frame's size and which the page's style scales smoothly to fit, 4:3 kept. Keys come from the
// page's key events; their keyCode values are the Windows virtual-key codes the show expects.
// As on the desktop, Alt+Enter toggles full screen (the page does it at once: a browser allows
// full screen only while it handles the key) and is not reported, nor are other keys with Alt
// held; keys with Ctrl or Meta held are left to the browser, and keys for a panel of the page
// that has the focus to that panel. The last frame stays readable for
// the page (cm_web_frame_pixels).
#include "platform/window/Window.h"

#include <emscripten/emscripten.h>
#ifdef __wasm_simd128__
#include <wasm_simd128.h>
#endif

#include <string>
#include <vector>

namespace cm {

namespace {
// The last frame shown, as RGBA bytes for the canvas; empty before the first frame.
struct PageFrame {
    std::vector<uint8_t> rgba;
    int width = 0;
    int height = 0;
};
PageFrame g_frame;
}  // namespace

struct Window::Impl {
    bool open = false;
    int width = 0;   // the picture's size when the window opened
    int height = 0;
};

std::unique_ptr<Window> Window::Open(const WindowOptions& options) {
    const int found = EM_ASM_INT({
        const canvas = document.getElementById('show');
        if (!canvas) return 0;
        canvas.width = $0;
        canvas.height = $1;
        Module.cmKeys = [];
        if (!Module.cmKeyListener) {
            Module.cmKeyListener = (event) => {
                // The browser's own shortcuts (Ctrl or Meta held) stay the browser's, and keys
                // typed into a panel on view (the start panel, "Play again") the panel's.
                if (!Module.cmKeys || event.ctrlKey || event.metaKey) return;
                if (event.target.closest && event.target.closest('.panel:not([hidden])')) return;
                if (event.altKey) {
                    if (event.keyCode === 13 && !event.repeat) Module.cmToggleFullScreen();
                } else {
                    Module.cmKeys.push(event.keyCode || 255);  // kVirtualKeyOther
                }
                event.preventDefault();
            };
            window.addEventListener('keydown', Module.cmKeyListener);
        }
        return 1;
    }, options.width, options.height);
    if (found == 0) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->open = true;
    impl->width = options.width;
    impl->height = options.height;
    std::unique_ptr<Window> window(new Window(std::move(impl)));
    window->SetFullScreen(options.fullScreen);
    return window;
}

std::string Window::OpenError() { return "the page has no canvas with the id \"show\""; }

Window::Window(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Window::~Window() {
    // Keys pressed after the show has gone are not queued for the next run.
    EM_ASM({ Module.cmKeys = null; });
}

void Window::ShowFrame(const uint32_t* pixels, int width, int height, bool) {
    if (pixels == nullptr || width < 1 || height < 1) return;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    g_frame.rgba.resize(count * 4);
    uint8_t* out = g_frame.rgba.data();
    size_t i = 0;
#ifdef __wasm_simd128__
    // Four pixels at a time: bytes B, G, R, X become R, G, B, 255.
    for (; i + 4 <= count; i += 4, out += 16) {
        const v128_t p = wasm_v128_load(pixels + i);
        const v128_t rgbx = wasm_i8x16_shuffle(p, p, 2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
        wasm_v128_store(out, wasm_v128_or(rgbx, wasm_u32x4_splat(0xFF000000u)));
    }
#endif
    for (; i < count; ++i, out += 4) {
        const uint32_t p = pixels[i];  // X8R8G8B8
        out[0] = static_cast<uint8_t>(p >> 16);
        out[1] = static_cast<uint8_t>(p >> 8);
        out[2] = static_cast<uint8_t>(p);
        out[3] = 255;
    }
    g_frame.width = width;
    g_frame.height = height;
    EM_ASM({
        const canvas = document.getElementById('show');
        if (canvas.width !== $1 || canvas.height !== $2) {
            canvas.width = $1;
            canvas.height = $2;
        }
        const bytes = new Uint8ClampedArray(HEAPU8.buffer, $0, $1 * $2 * 4);
        canvas.getContext('2d').putImageData(new ImageData(bytes, $1, $2), 0, 0);
    }, g_frame.rgba.data(), width, height);
}

bool Window::PollEvent(WindowEvent& event) {
    const int key = EM_ASM_INT({ return Module.cmKeys && Module.cmKeys.length ? Module.cmKeys.shift() : 0; });
    if (key == 0) return false;
    event.kind = WindowEvent::KeyDown;
    event.virtualKey = static_cast<uint32_t>(key);
    return true;
}

void Window::SetFullScreen(bool on) {
    // Outside a user gesture the browser refuses; the page's own controls ask again.
    EM_ASM({ if (($0 !== 0) !== Module.cmIsFullScreen()) Module.cmToggleFullScreen(); }, on ? 1 : 0);
}

bool Window::IsFullScreen() const { return EM_ASM_INT({ return Module.cmIsFullScreen() ? 1 : 0; }) != 0; }

void Window::GetClientSize(int& width, int& height) const {
    width = EM_ASM_INT({ return document.getElementById('show').clientWidth; });
    height = EM_ASM_INT({ return document.getElementById('show').clientHeight; });
}

// The page draws the picture at the size it opened with (one thread in a page); the canvas
// scales it smoothly to the page.
void Window::GetDrawableSize(int& width, int& height) const {
    width = impl_->width;
    height = impl_->height;
}

void Window::GetPosition(int& x, int& y) const { x = y = 0; }
bool Window::IsCursorShown() const { return true; }
uint32_t VirtualKeyFromSdlKey(int32_t) { return 0; }

}  // namespace cm

// The last frame shown, RGBA, for the page's deterministic mode and its tests.
extern "C" EMSCRIPTEN_KEEPALIVE const uint8_t* cm_web_frame_pixels() { return cm::g_frame.rgba.data(); }
extern "C" EMSCRIPTEN_KEEPALIVE int cm_web_frame_width() { return cm::g_frame.width; }
extern "C" EMSCRIPTEN_KEEPALIVE int cm_web_frame_height() { return cm::g_frame.height; }
