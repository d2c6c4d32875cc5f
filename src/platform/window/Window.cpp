#include "platform/window/Window.h"

#include "platform/window/FramePacer.h"

#include <SDL.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace cm {

struct Window::Impl {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    bool vsync = false;
    bool cursorShown = true;
    bool framed = true;
    int width = 0;   // the windowed client size
    int height = 0;
    FramePacer pacer;

    // The refresh rate of the display mode the window is on; unknown (0) paces at 60 Hz.
    void UpdateRefreshRate() {
        SDL_DisplayMode mode;
        const int display = SDL_GetWindowDisplayIndex(window);
        pacer.SetRefreshRate(display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0);
    }

    std::vector<uint32_t> enlarged;  // a frame scaled by whole pixels, before linear filtering

    // Sends pixels (w x h) to the texture, which is remade when its size changes.
    bool Upload(const uint32_t* pixels, int w, int h);

    ~Impl() {
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        // The last user of SDL shuts it down entirely, which also frees what video start-up
        // allocated behind the subsystem (its D-Bus connection), so leak checkers stay quiet.
        if (SDL_WasInit(0) == 0) SDL_Quit();
    }
};

namespace {
std::string gOpenError;

// Keeps SDL's reason before the partly made window is undone.
std::unique_ptr<Window> Refuse(const char* what) {
    gOpenError = std::string(what) + ": " + SDL_GetError();
    return nullptr;
}
}  // namespace

std::string Window::OpenError() { return gOpenError; }

