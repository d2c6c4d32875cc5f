// The show program: its command line, the data folder, the start-up dialog, then the show on its
// timer-driven clock in a window or full screen, with the player's keys (Player.h). Exit code 0
// after a run or --help, 1 after Cancel or a start-up failure, 2 for a command line it refuses.
// Every failure is one line on standard error saying what failed and what to do, shown in a
// message box as well when there is a display to show it on.
#include "app/CommandLine.h"
#include "app/DataFolder.h"
#include "app/LightWaveScenes.h"
#include "app/Player.h"
#include "app/PngFrameSaver.h"
#include "app/Show.h"
#include "app/ShowCommandLine.h"
#include "app/StartupOptions.h"
#include "app/StartupProblem.h"
#include "platform/dialog/StartupDialog.h"
#include "scene/SceneGraph.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {
// Program-wide, as everything the show owns: it outlives main's stack for the exit handlers.
cm::Show g_show;

void Say(const std::string& message) { std::fprintf(stderr, "coldmeridian: %s\n", message.c_str()); }

int Fail(const std::string& message) {
    Say(message);
    cm::ShowErrorDialog(message);
    return 1;
}

// Every data file is read under its relative name, so the data folder becomes the working one.
bool EnterDataFolder(const std::string& given, std::string& error) {
    const cm::DataSearch search = cm::FindDataFolder(given);
    if (search.folder.empty()) {
        error = cm::DescribeMissingData(search);
        return false;
    }
    std::error_code ec;
    std::filesystem::current_path(search.folder, ec);
    if (ec) error = "cannot enter the data folder " + search.folder + ": " + ec.message();
    return !ec;
}

// Saved frames go to the folder the program was started from: the program's own folder may be a
// system one such as /usr/bin, and the working folder becomes the data folder.
std::string StartFolder() {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::current_path(ec);
    return ec ? std::string(".") : folder.string();
}
}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto line = cm::ParseShowCommandLine({argv + 1, argv + argc}, error);
    if (!line) {
        std::fprintf(stderr, "coldmeridian: %s\n%s", error.c_str(), cm::ShowUsage().c_str());
        return 2;
    }
    if (line->help) {
        std::fputs(cm::ShowUsage().c_str(), stdout);
        return 0;
    }
    if (line->version) {
        std::printf("coldmeridian %s\n", CM_VERSION);
        return 0;
    }
    const std::string frameFolder = StartFolder();
    if (!EnterDataFolder(line->dataDir, error)) return Fail(error);
    if (!cm::OpenDialogDisplay()) return Fail(cm::DescribeNoDisplay());

    cm::ShowSetup setup;
    setup.vsync = !line->noVsync;
    cm::RunStartupDialog(setup.options);
    setup.readScene = &cm::ReadLightWaveScene;
    setup.notice = Say;
    setup.render = line->render;
    if (setup.render.threads == 0) setup.render.threads = cm::DefaultThreadCount("COLDMERIDIAN_THREADS");
    const int code = cm::RunPlayer(g_show, setup, cm::PngFrameSaver(frameFolder));
    if (code != 0 && !g_show.GetStartupFailure().empty()) return Fail(g_show.GetStartupFailure());
    return code;
}
