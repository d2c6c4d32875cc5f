// The chunk walk of the object reader and the chunks that hold geometry: PNTS, SRFS, POLS.
#include <cmath>

#include "resources/ByteCursor.h"
#include "lightwave/LwoReader.h"

namespace cm {

void LwoReader::WalkChunks(ByteCursor& in) {
    const std::size_t size = in.Size();
    while (in.Position() < size) {
        const std::size_t at = in.Position();
        const std::optional<std::string> id = in.Id(size);
        const std::optional<std::uint32_t> length = in.U32(size);
        if (!id || !length) {
            Note("chunk header cut short at offset 0x%zx", at);
            return;
        }
        const std::size_t start = in.Position();
        // Compared against what is left rather than by adding, so a length near 2^32 cannot wrap
        // the end back into the file.
        if (*length > size - start) {
            Note("%s chunk of %u bytes at offset 0x%zx runs past the end of the file (%zu bytes)", id->c_str(),
                 *length, at, size);
            return;
        }
        const std::size_t end = start + *length;
        if (*id == "PNTS") {
            ReadPoints(in, end);
        } else if (*id == "SRFS") {
            ReadSurfaceNames(in, end);
        } else if (*id == "POLS") {
            ReadPolygons(in, end);
        } else if (*id == "SURF") {
            ReadSurface(in, end);
        }
        in.Seek(end);
    }
}

void LwoReader::ReadPoints(ByteCursor& in, std::size_t end) {
    // Whole points only: a remainder of fewer than 12 bytes is skipped with the chunk.
    const std::size_t count = in.Remaining(end) / 12;
    if (count == 0) return;
    std::vector<Vector3> points(count);
    for (Vector3& p : points) {
        float xyz[3];
        for (float& c : xyz) {
            c = *in.F32(end);
            // A NaN or infinite corner would poison normals and the rasterizer's edge maths.
            if (!std::isfinite(c)) c = 0.0f;
        }
        p = Vector3(xyz[0], xyz[1], xyz[2]);
    }
    object_.points = std::move(points);
}

void LwoReader::ReadSurfaceNames(ByteCursor& in, std::size_t end) {
    while (in.Remaining(end) > 0) {
        const std::size_t at = in.Position();
        std::optional<std::string> name = in.Name(end, kLwoMaxName);
        if (!name) {
            Note("SRFS name at offset 0x%zx has no terminating NUL before the chunk end", at);
            return;
        }
        LwoSurface surface;
        surface.name = std::move(*name);
        object_.surfaces.push_back(std::move(surface));
    }
}

void LwoReader::ReadPolygons(ByteCursor& in, std::size_t end) {
    while (in.Remaining(end) > 0) {
        const std::size_t at = in.Position();
        const std::optional<std::uint16_t> count = in.U16(end);
        // The corners and the surface number must all be inside the chunk.
        if (!count || in.Remaining(end) < 2u * *count + 2u) {
            Note("POLS polygon at offset 0x%zx is cut short by the chunk end", at);
            return;
        }
        LwoPolygon polygon;
        polygon.indices.resize(*count);
        for (std::int32_t& index : polygon.indices) index = *in.U16(end);
        std::int32_t surface = *in.I16(end);
        if (surface < 0) {
            // Detail polygons follow, preceded by their count; they are stored exactly like
            // polygons, so the loop reads them as ordinary ones.
            surface = -surface;
            in.U16(end);
        }
        polygon.surface = surface;
        object_.polygons.push_back(std::move(polygon));
    }
}

}  // namespace cm
