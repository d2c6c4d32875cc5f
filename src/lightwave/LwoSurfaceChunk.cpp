// The SURF chunk: a surface name, then sub-chunks with a U16 length that set the surface's colour,
// flags and image-map textures.
#include <cmath>

#include "resources/ByteCursor.h"
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
    SurfaceInProgress surface;
    surface.surface = FindSurface(*name);
    surface.name = *name;
    if (surface.surface == nullptr) return;  // a surface SRFS did not list
    while (in.Remaining(end) > 0) {
        const std::optional<SubChunk> sub = ReadSubChunkHeader(in, end, *name);
        if (!sub) return;
        ReadSurfaceField(in, *sub, surface);
        in.Seek(sub->end);
    }
}

LwoSurface* LwoReader::FindSurface(const std::string& name) {
    for (LwoSurface& s : object_.surfaces) {
        if (CompareNoCase(s.name, name) == 0) return &s;
    }
    return nullptr;
}

std::optional<LwoReader::SubChunk> LwoReader::ReadSubChunkHeader(ByteCursor& in, std::size_t end,
                                                                 const std::string& surface) {
    const std::size_t at = in.Position();
    const std::optional<std::string> id = in.Id(end);
    const std::optional<std::uint16_t> length = in.U16(end);
    if (!id || !length) {
        Note("SURF \"%s\": sub-chunk header cut short at offset 0x%zx", surface.c_str(), at);
        return std::nullopt;
    }
    if (*length > in.Remaining(end)) {
        Note("SURF \"%s\": %s sub-chunk of %u bytes at offset 0x%zx runs past the chunk end", surface.c_str(),
             id->c_str(), *length, at);
        return std::nullopt;
    }
    return SubChunk{*id, in.Position() + *length};
}

void LwoReader::ReadSurfaceField(ByteCursor& in, const SubChunk& sub, SurfaceInProgress& s) {
    if (sub.id == "COLR") {
        const std::optional<std::uint8_t> r = in.U8(sub.end), g = in.U8(sub.end), b = in.U8(sub.end);
        if (r && g && b) {
            s.surface->red = *r;
            s.surface->green = *g;
            s.surface->blue = *b;
            s.surface->alpha = 1.0f;
        }
    } else if (sub.id == "FLAG") {
        if (const std::optional<std::uint16_t> flags = in.U16(sub.end)) s.surface->flags = *flags;
    } else if (IsTextureId(sub.id)) {
        StartTexture(in, sub, s);
    } else if (s.current != nullptr) {
        ReadTextureField(in, sub, s);
    }
}

// A texture sub-chunk starts a texture with its projection name; the fields after it fill it.
void LwoReader::StartTexture(ByteCursor& in, const SubChunk& sub, SurfaceInProgress& s) {
    auto texture = std::make_unique<LwoTexture>();
    if (std::optional<std::string> projection = in.Name(sub.end, kLwoMaxName)) {
        texture->projectionName = std::move(*projection);
    } else {
        Note("SURF \"%s\": %s projection name without terminating NUL", s.name.c_str(), sub.id.c_str());
    }
    s.current = texture.get();
    if (sub.id == "CTEX") {
        s.surface->colourTexture = std::move(texture);
    } else if (sub.id == "RTEX") {
        s.surface->reflectionTexture = std::move(texture);
    } else {
        s.dropped = std::move(texture);
    }
}

void LwoReader::ReadTextureField(ByteCursor& in, const SubChunk& sub, SurfaceInProgress& s) {
    LwoTexture& texture = *s.current;
    if (sub.id == "TIMG" || sub.id == "RIMG") {
        if (std::optional<std::string> image = in.Name(sub.end, kLwoMaxName)) {
            texture.imageName = std::move(*image);
        } else {
            Note("SURF \"%s\": %s image name without terminating NUL", s.name.c_str(), sub.id.c_str());
        }
    } else if (sub.id == "TFLG") {
        if (const std::optional<std::uint16_t> flags = in.U16(sub.end)) texture.flags = *flags;
    } else if (sub.id == "TSIZ") {
        if (const std::optional<Vector3> size = ReadVector(in, sub.end)) texture.size = *size;
    } else if (sub.id == "TCTR") {
        if (const std::optional<Vector3> centre = ReadVector(in, sub.end)) texture.centre = *centre;
    }
}

}  // namespace cm
