#include "platform/device/DirectDraw.h"

#include <new>

namespace cm {

DirectDraw* DirectDraw::Create(int width, int height) {
    if (width < 1 || height < 1 || width > kMaxSize || height > kMaxSize) return nullptr;
    return new (std::nothrow) DirectDraw(width, height);
}

bool DirectDraw::Resize(int width, int height) {
    if (width < 1 || height < 1 || width > kMaxSize || height > kMaxSize) return false;
    if (width != target_.width || height != target_.height) target_ = RenderTarget(width, height);
    return true;
}

}  // namespace cm
