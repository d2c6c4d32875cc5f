// Text through FreeType with the DejaVu fonts, rendered into a coverage mask (0..1 per pixel).
// Glyph size is given in pixels, with separate horizontal and vertical sizes so text can be
// pre-squeezed for images the show stretches non-uniformly. No kerning, ASCII only.
// Error policy: a font that cannot be loaded throws std::runtime_error.
#pragma once

#include <string>

#include "images/Image.h"

namespace cm::content {

class TextRenderer {
public:
    explicit TextRenderer(const std::string& fontPath);
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    void SetSize(int pixelWidth, int pixelHeight);
    // Advance width of the text in pixels at the current size.
    int Measure(const std::string& text);
    // Adds colour * coverage with the text's baseline starting at (x, baseline).
    void Draw(Image& into, const std::string& text, int x, int baseline, Rgb colour);
    // Draws centred on the image's width.
    void DrawCentred(Image& into, const std::string& text, int baseline, Rgb colour);

private:
    struct Impl;
    Impl* impl_;
};

// Where the DejaVu fonts live on the build machine.
std::string DejaVuFont(const char* file);

}  // namespace cm::content
