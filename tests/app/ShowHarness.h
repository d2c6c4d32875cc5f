// Runs the show headless in a test: the real start-up on the data in the working folder (the
// build's bin folder), frames into a memory sink, and time owned by the test.
#pragma once

#include "app/LightWaveScenes.h"
#include "app/Show.h"
#include "platform/d3dx/FrameSink.h"
#include "scene/SceneGraph.h"

namespace cm::test {

// Headless, silent, no timer, fixed spark seed, the LightWave reader.
inline ShowSetup HeadlessSetup(FrameSink* sink) { return HeadlessShowSetup(&ReadLightWaveScene, sink, 12345u); }

}  // namespace cm::test
