// The texture manager: loads each image of the show once by name and owns every Texture until
// it is destroyed at shutdown. Names ending in ".jpg" go to the JPEG decoder, ".tga" to the TGA
// decoder (case ignored); a name is looked up exactly as given (case ignored, directory
// included), so the same file under another directory name is loaded again.
//
// Errors: an unknown extension, a missing or empty file or an image the decoder refuses gives
// null and registers nothing; for a refused JPEG the decoder's message goes to standard error.
// If the device cannot create a texture that large, the texture is still registered, with no
// surface, as the original did. Main thread only.
#pragma once

#include "display/RenderObject.h"
#include "resources/Texture.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cm {

struct DecodedImage;

class TextureManager : public RenderObject {
public:
    TextureManager() = default;
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    // The texture registered under name, loading and registering it first if needed; null on
    // any failure. Every call with a registered name returns the same Texture.
    Texture* Load(const char* name);
    // The texture of the first entry whose name equals name, case ignored; null if none.
    Texture* Find(const char* name) const;
    // Registers texture under a copy of name and takes ownership of it. False (and ownership
    // stays with the caller) for a null argument or a texture already registered.
    bool Add(const char* name, Texture* texture);
    // Fills the texture's surface from pixels: texture width x height words, rows top to
    // bottom, 0xAARRGGBB. False only for a null texture or pixel array.
    bool Upload(Texture* texture, const uint32_t* pixels);

    int32_t GetCount() const { return static_cast<int32_t>(entries.size()); }

private:
    Texture* LoadImage(const char* name, bool jpeg);
    Texture* CreateFromImage(const DecodedImage& image);

    struct Entry {
        std::string name;
        std::unique_ptr<Texture> texture;
    };
    std::vector<Entry> entries;  // in load order
};

}  // namespace cm
