// A material is a scene node (kind Material) that selects culling, blending, texturing and the
// source of texture coordinates through its flags, and carries the device material block.
// Colours are 0..1 floats.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "math/Color4.h"
#include "platform/device/D3DTypes.h"
#include "scene/SceneNode.h"
#include "scene/TextureMap.h"

namespace cm {

enum MaterialFlags : int32_t {
    kMaterialTextured = 0x8,        // Apply binds textureMap's texture to stage 0
    kMaterialSecondMap = 0x10,      // secondMap is present; drawing ignores it
    kMaterialAdditive = 0x80,       // Apply blends ONE/ONE, else blending off
    kMaterialTwoSided = 0x200,      // Apply turns culling off, else culls counter-clockwise
    kMaterialVertexUV = 0x400,      // DrawMesh keeps the vertices' u, v instead of the face's
};

class Material : public SceneNode {
public:
    Material();

    int32_t GetFlags() const { return flags; }
    bool SetFlags(int32_t f) { flags = f; return true; }

    // Plain links: the material does not own maps set here (see AdoptMap).
    TextureMap* GetTextureMap() const { return textureMap; }
    bool SetTextureMap(TextureMap* map) { textureMap = map; return true; }
    TextureMap* GetSecondMap() const { return secondMap; }
    bool SetSecondMap(TextureMap* map) { secondMap = map; return true; }

    // Hands a map to this material to be released with it, and returns it (null for null or when
    // memory runs out). Whoever builds a map for a material gives it here, so that maps do not
    // outlive every material that could use them.
    TextureMap* AdoptMap(std::unique_ptr<TextureMap> map);

    bool SetAmbient(const Color4& c);
    bool SetDiffuse(const Color4& c);
    bool SetSpecular(const Color4& c);
    bool SetEmissive(const Color4& c);
    bool SetPower(float p);
    Color4 GetDiffuse() const;
    const D3DMaterial7& GetBlock() const { return d3dMaterial; }

    // Sets the device state for drawing with this material: material block, culling, blending,
    // stage-0 texture. Touches nothing else.
    void Apply();

private:
    int32_t flags = 1;
    TextureMap* textureMap = nullptr;
    TextureMap* secondMap = nullptr;
    D3DMaterial7 d3dMaterial;  // handed to the device unchanged
    std::vector<std::unique_ptr<TextureMap>> ownedMaps_;
};

}  // namespace cm
