// Scene graph and animation: nodes with their hierarchy and transforms, materials and meshes,
// keyframe channels, cameras, lens flares, and the records a LightWave scene file is read into.
//
// Units: positions in scene units, angles in radians (x, y, z angles as Matrix4::SetRotationAngles
// takes them), time in scene-file frame numbers, colours 0..1 floats packed for vertices as
// alpha << 24 | red << 16 | green << 8 | blue. Matrices are row-vector, as the device takes them.
//
// Ownership: a SceneGraph owns its nodes, flares, channels and library materials; a Mesh owns its
// vertices, faces and private materials; a Material owns the texture maps handed to AdoptMap;
// nothing here owns a Texture (the texture manager does). Everything is released with its owner.
//
// Error policy: setters refuse null and leave the object unchanged; indexed reads return null
// outside their list; bad data is skipped or refused with a safe result, never a crash: faces
// with a corner outside the mesh or without a material are not drawn, degenerate faces give no
// normal, a channel without keys leaves its property alone, parent links that would close a loop
// are refused, hierarchies of any depth are walked without recursion, and a graph without a
// camera is not rendered. Drawing goes through the program-wide device (nothing happens without
// one) and ignores its return codes.
#pragma once

#include "scene/Camera.h"
#include "scene/HelperNode.h"
#include "scene/KeyChannel.h"
#include "scene/LensFlare.h"
#include "scene/LwsItem.h"
#include "scene/LwsMotion.h"
#include "scene/LwsScene.h"
#include "scene/Material.h"
#include "scene/Mesh.h"
#include "scene/MeshVertex.h"
#include "scene/SceneGraph.h"
#include "scene/SceneNode.h"
#include "scene/TextureMap.h"
