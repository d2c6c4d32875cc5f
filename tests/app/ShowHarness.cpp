#include "ShowHarness.h"

#include "PngFile.h"
#include "app/LightWaveScenes.h"
#include "scene/SceneGraph.h"

#include <cstdlib>
#include <string>

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

void MaybeDumpFrame(const MemorySink& sink, const char* name) {
    const char* folder = std::getenv("CM_SHOW_FRAMES");
    if (folder == nullptr || *folder == '\0' || sink.frame.empty()) return;
    WritePng(std::string(folder) + "/" + name + ".png", sink.frame.data(), sink.width, sink.height);
}

}  // namespace cm::test
