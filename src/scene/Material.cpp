#include "scene/Material.h"

#include <new>

#include "platform/device/Device.h"
#include "display/Registry.h"
#include "scene/TextureBinding.h"

namespace cm {

namespace {

D3DColorValue ToColourValue(const Color4& c) { return D3DColorValue{c.r, c.g, c.b, c.a}; }

}  // namespace

Material::Material() : SceneNode(kNodeMaterial, "default_material") {
    SetAmbient(Color4(0.0f, 0.0f, 0.0f, 1.0f));
    SetDiffuse(Color4(0.5f, 0.5f, 0.5f, 1.0f));
    SetSpecular(Color4(0.0f, 0.0f, 0.0f, 0.0f));
    SetEmissive(Color4(1.0f, 1.0f, 1.0f, 1.0f));
    SetPower(0.0f);
}

TextureMap* Material::AdoptMap(std::unique_ptr<TextureMap> map) {
    if (map == nullptr) return nullptr;
    try {
        ownedMaps_.push_back(std::move(map));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return ownedMaps_.back().get();
}

bool Material::SetAmbient(const Color4& c) {
    d3dMaterial.ambient = ToColourValue(c);
    return true;
}

bool Material::SetDiffuse(const Color4& c) {
    d3dMaterial.diffuse = ToColourValue(c);
    return true;
}

bool Material::SetSpecular(const Color4& c) {
    d3dMaterial.specular = ToColourValue(c);
    return true;
}

bool Material::SetEmissive(const Color4& c) {
    d3dMaterial.emissive = ToColourValue(c);
    return true;
}

bool Material::SetPower(float p) {
    d3dMaterial.power = p;
    return true;
}

Color4 Material::GetDiffuse() const {
    const D3DColorValue& d = d3dMaterial.diffuse;
    return Color4(d.r, d.g, d.b, d.a);
}

void Material::Apply() {
    Device* device = GetDevice();
    if (device != nullptr) device->SetMaterial(&d3dMaterial);
    if (flags & kMaterialTwoSided) {
        DisableCulling();
    } else {
        EnableCulling();
    }
    if (flags & kMaterialAdditive) {
        EnableAdditiveBlend();
    } else {
        DisableBlend();
    }
    // Only stage 0's texture changes: the stage states stay as the caller set them. A textured
    // flag without a loaded map binds nothing rather than a stale texture.
    TextureSurface* surface = nullptr;
    if ((flags & kMaterialTextured) && textureMap != nullptr) surface = SurfaceOf(textureMap->GetTexture());
    if (device != nullptr) device->SetTexture(0, surface);
}

}  // namespace cm
