#include "parts/BlobDeformer.h"

#include "display/Registry.h"
#include "parts/EnvironmentMap.h"
#include "platform/device/Device.h"
#include "scene/Mesh.h"
#include "scene/SceneGraph.h"

#include <algorithm>
#include <cmath>

namespace cm {

BlobParameters DistortBlobParameters() {
    return {0.005, 0.5, 0.23, 0.5, 0.21, 0.5, 0.11, 0.05, 0.1, 0.1, 3.2, 2.0, 4.9};
}
BlobParameters GlassBlobParameters() {
    return {0.0035, 0.5, 0.13, 0.4, 0.11, 0.3, 0.14, 0.08, 0.06, 0.3, 3.2, 4.0, 4.9};
}
BlobParameters RotoballBlobParameters() {
    return {0.0035, 0.5, 0.13, 0.4, 0.11, 0.3, 0.14, 0.04, 0.06, 0.15, 3.2, 4.0, 3.9};
}

bool BlobDeformer::Prepare(SceneGraph& scene) {
    Mesh* blob = scene.GetMesh(0);
    if (blob == nullptr || blob->GetVertexCount() < 1) return false;
    std::vector<Vector3> copy(static_cast<size_t>(blob->GetVertexCount()));
    for (int32_t i = 0; i < blob->GetVertexCount(); ++i) copy[static_cast<size_t>(i)] = blob->GetVertex(i)->position;
    rest = std::move(copy);
    mesh = blob;
    // Only the part's own code moves the blob from now on; it keeps the node defaults.
    mesh->SetPositionChannel(nullptr);
    mesh->SetRotationChannel(nullptr);
    mesh->SetScaleChannel(nullptr);
    mesh->SetDrawCallback(&EnvironmentMapCallback);
    return true;
}

float BlobDeformer::Amplitude(float T) const { return float(params.ka * std::sin(params.fa * T) + params.kb); }

void BlobDeformer::Deform(float T) {
    if (mesh == nullptr) return;
    // The shape is made anew from T for each drawn frame; a frame that draws nothing needs none.
    if (const Device* device = GetDevice(); device != nullptr && !device->WantsPrimitives()) return;
    const double t = T;
    // Each of the five values is rounded to a float once computed, as the shape was tuned with.
    const double ph = float(32.0 * std::sin(params.fph * t) - 32.0);
    // Numerators are at least 0.5 and denominators within [2, 8], [0.5, 7.5] and [2, 8], so
    // the scales never reach zero.
    const double sx = float((params.ax * std::sin(params.fx * t) + 1.0) / (3.0 * std::sin(0.08 * t) + 5.0));
    const double sy = float((params.ay * std::cos(params.fy * t) + 1.0) / (3.5 * std::sin(0.04 * t) + 4.0));
    const double sz = float((params.az * std::sin(params.fz * t) + 1.0) / (3.0 * std::sin(0.063 * t) + 5.0));
    const double amp = Amplitude(T);
    // The mesh may have been given a new vertex array since Prepare; never index past either.
    const int32_t count = std::min<int32_t>(mesh->GetVertexCount(), static_cast<int32_t>(rest.size()));
    for (int32_t i = 0; i < count; ++i) {
        const Vector3& r = rest[static_cast<size_t>(i)];
        const double x = r.x, y = r.y, z = r.z;
        const double k = 1.0 + amp * (std::sin(z / sz + params.cz * ph) + std::sin(y / sy + params.cy * ph) +
                                      std::sin(x / sx + params.cx * ph));
        mesh->GetVertex(i)->position = {float(x * k), float(y * k), float(z * k)};
    }
}

}  // namespace cm
