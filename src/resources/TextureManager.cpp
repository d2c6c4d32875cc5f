#include "resources/TextureManager.h"

#include "display/Registry.h"
#include "platform/d3dx/D3DX.h"
#include "resources/DataFile.h"
#include "resources/DecodedImage.h"
#include "resources/DosPath.h"
#include "resources/JpegDecoder.h"
#include "resources/TgaDecoder.h"

#include <algorithm>
#include <cstdio>

namespace cm {

Texture* TextureManager::Load(const char* name) {
    if (name == nullptr) return nullptr;
    const std::string extension = SplitDosPath(name).extension;
    if (CompareNoCase(extension, ".jpg") == 0) return LoadImage(name, true);
    if (CompareNoCase(extension, ".tga") == 0) return LoadImage(name, false);
    return nullptr;
}

Texture* TextureManager::LoadImage(const char* name, bool jpeg) {
    if (Texture* known = Find(name)) return known;
    const std::vector<uint8_t> data = DataFile::Load(name);
    if (data.empty()) return nullptr;

    DecodedImage image;
    std::string error;
    const bool decoded = jpeg ? DecodeJpeg(data, image, error) : DecodeTga(data, image, error);
    if (!decoded) {
        if (jpeg) std::fprintf(stderr, "%s: %s\n", name, error.c_str());
        return nullptr;
    }
    Texture* texture = CreateFromImage(image);
    if (!Add(name, texture)) {
        delete texture;
        return nullptr;
    }
    return texture;
}

// The pixel array handed to the upload has the texture's size, which the utility layer may have
// chosen differently from the image's: image rows are copied at the texture's row length,
// clipped to the smaller of the two, and any remainder stays black.
Texture* TextureManager::CreateFromImage(const DecodedImage& image) {
    auto* texture = new Texture;
    texture->Create(static_cast<uint32_t>(image.width), static_cast<uint32_t>(image.height));
    const size_t textureWidth = texture->GetWidth();
    const size_t textureHeight = texture->GetHeight();
    std::vector<uint32_t> pixels(textureWidth * textureHeight, 0xFF000000u);
    const size_t rowLength = std::min(textureWidth, static_cast<size_t>(image.width));
    const size_t rows = std::min(textureHeight, static_cast<size_t>(image.height));
    for (size_t y = 0; y < rows; ++y) {
        const uint32_t* from = image.pixels.data() + y * static_cast<size_t>(image.width);
        std::copy(from, from + rowLength, pixels.begin() + static_cast<std::ptrdiff_t>(y * textureWidth));
    }
    // Without a surface there is nothing to fill: the upload is skipped, as its result would be.
    if (!pixels.empty()) Upload(texture, pixels.data());
    return texture;
}

bool TextureManager::Upload(Texture* texture, const uint32_t* pixels) {
    if (texture == nullptr || pixels == nullptr) return false;
    // The result is not looked at: a texture without a surface simply stays unfilled.
    D3DXLoadTextureFromMemory(GetDevice(), texture->GetSurface(), 0, pixels, nullptr, D3DX_SF_X8R8G8B8, D3DX_DEFAULT,
                              nullptr, D3DX_FT_LINEAR);
    return true;
}

Texture* TextureManager::Find(const char* name) const {
    if (name == nullptr) return nullptr;
    for (const Entry& entry : entries) {
        if (CompareNoCase(entry.name, name) == 0) return entry.texture.get();
    }
    return nullptr;
}

bool TextureManager::Add(const char* name, Texture* texture) {
    if (name == nullptr || texture == nullptr) return false;
    // Two entries owning one texture would destroy it twice at shutdown.
    for (const Entry& entry : entries) {
        if (entry.texture.get() == texture) return false;
    }
    entries.push_back(Entry{name, std::unique_ptr<Texture>(texture)});
    return true;
}

}  // namespace cm
