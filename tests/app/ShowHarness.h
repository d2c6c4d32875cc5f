// Runs the show headless in a test: the real start-up on the data in the working folder (the
// build's bin folder), frames into a memory sink, and time owned by the test.
#pragma once

#include "app/LightWaveScenes.h"
#include "app/Show.h"
#include "platform/d3dx/FrameSink.h"
#include "scene/SceneGraph.h"

namespace cm::test {

// Headless, silent, no timer, fixed spark seed, the LightWave reader.
inline ShowSetup HeadlessSetup(FrameSink* sink) {
    ShowSetup setup;
    setup.options.windowed = 1;
    setup.options.noSound = 1;
    setup.options.cancelled = 0;
    setup.readScene = &ReadLightWaveScene;
    setup.headless = true;
    setup.sink = sink;
    setup.runTimer = false;
    setup.sparkSeed = 12345u;
    return setup;
}

}  // namespace cm::test
