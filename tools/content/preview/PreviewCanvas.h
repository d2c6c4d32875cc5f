// A small software rasterizer for previews of the show's content: what the parts will draw, at
// their numbers, before the show's own renderer exists. Not the show's renderer: no exact fill
// rules or filtering, nearest texels, fog per pixel. Good enough to judge framing and the look.
//
// Space: vertices arrive in eye space (x right, y up, z forward, scene units) and are projected
// with near plane 0.08 and a 0.2 x 0.15 view window onto 640 x 480 pixels. Colours 0..1.
#pragma once

#include <vector>

#include "images/Image.h"
#include "math/Vector3.h"

namespace cm::content {

struct PreviewVertex {
    Vector3 eye;
    float u = 0, v = 0;
};

struct PreviewState {
    const Image* texture = nullptr;  // none: the colour alone
    Rgb colour{1, 1, 1};             // modulates the texture
    bool additive = false;
    bool depthTest = false;  // test and write
    bool cull = false;       // drop triangles that reach the screen counter-clockwise
    bool fog = false;
    float fogEnd = 1;  // linear from 0 to fogEnd in eye depth
    Rgb fogColour{};
};

class PreviewCanvas {
public:
    PreviewCanvas();
    void Triangle(const PreviewVertex& a, const PreviewVertex& b, const PreviewVertex& c, const PreviewState& s);
    // A screen-space rectangle in pixels, the texture stretched over it.
    void Quad(float x0, float y0, float x1, float y1, const Image& texture, bool additive);
    void ClearDepth();
    const Image& Pixels() const { return image_; }

private:
    void Raster(const PreviewVertex* v, const PreviewState& s);
    Image image_;
    std::vector<float> depth_;
};

}  // namespace cm::content
