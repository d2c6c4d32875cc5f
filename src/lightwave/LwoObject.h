// What the object reader collects from an LWOB file before it builds the Mesh. These records live
// for one load only. Colours are the file's 0..255 byte values held as floats.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "math/Vector3.h"

namespace cm {

// Names read from the file are cut to this many characters (a 512-byte buffer with its NUL).
inline constexpr std::size_t kLwoMaxName = 511;

struct LwoTexture {
    std::optional<std::string> imageName;  // none until TIMG or RIMG
    std::string projectionName;            // e.g. "Planar Image Map"
    std::uint16_t flags = 0;               // TFLG; bits 0x1, 0x2, 0x4 choose the axis
    Vector3 size{1.0f, 1.0f, 1.0f};
    Vector3 centre{0.0f, 0.0f, 0.0f};
};

struct LwoSurface {
    std::string name;
    std::uint16_t flags = 0;  // FLAG; 0x100 double sided, 0x200 additive
    // Red, green, blue as 0..255 values; all start at 1.0, so a surface without COLR is almost
    // black once divided by 255.
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
    float alpha = 1.0f;
    std::unique_ptr<LwoTexture> colourTexture;
    std::unique_ptr<LwoTexture> reflectionTexture;
};

struct LwoPolygon {
    std::vector<std::int32_t> indices;  // 0-based into the points, in file order
    std::int32_t surface = 0;           // 1-based into the surfaces
};

struct LwoObject {
    std::string name;  // the object file name as passed to the reader
    std::vector<Vector3> points;
    std::vector<LwoPolygon> polygons;
    std::vector<LwoSurface> surfaces;  // in SRFS order
};

}  // namespace cm
