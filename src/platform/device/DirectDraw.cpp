#include "platform/device/DirectDraw.h"

#include <new>

namespace cm {

DirectDraw* DirectDraw::Create(int width, int height) {
    if (width < 1 || height < 1 || width > 8192 || height > 8192) return nullptr;
    return new (std::nothrow) DirectDraw(width, height);
}

}  // namespace cm
