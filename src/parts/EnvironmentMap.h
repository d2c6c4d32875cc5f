// Chrome-like texturing for the blob meshes: installed as the mesh's draw callback, it runs
// just before the scene draws the mesh and derives each vertex's texture coordinates from its
// normal as seen from the camera, so the texture wraps around the blob as a reflection would.
#pragma once

namespace cm {

class Mesh;
struct Matrix4;

// Recomputes the mesh's normals from its current positions, turns them by the node matrix
// and then the view (translation ignored, no renormalising), stores them back and sets
// u = (n.x + 1) / 2, v = (n.y + 1) / 2. A null mesh or view does nothing.
void EnvironmentMapCallback(Mesh* mesh, const Matrix4* view);

}  // namespace cm
