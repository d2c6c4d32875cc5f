#include "platform/window/Window.h"

#include <algorithm>

namespace cm {

PictureRect FitPicture(int width, int height) {
    PictureRect r;
    // Height a multiple of 3 and width 4/3 of it: exactly 4:3, as large as fits.
    r.height = std::max(3, std::min(height, width * 3 / 4) / 3 * 3);
    r.width = r.height / 3 * 4;
    r.x = (width - r.width) / 2;
    r.y = (height - r.height) / 2;
    return r;
}

}  // namespace cm
