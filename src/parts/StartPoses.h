// The rotations of the meshes a part turns a little every frame, as loading left them, so that
// the part can start over from the same pose (a show restarted or sought back).
#pragma once

#include "scene/Mesh.h"

#include <utility>
#include <vector>

namespace cm {

class StartPoses {
public:
    void Keep(Mesh* mesh) {
        if (mesh != nullptr) kept.emplace_back(mesh, mesh->rotation);
    }
    void Restore() const {
        for (const auto& [mesh, rotation] : kept) mesh->rotation = rotation;
    }

private:
    std::vector<std::pair<Mesh*, decltype(Mesh::rotation)>> kept;
};

}  // namespace cm
