// The SURF chunk: a surface name, then sub-chunks with a U16 length that set the surface's colour,
// flags and image-map textures.
#include <cmath>

#include "lightwave/ByteCursor.h"
#include "lightwave/LwoReader.h"
#include "resources/DosPath.h"

namespace cm {

namespace {

std::optional<Vector3> ReadVector(ByteCursor& in, std::size_t end) {
    const std::optional<float> x = in.F32(end);
    const std::optional<float> y = in.F32(end);
    const std::optional<float> z = in.F32(end);
    if (!x || !y || !z || !std::isfinite(*x) || !std::isfinite(*y) || !std::isfinite(*z)) return std::nullopt;
    return Vector3(*x, *y, *z);
}

bool IsTextureId(const std::string& id) {
    return id == "CTEX" || id == "DTEX" || id == "STEX" || id == "RTEX" || id == "TTEX" || id == "BTEX";
}

}  // namespace

void LwoReader::ReadSurface(ByteCursor& in, std::size_t end) {
    const std::size_t at = in.Position();
    const std::optional<std::string> name = in.Name(end, kLwoMaxName);
    if (!name) {
        Note("SURF chunk at offset 0x%zx: name without terminating NUL, chunk skipped", at);
        return;
    }
    LwoSurface* surface = nullptr;
    for (LwoSurface& s : object_.surfaces) {
        if (CompareNoCase(s.name, *name) == 0) {
            surface = &s;
            break;
        }
    }
    if (surface == nullptr) return;  // a surface SRFS did not list

    // The texture that TIMG, TFLG, TSIZ and TCTR fill: the latest texture sub-chunk of this SURF
    // chunk. Diffuse, specular, transparency and bump textures are kept here only so that their
    // parameters have somewhere to go; they are dropped afterwards.
    LwoTexture* current = nullptr;
    std::unique_ptr<LwoTexture> dropped;

    while (in.Remaining(end) > 0) {
        const std::size_t subAt = in.Position();
        const std::optional<std::string> id = in.Id(end);
        const std::optional<std::uint16_t> length = in.U16(end);
        if (!id || !length) {
            Note("SURF \"%s\": sub-chunk header cut short at offset 0x%zx", name->c_str(), subAt);
            return;
        }
        const std::size_t start = in.Position();
        if (*length > in.Remaining(end)) {
            Note("SURF \"%s\": %s sub-chunk of %u bytes at offset 0x%zx runs past the chunk end", name->c_str(),
                 id->c_str(), *length, subAt);
            return;
        }
        const std::size_t subEnd = start + *length;

        if (*id == "COLR") {
            const std::optional<std::uint8_t> r = in.U8(subEnd), g = in.U8(subEnd), b = in.U8(subEnd);
            if (r && g && b) {
                surface->red = *r;
                surface->green = *g;
                surface->blue = *b;
                surface->alpha = 1.0f;
            }
        } else if (*id == "FLAG") {
            if (const std::optional<std::uint16_t> flags = in.U16(subEnd)) surface->flags = *flags;
        } else if (IsTextureId(*id)) {
            auto texture = std::make_unique<LwoTexture>();
            if (std::optional<std::string> projection = in.Name(subEnd, kLwoMaxName)) {
                texture->projectionName = std::move(*projection);
            } else {
                Note("SURF \"%s\": %s projection name without terminating NUL", name->c_str(), id->c_str());
            }
            current = texture.get();
            if (*id == "CTEX") {
                surface->colourTexture = std::move(texture);
            } else if (*id == "RTEX") {
                surface->reflectionTexture = std::move(texture);
            } else {
                dropped = std::move(texture);
            }
        } else if (*id == "TIMG" || *id == "RIMG") {
            if (current != nullptr) {
                if (std::optional<std::string> image = in.Name(subEnd, kLwoMaxName)) {
                    current->imageName = std::move(*image);
                } else {
                    Note("SURF \"%s\": %s image name without terminating NUL", name->c_str(), id->c_str());
                }
            }
        } else if (*id == "TFLG") {
            const std::optional<std::uint16_t> flags = in.U16(subEnd);
            if (current != nullptr && flags) current->flags = *flags;
        } else if (*id == "TSIZ") {
            const std::optional<Vector3> size = ReadVector(in, subEnd);
            if (current != nullptr && size) current->size = *size;
        } else if (*id == "TCTR") {
            const std::optional<Vector3> centre = ReadVector(in, subEnd);
            if (current != nullptr && centre) current->centre = *centre;
        }
        in.Seek(subEnd);
    }
}

}  // namespace cm