std::unique_ptr<Window> Window::Open(const WindowOptions& options) {
    if (options.width < 1 || options.height < 1) {
        gOpenError = "a window needs a size";
        return nullptr;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return Refuse("no video driver could start");
    auto impl = std::make_unique<Impl>();  // from here on, its destructor undoes the init

    impl->framed = options.framed;
    impl->width = options.width;
    impl->height = options.height;
    Uint32 windowFlags = SDL_WINDOW_SHOWN;
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED, w = options.width, h = options.height;
    SDL_Rect desktop;
    if (options.fullScreen && SDL_GetDisplayBounds(0, &desktop) == 0) {
        // Created already covering the desktop, so that full screen holds even where no window
        // manager acts on the full-screen request (a bare X server).
        windowFlags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
        x = desktop.x, y = desktop.y, w = desktop.w, h = desktop.h;
    } else if (options.fullScreen) {
        windowFlags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    } else if (!options.framed) {
        windowFlags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_RESIZABLE;
    } else {
        windowFlags |= SDL_WINDOW_RESIZABLE;
    }
    impl->window = SDL_CreateWindow(options.title.c_str(), x, y, w, h, windowFlags);
    if (!impl->window) return Refuse("cannot create a window");
    impl->vsync = options.vsync;
    impl->renderer = SDL_CreateRenderer(impl->window, -1, options.vsync ? SDL_RENDERER_PRESENTVSYNC : 0);
    if (!impl->renderer) impl->renderer = SDL_CreateRenderer(impl->window, -1, SDL_RENDERER_SOFTWARE);
    if (!impl->renderer) return Refuse("cannot draw in the window");
    impl->UpdateRefreshRate();
    impl->cursorShown = options.showCursor;
    SDL_ShowCursor(options.showCursor ? SDL_ENABLE : SDL_DISABLE);
    SDL_RaiseWindow(impl->window);

    SDL_SetRenderDrawColor(impl->renderer, 0, 0, 0, 255);
    SDL_RenderClear(impl->renderer);
    SDL_RenderPresent(impl->renderer);
    return std::unique_ptr<Window>(new Window(std::move(impl)));
}

Window::Window(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Window::~Window() {
    if (impl_ && !impl_->cursorShown) SDL_ShowCursor(SDL_ENABLE);
}

bool Window::Impl::Upload(const uint32_t* pixels, int w, int h) {
    if (!texture || textureWidth != w || textureHeight != h) {
        if (texture) SDL_DestroyTexture(texture);
        // ARGB8888 is a packed 32-bit format with blue in the low byte: the target's layout.
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
        if (!texture) return false;
        // Whatever scaling is left after whole pixels is filtered, never nearest-neighbour.
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
        textureWidth = w;
        textureHeight = h;
    }
    return SDL_UpdateTexture(texture, nullptr, pixels, w * 4) == 0;
}

// Each pixel repeated factor times in each direction.
static void EnlargeByWholePixels(const uint32_t* pixels, int width, int height, int factor,
                                 std::vector<uint32_t>& out) {
    const size_t outWidth = static_cast<size_t>(width) * factor;
    out.resize(outWidth * height * factor);
    for (int y = 0; y < height; ++y) {
        uint32_t* row = out.data() + static_cast<size_t>(y) * factor * outWidth;
        for (int x = 0; x < width; ++x) std::fill_n(row + static_cast<size_t>(x) * factor, factor, pixels[y * width + x]);
        for (int k = 1; k < factor; ++k) std::copy_n(row, outWidth, row + k * outWidth);
    }
}

void Window::ShowFrame(const uint32_t* pixels, int width, int height, bool waitVSync) {
    Impl& w = *impl_;
    if (!pixels || width < 1 || height < 1) return;
    if (waitVSync != w.vsync) {
        SDL_RenderSetVSync(w.renderer, waitVSync ? 1 : 0);
        w.vsync = waitVSync;
    }
    int outWidth = 0, outHeight = 0;
    SDL_GetRendererOutputSize(w.renderer, &outWidth, &outHeight);
    const PictureRect fit = FitPicture(outWidth, outHeight);
    const int factor = std::max(1, std::min(fit.width / width, fit.height / height));
    bool uploaded;
    if (factor > 1) {
        EnlargeByWholePixels(pixels, width, height, factor, w.enlarged);
        uploaded = w.Upload(w.enlarged.data(), width * factor, height * factor);
    } else {
        uploaded = w.Upload(pixels, width, height);
    }
    if (!uploaded) return;
    const SDL_Rect target{fit.x, fit.y, fit.width, fit.height};
    SDL_RenderClear(w.renderer);
    SDL_RenderCopy(w.renderer, w.texture, nullptr, &target);
    // Where the present does not wait for the refresh by itself, the pacer waits instead.
    if (waitVSync) std::this_thread::sleep_for(w.pacer.WaitBefore(FramePacer::Clock::now()));
    SDL_RenderPresent(w.renderer);
    if (waitVSync) w.pacer.Presented(FramePacer::Clock::now());
}

bool Window::PollEvent(WindowEvent& event) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (e.type == SDL_QUIT ||
            (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)) {
            event.kind = WindowEvent::Close;
            event.virtualKey = 0;
            return true;
        }
        if (e.type != SDL_KEYDOWN) continue;
        if (e.key.keysym.mod & KMOD_ALT) {
            // Alt combinations are system keys: they never reach the show as key presses.
            if (e.key.keysym.sym == SDLK_RETURN && !e.key.repeat) SetFullScreen(!IsFullScreen());
            continue;
        }
        event.kind = WindowEvent::KeyDown;
        event.virtualKey = VirtualKeyFromSdlKey(e.key.keysym.sym);
        return true;
    }
    return false;
}

void Window::SetFullScreen(bool on) {
    Impl& w = *impl_;
    if (on) {
        SDL_Rect desktop;
        if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(w.window), &desktop) == 0) {
            SDL_SetWindowBordered(w.window, SDL_FALSE);
            SDL_SetWindowPosition(w.window, desktop.x, desktop.y);
            SDL_SetWindowSize(w.window, desktop.w, desktop.h);
        }
        SDL_SetWindowFullscreen(w.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        w.UpdateRefreshRate();
    } else {
        SDL_SetWindowFullscreen(w.window, 0);
        SDL_SetWindowBordered(w.window, w.framed ? SDL_TRUE : SDL_FALSE);
        SDL_SetWindowSize(w.window, w.width, w.height);
        SDL_SetWindowPosition(w.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
}

bool Window::IsFullScreen() const {
    return (SDL_GetWindowFlags(impl_->window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
}

void Window::GetClientSize(int& width, int& height) const { SDL_GetWindowSize(impl_->window, &width, &height); }

void Window::GetDrawableSize(int& width, int& height) const {
    SDL_GetRendererOutputSize(impl_->renderer, &width, &height);
}

void Window::GetPosition(int& x, int& y) const { SDL_GetWindowPosition(impl_->window, &x, &y); }

bool Window::IsCursorShown() const { return impl_->cursorShown; }

}  // namespace cm
