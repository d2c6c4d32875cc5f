// The show program in a browser page. The page (src/platform/web/index.html) puts the data
// files into the program's file system and calls one of two entry points:
//
// - cm_web_run, from the start panel's Run button: the desktop program's start-up (the
//   panel's answer, InitShow, the timeline, the reset) and its main loop with the player's
//   keys (Player.h), one turn per animation frame of the page, until Escape or the show's end;
//   then the page's Module.cmShowEnded(started), which offers to play again. F12 offers the
//   frame as a PNG download (the page's Module.cmDownloadFrame).
// - cm_web_still_begin and cm_web_still_step, the deterministic mode: the recorder's start-up
//   (windowed, silent, a fixed spark seed, no timer) and its clock, so that frame n shows the
//   show at n / fps seconds with the same pixels as the recorder's frame n.
#include "app/FrameClock.h"
#include "app/LightWaveScenes.h"
#include "app/Player.h"
#include "app/Show.h"
#include "app/ShowSeek.h"
#include "app/StartupOptions.h"
#include "platform/dialog/StartupDialog.h"
#include "resources/MusicPlayer.h"
#include "scene/SceneGraph.h"

#include <emscripten/emscripten.h>

#include <optional>
#include <string>

namespace {

cm::Show g_show;
std::optional<cm::Player> g_player;  // while the show runs

std::optional<cm::FrameClock> g_stillClock;
int64_t g_stillFrame = 0;

void EndRun(bool started) {
    emscripten_cancel_main_loop();
    g_player.reset();
    g_show.ShutdownShow();
    EM_ASM({ if (Module.cmShowEnded) Module.cmShowEnded($0 !== 0); }, started ? 1 : 0);
}

// The page's frame saver: the frame as a PNG download named as the desktop program's files.
std::string DownloadFrame(const cm::Image& frame, double seconds) {
    const std::string name = cm::SavedFrameName(seconds) + ".png";
    EM_ASM({ Module.cmDownloadFrame(UTF8ToString($0), HEAPU32.slice($1 >> 2, ($1 >> 2) + $2 * $3), $2, $3); },
           name.c_str(), frame.pixels.data(), frame.width, frame.height);
    return name;
}

// The desktop loop's body.
void RunFrame() {
    if (!g_player->Turn()) {
        EndRun(true);
        return;
    }
    // Page load to the first frame of the show, for the page's figures.
    EM_ASM({ Module.cmTimes.firstFrame = Module.cmTimes.firstFrame || performance.now(); });
}

}  // namespace

extern "C" {

// Starts the show with the start panel's answer; false when it is running already. The sparks
// take `seed` when withSeed is true (the page's tests), the calendar time otherwise.
EMSCRIPTEN_KEEPALIVE int cm_web_run(int withSeed, uint32_t seed) {
    if (g_player || g_stillClock) return 0;
    cm::ShowSetup setup;
    cm::RunStartupDialog(setup.options);
    setup.readScene = &cm::ReadLightWaveScene;
    if (withSeed) setup.sparkSeed = seed;
    if (!g_show.InitShow(setup)) {
        cm::ShowErrorDialog(g_show.GetStartupFailure());
        g_show.ShutdownShow();
        EM_ASM({ if (Module.cmShowEnded) Module.cmShowEnded(false); });
        return 0;
    }
    g_show.BuildTimeline();
    g_show.ResetShow();
    g_player.emplace(g_show, &DownloadFrame);
    // 0: at the page's animation frame rate; false: return to the page now.
    emscripten_set_main_loop(&RunFrame, 0, false);
    return 1;
}

// Starts the deterministic mode at fps frames a second; false when the show cannot start.
EMSCRIPTEN_KEEPALIVE int cm_web_still_begin(uint32_t seed, uint32_t fps) {
    if (g_player || g_stillClock || fps < 1 || fps > 1000) return 0;
    cm::ShowSetup setup;
    setup.options.windowed = 1;
    setup.options.noSound = 1;
    setup.options.cancelled = 0;
    setup.readScene = &cm::ReadLightWaveScene;
    setup.runTimer = false;
    setup.sparkSeed = seed;
    if (!g_show.InitShow(setup)) {
        g_show.ShutdownShow();
        return 0;
    }
    g_show.BuildTimeline();
    g_show.ResetShow();
    g_stillClock.emplace(cm::FrameRate{fps, 1});
    g_stillFrame = 0;
    return 1;
}

// The first frame at or after `seconds` of show time in the deterministic mode.
EMSCRIPTEN_KEEPALIVE double cm_web_still_frame_at(double seconds) {
    return g_stillClock ? static_cast<double>(g_stillClock->FirstFrameAtOrAfter(seconds)) : -1.0;
}

// Brings the deterministic mode to `frame` without drawing the frames before it, as a seek
// does; returns the frame the next step draws.
EMSCRIPTEN_KEEPALIVE double cm_web_still_skip_to(double frame) {
    if (!g_stillClock) return -1.0;
    const auto target = static_cast<int64_t>(frame);
    if (target > g_stillFrame) g_stillFrame = cm::SimulateFrames(g_show, *g_stillClock, g_stillFrame, target);
    return static_cast<double>(g_stillFrame);
}

// Draws the next frame of the deterministic mode and returns the part it drew (0..8, -1 for
// none); -2 once the show has ended.
EMSCRIPTEN_KEEPALIVE int cm_web_still_step() {
    if (!g_stillClock) return -2;
    if (!g_show.KeepRunning(g_show.PumpMessages())) return -2;
    g_show.FrameStep([](cm::Show& show) {
        // As the recorder: exactly the ticks that bring the clock to the next frame's time.
        show.TickClock(static_cast<int>(g_stillClock->TicksAfter(g_stillFrame)));
    });
    ++g_stillFrame;
    return g_show.GetLastDrawnPart();
}

// The player's show time, -1 when the show is not running; whether it is paused; the music's
// position in seconds, -1 without music. For the page's tests of the keys.
EMSCRIPTEN_KEEPALIVE double cm_web_player_seconds() { return g_player ? g_player->ShowSeconds() : -1.0; }
EMSCRIPTEN_KEEPALIVE int cm_web_player_paused() { return g_player && g_player->IsPaused() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE double cm_web_music_seconds() {
    return g_player && g_show.GetMusic() ? g_show.GetMusic()->GetPosition() : -1.0;
}

}  // extern "C"

// The page starts the show itself, from its panel.
int main() { return 0; }
