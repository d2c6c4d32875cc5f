#include "ContactSheet.h"

#include "FrameScaler.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace cm::record {

namespace {
// Draws white text with its baseline at (x, y), blending FreeType's coverage over the pixels.
void DrawText(FT_Face face, Image& image, int x, int y, const std::string& text) {
    for (unsigned char ch : text) {
        if (FT_Load_Char(face, ch, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot g = face->glyph;
        for (unsigned row = 0; row < g->bitmap.rows; ++row) {
            for (unsigned col = 0; col < g->bitmap.width; ++col) {
                const int px = x + g->bitmap_left + int(col), py = y - g->bitmap_top + int(row);
                if (px < 0 || py < 0 || px >= image.width || py >= image.height) continue;
                const uint32_t a = g->bitmap.buffer[row * unsigned(g->bitmap.pitch) + col];
                uint32_t& p = image.pixels[size_t(py) * image.width + px];
                uint32_t out = 0xFF000000u;
                for (int s = 0; s < 24; s += 8) {
                    const uint32_t c = (p >> s) & 0xFF;
                    out |= ((c * (255 - a) + 255 * a + 127) / 255) << s;
                }
                p = out;
            }
        }
        x += int(g->advance.x >> 6);
    }
}
}  // namespace

void ContactSheet::Settle() {
    if (current_ < 0 || pending_.empty()) return;
    // The middle of the part: halfway between its first and last sampled times.
    const double mid = (pending_.front().seconds + pending_.back().seconds) / 2;
    size_t best = 0;
    for (size_t i = 1; i < pending_.size(); ++i) {
        if (std::abs(pending_[i].seconds - mid) < std::abs(pending_[best].seconds - mid)) best = i;
    }
    chosen_[current_] = std::move(pending_[best]);
    have_[current_] = true;
    pending_.clear();
}

void ContactSheet::Add(int part, double seconds, const Image& frame) {
    if (part < 0 || part >= kParts) return;
    if (part != current_) {
        Settle();
        current_ = part;
    } else if (!pending_.empty() && seconds < pending_.back().seconds + kSampleStep) {
        return;
    }
    Sample s{seconds, {}};
    if (frame.width > 0) ScaleToFit(frame, kTileWidth, kTileHeight, s.tile);
    pending_.push_back(std::move(s));
}

double ContactSheet::ChosenSeconds(int part) {
    Settle();
    return part >= 0 && part < kParts && have_[part] ? chosen_[part].seconds : -1.0;
}

bool ContactSheet::Write(const std::string& path, const std::string& fontPath, std::string& error) {
    Settle();
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, fontPath.c_str(), 0, &face) != 0) {
        if (library != nullptr) FT_Done_FreeType(library);
        error = "cannot load the label font " + fontPath + " (package fonts-dejavu-core)";
        return false;
    }
    FT_Set_Pixel_Sizes(face, 0, 16);
    const int cellH = kTileHeight + kLabelHeight;
    Image sheet;
    sheet.width = 3 * kTileWidth;
    sheet.height = 3 * cellH;
    sheet.pixels.assign(size_t(sheet.width) * sheet.height, 0xFF181818u);
    for (int part = 0; part < kParts; ++part) {
        const int x0 = (part % 3) * kTileWidth, y0 = (part / 3) * cellH;
        if (have_[part]) {
            const Image& tile = chosen_[part].tile;
            for (int y = 0; y < kTileHeight; ++y) {
                std::copy_n(tile.pixels.data() + size_t(y) * kTileWidth, kTileWidth,
                            sheet.pixels.data() + size_t(y0 + y) * sheet.width + x0);
            }
        } else {
            for (int y = 0; y < kTileHeight; ++y) {
                std::fill_n(sheet.pixels.data() + size_t(y0 + y) * sheet.width + x0, kTileWidth, 0xFF000000u);
            }
        }
        char label[96];
        if (have_[part]) std::snprintf(label, sizeof label, "%d  %s   %.2f s", part + 1, kPartNames[part], chosen_[part].seconds);
        else std::snprintf(label, sizeof label, "%d  %s   (not recorded)", part + 1, kPartNames[part]);
        DrawText(face, sheet, x0 + 8, y0 + kTileHeight + 20, label);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (!WritePng(path, sheet)) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace cm::record
