// The soft-blob wobble of the distort, glass and rotoball parts.
//
// Every frame each vertex of the blob mesh (mesh 0 of its scene) is moved along the line through
// the mesh's own origin: its rest position times a factor k made of three travelling sine waves
// over the rest coordinates. Working from a rest copy keeps the shape from drifting: the same T
// always gives the same positions.
#pragma once

#include "math/Vector3.h"

#include <vector>

namespace cm {

class Mesh;
class SceneGraph;

// The wobble's parameters (see Deform): phase rate, three axis terms, the amplitude
// amp = ka * sin(fa * T) + kb, and the phase multipliers per axis.
struct BlobParameters {
    double fph;
    double ax, fx;
    double ay, fy;
    double az, fz;
    double ka, fa, kb;
    double cx, cy, cz;
};

BlobParameters DistortBlobParameters();
BlobParameters GlassBlobParameters();
BlobParameters RotoballBlobParameters();

class BlobDeformer {
public:
    explicit BlobDeformer(const BlobParameters& parameters) : params(parameters) {}

    // For a scene just read: copies mesh 0's vertex positions as the rest shape, detaches mesh
    // 0 from its position, rotation and scale channels and installs EnvironmentMapCallback.
    // False (nothing changed) when the scene has no mesh or the mesh no vertices.
    bool Prepare(SceneGraph& scene);

    // Rewrites the mesh's vertex positions for local time T (clock units). Does nothing before
    // a successful Prepare.
    void Deform(float T);

    // The factor's amplitude at T, as Deform rounds it; k stays within 1 +- 3 * amp.
    float Amplitude(float T) const;

    Mesh* GetMesh() const { return mesh; }
    const std::vector<Vector3>& GetRestPositions() const { return rest; }

private:
    BlobParameters params;
    Mesh* mesh = nullptr;
    std::vector<Vector3> rest;
};

}  // namespace cm
