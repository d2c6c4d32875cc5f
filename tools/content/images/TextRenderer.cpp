#include "images/TextRenderer.h"

#include <stdexcept>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace cm::content {

struct TextRenderer::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

std::string DejaVuFont(const char* file) { return std::string("/usr/share/fonts/truetype/dejavu/") + file; }

TextRenderer::TextRenderer(const std::string& fontPath) : impl_(new Impl) {
    if (FT_Init_FreeType(&impl_->library) != 0) {
        delete impl_;
        throw std::runtime_error("TextRenderer: FreeType did not initialise");
    }
    if (FT_New_Face(impl_->library, fontPath.c_str(), 0, &impl_->face) != 0) {
        FT_Done_FreeType(impl_->library);
        delete impl_;
        throw std::runtime_error("TextRenderer: cannot load font " + fontPath);
    }
}

TextRenderer::~TextRenderer() {
    FT_Done_Face(impl_->face);
    FT_Done_FreeType(impl_->library);
    delete impl_;
}

void TextRenderer::SetSize(int pixelWidth, int pixelHeight) {
    FT_Set_Pixel_Sizes(impl_->face, FT_UInt(pixelWidth), FT_UInt(pixelHeight));
}

int TextRenderer::Measure(const std::string& text) {
    long pen = 0;
    for (unsigned char ch : text)
        if (FT_Load_Char(impl_->face, ch, FT_LOAD_DEFAULT) == 0) pen += impl_->face->glyph->advance.x;
    return int(pen >> 6);
}

void TextRenderer::Draw(Image& into, const std::string& text, int x, int baseline, Rgb colour) {
    long pen = long(x) << 6;
    for (unsigned char ch : text) {
        if (FT_Load_Char(impl_->face, ch, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot g = impl_->face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        const int left = int(pen >> 6) + g->bitmap_left, top = baseline - g->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row)
            for (unsigned col = 0; col < bm.width; ++col) {
                const unsigned char cover = bm.buffer[long(row) * bm.pitch + long(col)];
                if (cover) into.Add(left + int(col), top + int(row), colour * (float(cover) / 255.0f));
            }
        pen += g->advance.x;
    }
}

void TextRenderer::DrawCentred(Image& into, const std::string& text, int baseline, Rgb colour) {
    Draw(into, text, (into.Width() - Measure(text)) / 2, baseline, colour);
}

}  // namespace cm::content
