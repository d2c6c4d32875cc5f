// The nine parts of the show and the effects they share.
//
// Owns: one class per part (IntroScene, TunnelScene, RoomScene for sequence indices 2, 4 and 6,
// DistortScene, GlassScene, RotoballScene, EndScroller), each with its scenes, textures looked up
// through the texture store, materials and local time; the warp tube (WarpTube), the spark
// fountain (Spark, SparkEmitter), the blob deformer and its environment-map draw callback, and
// the program's own pseudo-random generator. Not owned: textures (the TextureManager), the device
// and its render state, which every part sets as it needs and leaves behind for the next part.
//
// Units: local time t and frame deltas in clock units (0.1 per timer tick, about 7.14 a second);
// scene times in scene-file frame numbers; screen coordinates in pixels of the 640 x 480 target;
// angles in radians; grey levels and colours 0..1.
//
// Error policy: Load returns false when a file it needs cannot be read (start-up then stops);
// scenes that lack the meshes, helpers, cameras or materials a part reads are refused by Load
// rather than dereferenced later. FramePart has no failure path and always returns true.
#pragma once

#include "parts/BlobDeformer.h"
#include "parts/DistortScene.h"
#include "parts/EndScroller.h"
#include "parts/EnvironmentMap.h"
#include "parts/GlassScene.h"
#include "parts/IntroScene.h"
#include "parts/PartResources.h"
#include "parts/ProgramRandom.h"
#include "parts/RoomScene.h"
#include "parts/RotoballScene.h"
#include "parts/Spark.h"
#include "parts/TunnelScene.h"
#include "parts/WarpTube.h"
