#include "platform/window/Window.h"

#include <SDL.h>

namespace cm {

uint32_t VirtualKeyFromSdlKey(int32_t key) {
    // Letters and digits: SDL uses the lower-case character, the virtual keys the upper-case one.
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70u + static_cast<uint32_t>(key - SDLK_F1);
    switch (key) {
        case SDLK_ESCAPE: return 27;
        case SDLK_RETURN: case SDLK_KP_ENTER: return 13;
        case SDLK_SPACE: return 32;
        case SDLK_BACKSPACE: return 8;
        case SDLK_TAB: return 9;
        case SDLK_PAGEUP: return 33;
        case SDLK_PAGEDOWN: return 34;
        case SDLK_END: return 35;
        case SDLK_HOME: return 36;
        case SDLK_LEFT: return 37;
        case SDLK_UP: return 38;
        case SDLK_RIGHT: return 39;
        case SDLK_DOWN: return 40;
        case SDLK_INSERT: return 45;
        case SDLK_DELETE: return 46;
        case SDLK_LSHIFT: case SDLK_RSHIFT: return 16;
        case SDLK_LCTRL: case SDLK_RCTRL: return 17;
        case SDLK_PAUSE: return 19;
        default: return 0;
    }
}

}  // namespace cm
