// The window of a build without SDL: it never opens.
#include "platform/window/Window.h"

namespace cm {

struct Window::Impl {};

std::unique_ptr<Window> Window::Open(const WindowOptions&) { return nullptr; }
std::string Window::OpenError() { return "this build has no window support (SDL2 was not found)"; }
Window::Window(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Window::~Window() = default;
void Window::ShowFrame(const uint32_t*, int, int, bool) {}
bool Window::PollEvent(WindowEvent&) { return false; }
void Window::SetFullScreen(bool) {}
bool Window::IsFullScreen() const { return false; }
void Window::GetClientSize(int& width, int& height) const { width = height = 0; }
void Window::GetDrawableSize(int& width, int& height) const { width = height = 0; }
void Window::GetPosition(int& x, int& y) const { x = y = 0; }
bool Window::IsCursorShown() const { return true; }
uint32_t VirtualKeyFromSdlKey(int32_t) { return 0; }

}  // namespace cm
