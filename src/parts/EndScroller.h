// Sequence index 8: the credits image, stretched to 640 x 960, rises from below the screen to
// above it at 4 pixels per clock unit under an additive overlay; once its top edge has reached
// -960 the part raises the quit flag and the show ends after presenting that frame.
#pragma once

#include "display/RenderObject.h"
#include "parts/PartResources.h"

namespace cm {

class Texture;

class EndScroller : public RenderObject {
public:
    static constexpr float kStartY = 480.0f;
    static constexpr float kEndY = -960.0f;

    // Loads "data\endBackground.jpg" and "data\scroll.jpg".
    bool Load(const PartResources& resources);
    void Reset() { y = kStartY; }
    // Draws the frame; sets *quitFlag to 1 on the first frame whose new y is at or above -960
    // (y <= -960). quitFlag may be null.
    bool FramePart(float dt, int* quitFlag);

    // One textured, unblended screen rectangle drawn as a four-vertex fan from the shared
    // screen vertex buffer: (x0, y0) takes texture (0, 0), (x1, y1) takes (1, 1).
    void DrawScrollQuad(Texture* texture, float x0, float y0, float x1, float y1, bool filtered);

    // Where the image's top edge is after a frame of dt clock units starting at y, and whether
    // that ends the show: the scroll's arithmetic, shared with the show's length count.
    static float Scrolled(float y, float dt) { return float(double(y) - 4.0 * dt); }
    static bool HasEnded(float y) { return y <= kEndY; }

    float GetY() const { return y; }
    void SetY(float value) { y = value; }

private:
    Texture* scroll = nullptr;
    Texture* overlay = nullptr;
    float y = kStartY;  // screen row of the image's top edge, pixels
};

}  // namespace cm
