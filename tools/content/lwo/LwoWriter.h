// Writes LightWave 5 object files (IFF FORM "LWOB"): points, triangles and surfaces, nothing else.
//
// Owns: the byte layout of the chunks and sub-chunks the show's object reader walks (PNTS, SRFS,
// POLS, SURF with COLR, FLAG, CTEX, TIMG, TFLG, TSIZ, TCTR). Units are the scene's (LightWave
// metres); colours are 0..255 bytes. All numbers big-endian, names NUL-terminated and padded to an
// even length, every chunk even-sized so no IFF pad byte is ever needed.
// Error policy: misuse (an index past the points, a surface number out of range, more than 65535
// points) is a programming error of the generator and throws std::logic_error at Serialize.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "math/Vector3.h"

namespace cm::content {

// Surface flag bits the show's reader maps onto its materials.
constexpr uint16_t kSurfaceDoubleSided = 0x100;
constexpr uint16_t kSurfaceAdditive = 0x200;

// Texture axis bits of TFLG.
constexpr uint16_t kAxisX = 0x1;
constexpr uint16_t kAxisY = 0x2;
constexpr uint16_t kAxisZ = 0x4;

struct LwoImageMap {
    std::string projection = "Planar Image Map";  // e.g. "Planar Image Map", "Spherical Image Map"
    std::string image;                            // DOS-style name as the texture store loads it
    uint16_t axisFlags = kAxisZ;
    Vector3 size{1, 1, 1};
    Vector3 centre{0, 0, 0};
};

struct LwoSurfaceDef {
    std::string name;
    uint8_t red = 200, green = 200, blue = 200;
    uint16_t flags = 0;
    bool textured = false;
    LwoImageMap colourMap;  // written as CTEX + TIMG/TFLG/TSIZ/TCTR when textured
};

struct LwoTriangle {
    uint32_t a, b, c;
    uint16_t surface;  // 1-based, in the order surfaces were added
};

class LwoWriter {
public:
    uint32_t AddPoint(const Vector3& p);
    // Returns the 1-based surface number that triangles refer to.
    uint16_t AddSurface(const LwoSurfaceDef& surface);
    // Corners in LightWave order: clockwise when seen from the front side.
    void AddTriangle(uint32_t a, uint32_t b, uint32_t c, uint16_t surface);

    const std::vector<Vector3>& Points() const { return points_; }
    const std::vector<LwoTriangle>& Triangles() const { return triangles_; }
    const std::vector<LwoSurfaceDef>& Surfaces() const { return surfaces_; }

    std::vector<uint8_t> Serialize() const;

private:
    std::vector<Vector3> points_;
    std::vector<LwoTriangle> triangles_;
    std::vector<LwoSurfaceDef> surfaces_;
};

}  // namespace cm::content
