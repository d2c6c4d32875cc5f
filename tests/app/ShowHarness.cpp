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

int TicksBefore(int64_t frame, int fps) { return static_cast<int>(frame * 70 / fps); }

}  // namespace cm::test
