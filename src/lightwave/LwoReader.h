// The LightWave object reader: one IFF "LWOB" file becomes a Mesh whose polygons are triangles
// (the first three corners of each), whose surfaces become Materials shared by name through a
// material library, and whose colour image maps give every textured corner its (u, v).
//
// File layout as read: bytes 8..11 are the form type "LWOB"; chunks follow from offset 12 to the
// end of the file, each an ID, a big-endian U32 length and the data, the next chunk starting right
// after the data (no pad byte). PNTS, SRFS, POLS and SURF are understood; other chunks and SURF
// sub-chunks are skipped by their lengths.
//
// Damage (all noted in GetDamage): a chunk or sub-chunk that overruns its container ends the walk
// of that container, keeping what came before; a name without its NUL is refused, names longer
// than 511 characters are cut there; polygons of fewer than three corners, with a corner at or
// beyond the point count, or with a surface number outside 1..surface count give no face;
// non-finite coordinates read as 0. A negative surface number marks a polygon followed by detail
// polygons: the polygon takes the surface's absolute value, and the details, stored like
// ordinary polygons after their count, become ordinary faces. An object with points but no
// usable polygon loads as a mesh without faces. A corner whose projection gives nothing (an
// unrecognised projection name) or nothing finite (a zero texture size) keeps the face's default
// coordinate: (0, 0), (1, 0), (1, 1) for corners 0, 1, 2, the image once across the triangle.
// An object of more than 4,194,304 points, or of more usable polygons (Mesh::kMaxElements), gives
// no mesh. Without a note: a TSIZ or TCTR sub-chunk with a non-finite component is ignored whole,
// leaving the texture's size or centre as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "lightwave/LwoObject.h"

namespace cm {

class ByteCursor;
class Material;
class Mesh;
class SceneGraph;
class TextureManager;
class TextureMap;

class LwoReader {
public:
    // A new mesh owned by the caller, or null when fileName or textureManager is null, the file
    // cannot be read, its form type is not "LWOB", or the mesh cannot hold it. Materials go to
    // materialLibrary when one is given (shared by surface name with every other object loaded
    // with it), otherwise to the mesh. Images are looked up by the stored name, then beside the
    // object file.
    std::unique_ptr<Mesh> Load(const char* fileName, SceneGraph* materialLibrary, TextureManager* textureManager);

    // The same from bytes already in memory; fileName only names the object and places the
    // fall-back image look-up.
    std::unique_ptr<Mesh> LoadBytes(std::span<const std::uint8_t> bytes, const char* fileName,
                                    SceneGraph* materialLibrary, TextureManager* textureManager);

    // What the last load refused or cut, one line each, in file order; the first kMaxNotes.
    const std::vector<std::string>& GetDamage() const { return damage_; }
    static constexpr std::size_t kMaxNotes = 64;

private:
    // LwoChunks.cpp
    void WalkChunks(ByteCursor& in);
    void ReadPoints(ByteCursor& in, std::size_t end);
    void ReadSurfaceNames(ByteCursor& in, std::size_t end);
    void ReadPolygons(ByteCursor& in, std::size_t end);
    // LwoSurfaceChunk.cpp
    struct SubChunk {
        std::string id;
        std::size_t end = 0;  // one past its last byte
    };
    // The surface a SURF chunk fills and the texture its texture fields go to: the latest
    // texture sub-chunk. Diffuse, specular, transparency and bump textures are kept in dropped
    // only so that their fields have somewhere to go.
    struct SurfaceInProgress {
        LwoSurface* surface = nullptr;
        std::string name;
        LwoTexture* current = nullptr;
        std::unique_ptr<LwoTexture> dropped;
    };
    void ReadSurface(ByteCursor& in, std::size_t end);
    LwoSurface* FindSurface(const std::string& name);
    std::optional<SubChunk> ReadSubChunkHeader(ByteCursor& in, std::size_t end, const std::string& surface);
    void ReadSurfaceField(ByteCursor& in, const SubChunk& sub, SurfaceInProgress& s);
    void StartTexture(ByteCursor& in, const SubChunk& sub, SurfaceInProgress& s);
    void ReadTextureField(ByteCursor& in, const SubChunk& sub, SurfaceInProgress& s);
    // LwoMeshBuilder.cpp
    std::unique_ptr<Mesh> BuildMesh();
    bool PolygonUsable(std::size_t index);
    Material* MaterialFor(const LwoSurface& surface, Mesh& mesh);
    std::unique_ptr<Material> BuildMaterial(const LwoSurface& surface);
    std::unique_ptr<TextureMap> BuildTextureMap(const LwoTexture& texture);
    void ProjectFaces(Mesh& mesh);

    void Note(const char* format, ...) __attribute__((format(printf, 2, 3)));

    LwoObject object_;
    SceneGraph* library_ = nullptr;
    // The materials this load can share, by name folded to lower case, the first of each name
    // kept: the same answer as the library's linear FindMaterial, without a scan per surface.
    std::unordered_map<std::string, Material*> materialsByName_;
    TextureManager* textures_ = nullptr;
    std::vector<std::string> damage_;
};

// Projection kind from a surface texture's projection name (case ignored): planar 1, spherical
// 2, "Cubic Image Map" 4, cylindrical 8, any other name 16.
std::int32_t ProjectionKindFromName(const std::string& name);
// Axis from texture flags: 0x1 x, 0x2 y, 0x4 z, the last of these that is set winning; x when
// none is.
std::int32_t AxisFromTextureFlags(std::uint16_t flags);

}  // namespace cm
