// The show program: the start-up dialog, then the show on its timer-driven clock in a window or
// full screen. Exit code 1 after Cancel or any start-up failure, 0 after a run; nothing is ever
// shown to the user on failure.
#include "app/LightWaveScenes.h"
#include "app/Show.h"
#include "app/StartupOptions.h"
#include "scene/SceneGraph.h"

namespace {
// Program-wide, as everything the show owns: it outlives main's stack for the exit handlers.
cm::Show g_show;
}  // namespace

int main() {
    cm::ShowSetup setup;
    cm::RunStartupDialog(setup.options);
    setup.readScene = &cm::ReadLightWaveScene;
    return cm::RunShow(g_show, setup);
}
