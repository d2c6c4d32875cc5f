// LightWave import: the object reader (LwoReader.h), the surface image-map projection
// (ProjectImageMap.h) and the scene reader (LwsReader.h).
//
// Owns: turning LWOB object files into Meshes with shared Materials and TextureMaps, and
// keyword-per-line scene files into SceneGraphs. Not owned: where the bytes come from (DataFile),
// the images (TextureManager), what the graph does with its nodes (scene/).
//
// Units: object positions in the file's own units; texture coordinates in texture widths (0..1
// spans the image once); rotations read in degrees (heading, pitch, bank) and handed on in
// radians (pitch, heading, bank); key times in scene-file frame numbers.
//
// Error policy: the files are not trusted. Damaged parts are refused or clamped with a safe
// result and never read out of bounds: a chunk or sub-chunk that overruns its container ends the
// walk of that container, polygons that cannot be drawn are left out, counts never drive an
// allocation larger than the file could describe, and scene links that point nowhere or close a
// loop are skipped. Each reader keeps a list of what it refused (GetDamage) for tests and tools;
// the only output is the scene reader's echo on standard output. Main thread only: the item-name
// counters are program-wide state.
#pragma once

#include "lightwave/LwoReader.h"
#include "lightwave/LwsReader.h"
#include "lightwave/ProjectImageMap.h"
