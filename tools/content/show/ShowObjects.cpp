// The show's objects. Sizes follow what each part shows: the intro and rotoball shells live within
// arm's reach of their cameras (their fog ends at 1.0 and 0.65..0.95), the room is about 5 units
// across (its fog ends at 5.5), and the blobs are small spheres that the parts wobble.
#include <cmath>

#include "images/Noise.h"
#include "mesh/Shapes.h"
#include "show/Show.h"

namespace cm::content {
namespace {

constexpr float kPi = 3.14159265358979f;

LwoSurfaceDef Glowing(const char* name, uint8_t r, uint8_t g, uint8_t b) {
    LwoSurfaceDef s;
    s.name = name;
    s.red = r;
    s.green = g;
    s.blue = b;
    s.flags = kSurfaceAdditive | kSurfaceDoubleSided;
    return s;
}

LwoSurfaceDef Textured(const char* name, const char* projection, const char* image, uint16_t axis, Vector3 size,
                       uint16_t flags = 0) {
    LwoSurfaceDef s;
    s.name = name;
    s.red = s.green = s.blue = 255;
    s.flags = flags;
    s.textured = true;
    s.colourMap.projection = projection;
    s.colourMap.image = image;
    s.colourMap.axisFlags = axis;
    s.colourMap.size = size;
    return s;
}

// A globe of meridians and parallels, radius 0.34: twelve meridians that stop short of the poles
// (where they would pile up into a bright knot) and seven parallels, the equator brighter.
LwoWriter IntroGlobe() {
    LwoWriter w;
    const uint16_t lines = w.AddSurface(Glowing("IntroMeridians", 110, 225, 255));
    const uint16_t equator = w.AddSurface(Glowing("IntroEquator", 190, 235, 255));
    const float r = 0.34f, width = 0.008f;
    const float polar = 80.0f * kPi / 180.0f;
    for (int m = 0; m < 12; ++m) {
        const float lon = float(m) * kPi / 6.0f;
        const Vector3 e1(0, 1, 0), e2(std::cos(lon), 0, std::sin(lon));
        AddSphereBand(w, r, e2, e1, Vector3(0, 0, 0), -polar, polar, 40, width, lines);
    }
    for (int p = -3; p <= 3; ++p) {
        const float lat = float(p) * 20.0f * kPi / 180.0f;
        AddSphereBand(w, r, Vector3(1, 0, 0), Vector3(0, 0, 1), Vector3(0, std::tan(lat), 0), 0, 2 * kPi, 64,
                      p == 0 ? 1.6f * width : width, p == 0 ? equator : lines);
    }
    return w;
}

// An outer cage of great-circle arcs at radius 0.5, in random planes and lengths.
LwoWriter IntroCage() {
    LwoWriter w;
    const uint16_t arcs = w.AddSurface(Glowing("IntroCage", 90, 140, 175));
    Rng rng(7001);
    for (int i = 0; i < 11; ++i) {
        // A random plane through the centre: two orthonormal vectors from a random normal.
        const float z = rng.Range(-1, 1), phi = rng.Range(0, 2 * kPi), s = std::sqrt(1 - z * z);
        const Vector3 n(s * std::cos(phi), s * std::sin(phi), z);
        Vector3 e1 = std::fabs(n.y) < 0.9f ? Vector3(n.z, 0, -n.x) : Vector3(0, -n.z, n.y);
        e1.Normalize(e1);
        Vector3 e2;
        e2.Cross(n, e1);
        const float start = rng.Range(0, 2 * kPi), span = rng.Range(1.6f, 3.6f);
        AddSphereBand(w, 0.5f, e1, e2, Vector3(0, 0, 0), start, start + span, 48, 0.009f, arcs);
    }
    return w;
}

// A blob: a sphere centred on its own origin, which the deformer pushes in and out along lines
// through that origin. The wobble is a sum of sine waves over the rest coordinates whose shortest
// wavelength is about 2 pi * 0.0626 = 0.39 units, whatever the size of the mesh; on a sphere much
// wider than that the waves pile up into ridges and creases. A radius near 0.3 keeps the
// surface to about one wave across: a soft, rounded swell.
LwoWriter Blob(const char* surface, const char* image, float radius) {
    LwoWriter w;
    // The parts replace these coordinates by environment mapping; the projection only has to be
    // valid for other LightWave readers.
    const float size = 2 * radius;
    const uint16_t s =
        w.AddSurface(Textured(surface, "Spherical Image Map", image, kAxisY, Vector3(size, size, size)));
    AddIcosphere(w, Vector3(0, 0, 0), radius, 4, s);  // 5120 triangles
    return w;
}

// The hall: 5.2 x 2.8 x 5.2 units, seen from inside. Floor tiles come from the one TGA texture of
// the show; every planar map repeats the image every 1.3 units across and once per wall height.
constexpr float kHalf = 2.6f, kHeight = 2.8f, kCell = 0.4f;

LwoWriter RoomHall() {
    LwoWriter w;
    const uint16_t floor = w.AddSurface(Textured("HallFloor", "Planar Image Map", "data\\roomFloor.tga", kAxisY,
                                                 Vector3(1.3f, 1, 1.3f)));
    const uint16_t wallX = w.AddSurface(Textured("HallWallX", "Planar Image Map", "data\\roomWall.jpg", kAxisX,
                                                 Vector3(1, kHeight, 1.3f)));
    const uint16_t wallZ = w.AddSurface(Textured("HallWallZ", "Planar Image Map", "data\\roomWall.jpg", kAxisZ,
                                                 Vector3(1.3f, kHeight, 1)));
    const uint16_t ceiling = w.AddSurface(Textured("HallCeiling", "Planar Image Map", "data\\roomCeiling.jpg",
                                                   kAxisY, Vector3(2 * kHalf, 1, 2 * kHalf)));
    const Vector3 lo(-kHalf, 0, -kHalf), hi(kHalf, kHeight, kHalf);
    AddBox(w, lo, hi, kCell, true, 1 | 2, wallX);
    AddBox(w, lo, hi, kCell, true, 16 | 32, wallZ);
    AddBox(w, lo, hi, kCell, true, 4, floor);
    AddBox(w, lo, hi, kCell, true, 8, ceiling);
    return w;
}

// Six square pillars along the two sides of the hall, floor to ceiling.
LwoWriter RoomPillars() {
    LwoWriter w;
    const uint16_t x = w.AddSurface(Textured("PillarX", "Planar Image Map", "data\\roomPillar.jpg", kAxisX,
                                             Vector3(1, kHeight, 0.3f)));
    const uint16_t z = w.AddSurface(Textured("PillarZ", "Planar Image Map", "data\\roomPillar.jpg", kAxisZ,
                                             Vector3(0.3f, kHeight, 1)));
    for (float px : {-1.7f, 1.7f})
        for (float pz : {-1.7f, 0.0f, 1.7f}) {
            const Vector3 lo(px - 0.15f, 0, pz - 0.15f), hi(px + 0.15f, kHeight, pz + 0.15f);
            AddBox(w, lo, hi, kCell, false, 1 | 2, x);
            AddBox(w, lo, hi, kCell, false, 16 | 32, z);
        }
    return w;
}

// The pedestal in the middle of the hall, 0.88 high; the spark fountain rises from its top.
LwoWriter RoomPedestal() {
    LwoWriter w;
    const uint16_t sideX = w.AddSurface(Textured("PedestalSideX", "Planar Image Map", "data\\roomFloor.tga",
                                                 kAxisX, Vector3(1, 0.8f, 0.6f)));
    const uint16_t sideZ = w.AddSurface(Textured("PedestalSideZ", "Planar Image Map", "data\\roomFloor.tga",
                                                 kAxisZ, Vector3(0.6f, 0.8f, 1)));
    const uint16_t top = w.AddSurface(Textured("PedestalTop", "Planar Image Map", "data\\roomFloor.tga", kAxisY,
                                               Vector3(0.6f, 1, 0.6f)));
    const Vector3 baseLo(-0.25f, 0, -0.25f), baseHi(0.25f, 0.8f, 0.25f);
    const Vector3 capLo(-0.32f, 0.8f, -0.32f), capHi(0.32f, 0.88f, 0.32f);
    AddBox(w, baseLo, baseHi, 0.25f, false, 1 | 2, sideX);
    AddBox(w, baseLo, baseHi, 0.25f, false, 16 | 32, sideZ);
    AddBox(w, capLo, capHi, 0.32f, false, 1 | 2, sideX);
    AddBox(w, capLo, capHi, 0.32f, false, 16 | 32, sideZ);
    AddBox(w, capLo, capHi, 0.32f, false, 4 | 8, top);
    return w;
}

// An orrery that hangs under the dome on the second visit: two engraved rings crossed at right
// angles, opaque, so they stand dark against the white mist. Centred on its own origin; the scene
// hangs it and turns it.
void AddRingIn(LwoWriter& w, const Vector3& e1, const Vector3& e2, float inner, float outer, int segments,
               uint16_t surface) {
    const uint32_t base = uint32_t(w.Points().size());
    for (int i = 0; i < segments; ++i) {
        const float a = 2 * kPi * float(i) / float(segments), c = std::cos(a), s = std::sin(a);
        const Vector3 dir(e1.x * c + e2.x * s, e1.y * c + e2.y * s, e1.z * c + e2.z * s);
        w.AddPoint(Vector3(dir.x * inner, dir.y * inner, dir.z * inner));
        w.AddPoint(Vector3(dir.x * outer, dir.y * outer, dir.z * outer));
    }
    Vector3 normal;
    normal.Cross(e1, e2);
    for (int i = 0; i < segments; ++i) {
        const uint32_t a = base + uint32_t(2 * i), b = base + uint32_t(2 * ((i + 1) % segments));
        AddTriangleFacing(w, a, a + 1, b + 1, normal, surface);
        AddTriangleFacing(w, a, b + 1, b, normal, surface);
    }
}

LwoWriter RoomOrrery() {
    LwoWriter w;
    constexpr float kOuter = 0.62f;
    const Vector3 size(2 * kOuter, 2 * kOuter, 2 * kOuter);
    const uint16_t flat = w.AddSurface(
        Textured("OrreryEquator", "Planar Image Map", "data\\rotoRing.jpg", kAxisY, size, kSurfaceDoubleSided));
    const uint16_t upright = w.AddSurface(
        Textured("OrreryMeridian", "Planar Image Map", "data\\rotoRing.jpg", kAxisX, size, kSurfaceDoubleSided));
    AddRingIn(w, Vector3(1, 0, 0), Vector3(0, 0, 1), 0.75f * kOuter, kOuter, 96, flat);
    AddRingIn(w, Vector3(0, 1, 0), Vector3(0, 0, 1), 0.72f * kOuter * 0.9f, 0.9f * kOuter, 96, upright);
    return w;
}

// Eight posts of glowing ice in a ring around the pedestal, lit on the third visit: the light of
// that visit, standing out of the grey mist. 0.1 wide, 0.6 high, on the floor.
LwoWriter RoomLamps() {
    LwoWriter w;
    // The image runs once up each post: its map is centred half way up.
    LwoSurfaceDef sideX = Textured("LampX", "Planar Image Map", "data\\roomLamp.jpg", kAxisX, Vector3(1, 0.6f, 0.1f));
    LwoSurfaceDef sideZ = Textured("LampZ", "Planar Image Map", "data\\roomLamp.jpg", kAxisZ, Vector3(0.1f, 0.6f, 1));
    sideX.colourMap.centre = sideZ.colourMap.centre = Vector3(0, 0.3f, 0);
    const uint16_t x = w.AddSurface(sideX), z = w.AddSurface(sideZ);
    for (int i = 0; i < 8; ++i) {
        const float a = float(i) * kPi / 4 + kPi / 8, px = 0.8f * std::cos(a), pz = 0.8f * std::sin(a);
        const Vector3 lo(px - 0.05f, 0, pz - 0.05f), hi(px + 0.05f, 0.6f, pz + 0.05f);
        AddBox(w, lo, hi, 0.2f, false, 1 | 2 | 8, x);
        AddBox(w, lo, hi, 0.2f, false, 16 | 32, z);
    }
    return w;
}

// Rings engraved like an astrolabe: the texture is a disc whose outer band carries the scales,
// mapped flat so that the disc's edge meets the ring's outer edge.
LwoWriter Ring(const char* surface, float outer) {
    LwoWriter w;
    const uint16_t s = w.AddSurface(Textured(surface, "Planar Image Map", "data\\rotoRing.jpg", kAxisZ,
                                             Vector3(2 * outer, 2 * outer, 1), kSurfaceAdditive | kSurfaceDoubleSided));
    AddAnnulus(w, 0.75f * outer, outer, 96, s);
    return w;
}

}  // namespace

void BuildObjects(ShowData& show) {
    show.objects["data\\introGlobe.lwo"] = IntroGlobe();
    show.objects["data\\introCage.lwo"] = IntroCage();
    show.objects["data\\roomHall.lwo"] = RoomHall();
    show.objects["data\\roomPillars.lwo"] = RoomPillars();
    show.objects["data\\roomPedestal.lwo"] = RoomPedestal();
    show.objects["data\\roomOrrery.lwo"] = RoomOrrery();
    show.objects["data\\roomLamps.lwo"] = RoomLamps();
    show.objects["data\\distortBlob.lwo"] = Blob("DistortChrome", "data\\distortEnv.jpg", 0.4f);
    show.objects["data\\glassBlob.lwo"] = Blob("GlassIce", "data\\glassEnv.jpg", 0.36f);
    show.objects["data\\rotoBlob.lwo"] = Blob("RotoChrome", "data\\rotoEnv.jpg", 0.4f);
    show.objects["data\\rotoRingInner.lwo"] = Ring("RingInner", 0.3f);
    show.objects["data\\rotoRingOuter.lwo"] = Ring("RingOuter", 0.46f);
}

}  // namespace cm::content
