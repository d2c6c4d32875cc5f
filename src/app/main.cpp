// The show program: the start-up dialog, then the show on its timer-driven clock in a window or
// full screen, with the player's keys (Player.h). Exit code 1 after Cancel or any start-up
// failure, 0 after a run; nothing is ever shown to the user on failure.
#include "app/LightWaveScenes.h"
#include "app/Player.h"
#include "app/Show.h"
#include "app/StartupOptions.h"
#include "scene/SceneGraph.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {
// Program-wide, as everything the show owns: it outlives main's stack for the exit handlers.
cm::Show g_show;

// Saved frames go next to the program; the working folder when it cannot be found.
std::string ProgramFolder() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}
}  // namespace

int main(int argc, char** argv) {
    cm::ShowSetup setup;
    // --no-vsync presents every frame at once, drawing as fast as the machine can (for measuring).
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-vsync") != 0) {
            std::fprintf(stderr, "coldmeridian: unknown argument '%s' (the one option is --no-vsync)\n", argv[i]);
            return 2;
        }
        setup.vsync = false;
    }
    cm::RunStartupDialog(setup.options);
    setup.readScene = &cm::ReadLightWaveScene;
    return cm::RunPlayer(g_show, setup, ProgramFolder());
}
