#include "ShowHarness.h"

#include "app/LightWaveScenes.h"
#include "scene/SceneGraph.h"

namespace cm::test {

ShowSetup HeadlessSetup(FrameSink* sink) {
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
