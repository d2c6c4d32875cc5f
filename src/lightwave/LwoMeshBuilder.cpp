// Building the Mesh, its Materials and their TextureMaps from the collected LwoObject.
#include <cmath>

#include "lightwave/LwoReader.h"
#include "lightwave/ProjectImageMap.h"
#include "resources/DosPath.h"
#include "resources/TextureManager.h"
#include "scene/Material.h"
#include "scene/Mesh.h"
#include "scene/SceneGraph.h"

namespace cm {

namespace {

// Surface flags and the material flags they turn into.
constexpr std::uint16_t kSurfaceDoubleSided = 0x100;
constexpr std::uint16_t kSurfaceAdditive = 0x200;

}  // namespace

std::int32_t ProjectionKindFromName(const std::string& name) {
    if (CompareNoCase(name, "Planar Image Map") == 0) return kProjectionPlanar;
    if (CompareNoCase(name, "Spherical Image Map") == 0) return kProjectionSpherical;
    if (CompareNoCase(name, "Cubic Image Map") == 0) return kProjectionCubic;
    if (CompareNoCase(name, "Cylindrical Image Map") == 0) return kProjectionCylindrical;
    return kProjectionUnknown;
}

std::int32_t AxisFromTextureFlags(std::uint16_t flags) {
    std::int32_t axis = kAxisX;
    if (flags & 0x1) axis = kAxisX;
    if (flags & 0x2) axis = kAxisY;
    if (flags & 0x4) axis = kAxisZ;
    return axis;
}

bool LwoReader::PolygonUsable(std::size_t index) {
    const LwoPolygon& polygon = object_.polygons[index];
    if (polygon.indices.size() < 3) {
        Note("polygon %zu has %zu corners; a face needs three", index, polygon.indices.size());
        return false;
    }
    for (std::int32_t corner : polygon.indices) {
        if (static_cast<std::size_t>(corner) >= object_.points.size()) {
            Note("polygon %zu: index %d >= %zu points", index, corner, object_.points.size());
            return false;
        }
    }
    if (polygon.surface < 1 || static_cast<std::size_t>(polygon.surface) > object_.surfaces.size()) {
        Note("polygon %zu: surface %d outside 1..%zu", index, polygon.surface, object_.surfaces.size());
        return false;
    }
    return true;
}

std::unique_ptr<Mesh> LwoReader::BuildMesh() {
    auto mesh = std::make_unique<Mesh>();
    const std::size_t pointCount = object_.points.size();
    if (pointCount > 0) {
        if (pointCount > static_cast<std::size_t>(Mesh::kMaxElements) ||
            !mesh->SetVertexCount(static_cast<std::int32_t>(pointCount))) {
            Note("%zu points are more than a mesh holds", pointCount);
            return nullptr;
        }
        for (std::size_t i = 0; i < pointCount; ++i) mesh->GetVertex(static_cast<std::int32_t>(i))->position = object_.points[i];
    }

    // Materials are settled before the faces exist, so that a polygon whose material cannot be
    // had is left out instead of leaving a face without one.
    struct Face {
        const LwoPolygon* polygon;
        Material* material;
    };
    std::vector<Face> faces;
    materialsByName_.clear();
    for (std::int32_t i = 0; library_ != nullptr && i < library_->GetMaterialCount(); ++i) {
        Material* m = library_->GetMaterial(i);
        materialsByName_.emplace(FoldedCase(m->GetName()), m);
    }
    std::vector<Material*> bySurface(object_.surfaces.size(), nullptr);
    for (std::size_t k = 0; k < object_.polygons.size(); ++k) {
        if (!PolygonUsable(k)) continue;
        const LwoPolygon& polygon = object_.polygons[k];
        const std::size_t s = static_cast<std::size_t>(polygon.surface - 1);
        if (bySurface[s] == nullptr) bySurface[s] = MaterialFor(object_.surfaces[s], *mesh);
        if (bySurface[s] != nullptr) faces.push_back({&polygon, bySurface[s]});
    }
    if (faces.empty()) return mesh;  // points only: a mesh that draws nothing
    if (faces.size() > static_cast<std::size_t>(Mesh::kMaxElements) ||
        !mesh->SetFaceCount(static_cast<std::int32_t>(faces.size()))) {
        Note("%zu polygons are more than a mesh holds", faces.size());
        return nullptr;
    }
    for (std::size_t k = 0; k < faces.size(); ++k) {
        MeshFace* face = mesh->GetFace(static_cast<std::int32_t>(k));
        // No triangulation: a polygon of more corners contributes its first three.
        face->i0 = faces[k].polygon->indices[0];
        face->i1 = faces[k].polygon->indices[1];
        face->i2 = faces[k].polygon->indices[2];
        face->material = faces[k].material;
    }
    mesh->ComputeNormals();
    ProjectFaces(*mesh);
    return mesh;
}

Material* LwoReader::MaterialFor(const LwoSurface& surface, Mesh& mesh) {
    // The first object to use a surface name decides that material for every later one.
    const std::string key = FoldedCase(surface.name);
    if (auto found = materialsByName_.find(key); found != materialsByName_.end()) return found->second;
    std::unique_ptr<Material> built = BuildMaterial(surface);
    const bool added = library_ != nullptr ? library_->AddMaterial(built.get()) : mesh.AddMaterial(built.get());
    if (!added) return nullptr;
    materialsByName_.emplace(key, built.get());
    return built.release();
}

std::unique_ptr<Material> LwoReader::BuildMaterial(const LwoSurface& surface) {
    auto material = std::make_unique<Material>();
    material->SetName(surface.name.c_str());
    material->SetDiffuse(Color4(surface.red / 255.0f, surface.green / 255.0f, surface.blue / 255.0f, 1.0f));
    std::int32_t flags = 0;
    if (surface.flags & kSurfaceDoubleSided) flags |= kMaterialTwoSided;
    if (surface.flags & kSurfaceAdditive) flags |= kMaterialAdditive;
    if (surface.colourTexture) {
        if (TextureMap* map = material->AdoptMap(BuildTextureMap(*surface.colourTexture))) {
            material->SetTextureMap(map);
            flags |= kMaterialTextured;
        }
    }
    if (surface.reflectionTexture) {
        if (TextureMap* map = material->AdoptMap(BuildTextureMap(*surface.reflectionTexture))) {
            material->SetSecondMap(map);
            flags |= kMaterialSecondMap;
        }
    }
    material->SetFlags(flags);
    return material;
}

std::unique_ptr<TextureMap> LwoReader::BuildTextureMap(const LwoTexture& texture) {
    if (!texture.imageName) return nullptr;
    const std::string& stored = *texture.imageName;
    Texture* image = textures_->Load(stored.c_str());
    if (image == nullptr) {
        // Objects name their images by the path on the machine that made them; the file usually
        // travels beside the object instead.
        const DosPathParts object = SplitDosPath(object_.name);
        const DosPathParts file = SplitDosPath(stored);
        const std::string beside = MakeDosPath(object.drive, object.directory, file.name, file.extension);
        image = textures_->Load(beside.c_str());
    }
    if (image == nullptr) {
        Note("image \"%s\" found neither as named nor beside the object", stored.c_str());
        return nullptr;
    }
    auto map = std::make_unique<TextureMap>();
    map->AttachTexture(image);
    map->SetSize(texture.size);
    map->SetCentre(texture.centre);
    map->SetScale(Vector3(1.0f, 1.0f, 1.0f));
    map->SetProjectionKind(ProjectionKindFromName(texture.projectionName));
    map->SetAxis(AxisFromTextureFlags(texture.flags));
    return map;
}

void LwoReader::ProjectFaces(Mesh& mesh) {
    for (std::int32_t k = 0; k < mesh.GetFaceCount(); ++k) {
        MeshFace* face = mesh.GetFace(k);
        const TextureMap* map = face->material->GetTextureMap();
        if (map == nullptr) continue;
        const std::int32_t corners[3] = {face->i0, face->i1, face->i2};
        FaceUV* uvs[3] = {&face->uv0, &face->uv1, &face->uv2};
        for (int c = 0; c < 3; ++c) {
            const Vector3& p = mesh.GetVertex(corners[c])->position;
            // An unrecognised projection computes nothing: the corner keeps the face's default
            // (0, 0), (1, 0), (1, 1), which shows the image once across the triangle. A zero
            // texture size gives an infinite or NaN coordinate, which the corner refuses the same
            // way.
            float u = uvs[c]->u;
            float v = uvs[c]->v;
            if (ProjectImageMap(*map, p.x, p.y, p.z, u, v) && std::isfinite(u) && std::isfinite(v)) {
                uvs[c]->u = u;
                uvs[c]->v = v;
            }
        }
    }
}

}  // namespace cm
