// One texture of the show: a device texture surface and the size and format it was created
// with, plus drawing itself as a screen-aligned rectangle. Textures belong to the
// TextureManager; nobody else destroys them.
#pragma once

#include "display/RenderObject.h"

#include <cstdint>

namespace cm {

class TextureSurface;

class Texture : public RenderObject {
public:
    Texture() = default;
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Creates a surface of width x height texels through the utility layer. On failure returns
    // false and keeps what it had; on success releases any previous surface and stores the new
    // one with the size and format actually created.
    bool Create(uint32_t width, uint32_t height);

    // Draws the texture over the pixel rectangle x0..x1, y0..y1 of the target (left, top, right,
    // bottom; coordinates used as given, no half-pixel shift), bilinear when filtered and added
    // to the target when additive. Leaves the states it sets in place, the depth test off.
    void DrawScreenQuad(float x0, float y0, float x1, float y1, int filtered, int additive);

    TextureSurface* GetSurface() const { return surface; }
    uint32_t GetFormat() const { return format; }
    uint32_t GetWidth() const { return width; }
    uint32_t GetHeight() const { return height; }

private:
    TextureSurface* surface = nullptr;  // owned reference, null until Create succeeds
    uint32_t format = 0;                // utility-layer surface format
    uint32_t width = 0;                 // texels
    uint32_t height = 0;                // texels
};

}  // namespace cm
