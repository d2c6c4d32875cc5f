// The show as one object: start-up in a fixed order, the nine parts on the clock's timeline
// with a white flash at every change, one frame at a time, and shutdown in a fixed order.
//
// The program (main.cpp) adds the start-up dialog, the timer-driven clock and the window; the
// recorder runs the same start-up, parts, timeline, flashes and quit flag headless, owning the
// clock by ticking it itself. Both go through RunShow.
//
// Units: clock units (0.1 per tick, 70 ticks a second for the timer) for times and deltas;
// flash level 0..1; pixels of the 640 x 480 target.
// Errors: any start-up failure makes InitShow return false, says why in GetStartupFailure, and
// leaves what it made for ShutdownShow, which copes with any partial state. What start-up does
// without (the music) goes to the setup's notice. Showing either to the user is the caller's.
#pragma once

#include "app/StartupOptions.h"
#include "display/RenderObject.h"
#include "display/RenderOptions.h"
#include "parts/PartResources.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace cm {

class DemoClock;
class DisplayDevice;
class DistortScene;
class EndScroller;
class FrameSink;
class GlassScene;
class IntroScene;
class Material;
class MusicPlayer;
class RoomScene;
class RotoballScene;
class TextureManager;
class TunnelScene;

struct ShowSetup {
    StartupOptions options;            // the dialog's result
    SceneReader readScene;             // reads the parts' scene files; required
    bool headless = false;             // no window: frames go to sink (null: dropped)
    FrameSink* sink = nullptr;
    RenderOptions render;              // size, supersampling and threads of the drawing
    bool runTimer = true;              // false: nothing ticks the clock but TickClock
    std::optional<uint32_t> sparkSeed; // the sparks' generator seed; default the calendar time
    bool vsync = true;                 // false: present without waiting for the refresh
    std::function<void(const std::string&)> notice;  // told what the show does without; may be empty
};

// The show with no window and no sound, its clock moved only by TickClock, frames into sink:
// how the recorder and the tests run it.
inline ShowSetup HeadlessShowSetup(SceneReader readScene, FrameSink* sink, uint32_t sparkSeed) {
    ShowSetup setup;
    setup.options.windowed = 1;
    setup.options.noSound = 1;
    setup.options.cancelled = 0;
    setup.readScene = std::move(readScene);
    setup.headless = true;
    setup.sink = sink;
    setup.runTimer = false;
    setup.sparkSeed = sparkSeed;
    return setup;
}

inline constexpr int kPartCount = 9;
inline constexpr float kClockRate = 70.0f;
// Clock times of the eight timed events, each moving the sequence on by one part.
inline constexpr float kPartChangeTimes[8] = {100.0f, 212.0f, 387.0f, 455.0f, 525.0f, 650.0f, 735.0f, 801.0f};
// Short names of the parts by sequence index, for labels and status lines.
inline constexpr const char* kPartNames[kPartCount] = {"intro", "tunnel", "room, sparks", "distort", "room, tube",
                                                       "glass", "room, fixed view", "rotoball", "end scroller"};
// Show seconds per clock unit: a tick of 0.1 units every 14 ms.
inline constexpr double kSecondsPerClockUnit = 0.14;

class Show : public RenderObject {
public:
    Show();
    ~Show();
    Show(const Show&) = delete;
    Show& operator=(const Show&) = delete;

    // Everything from the dialog's result to the clock: false after Cancel or any failure.
    bool InitShow(const ShowSetup& setup);
    // Why the last InitShow failed, as a sentence for the user; empty after Cancel or success.
    const std::string& GetStartupFailure() const { return failure; }
    // The flash's overlay material and the eight timed events on the clock.
    void BuildTimeline();
    // The eight part changes as timed events on clock, each calling onChange.
    static void AddPartChanges(DemoClock& clock, const std::function<void()>& onChange);
    // Flash off, every part reset in the fixed order, sequence index 0, clock reset.
    void ResetShow();
    // ResetShow, and what the show's one start never needed: the quit flag down, the sparks and
    // the turning meshes as loading left them, so that a show that has played runs again exactly
    // as from its start. (The device's states need no going back: every part sets those it
    // draws with, each frame.)
    void RestartShow();
    // The timed events' callback: next part, flash raised by 0.7 (at most 1).
    void TriggerFlash();
    // Adds the flash's grey (level * 255) to the whole frame.
    void DrawFlash();
    // One frame: clear, the current part, the flash, the overlay (if any), present, afterPresent
    // (if any), then the clock's Update, which may fire events for the next frame.
    void FrameStep(const std::function<void(Show&)>& afterPresent = {});
    // Drawn over every frame just before it is presented (the player's status line); not part
    // of the show. Empty: none.
    void SetOverlay(std::function<void(Show&)> draw) { overlay = std::move(draw); }
    // The display's last key code (27 for Escape or a window close); 0 without a display.
    uint32_t PumpMessages();
    // The main loop's test: no Escape and no quit flag.
    bool KeepRunning(uint32_t key) const;
    // Releases what exists, in the fixed order; safe after any partial start-up, and twice.
    void ShutdownShow();

    // Adds ticks clock ticks as the timer would (for callers that own time).
    void TickClock(int ticks = 1);

    int32_t GetSequenceIndex() const { return sequenceIndex; }
    int32_t GetQuitFlag() const { return quitFlag; }
    bool IsFlashActive() const { return flashActive != 0; }
    float GetFlashLevel() const { return flashLevel; }
    void SetFlashLevel(float level) { flashLevel = level; }
    // Sequence index of the part the last FrameStep drew, -1 when it drew none.
    int32_t GetLastDrawnPart() const { return lastDrawnPart; }

    DisplayDevice* GetDisplay() const { return display.get(); }
    DemoClock* GetClock() const { return clock.get(); }
    MusicPlayer* GetMusic() const { return music.get(); }
    TextureManager* GetTextures() const { return textures.get(); }
    IntroScene* GetIntro() const { return intro.get(); }
    RoomScene* GetRoom() const { return room.get(); }
    EndScroller* GetEndScroller() const { return endScroller.get(); }

private:
    bool OpenDisplay(const ShowSetup& setup);
    bool LoadParts(const ShowSetup& setup);
    void StartMusic(const ShowSetup& setup);
    bool FramePart(int32_t index, float dt);
    // The spark fountain's steps that fell due between the clock's last two updates.
    int64_t SparkStepsThisFrame() const;

    std::unique_ptr<DisplayDevice> display;
    std::unique_ptr<TextureManager> textures;
    std::unique_ptr<MusicPlayer> music;
    std::unique_ptr<DemoClock> clock;
    std::unique_ptr<Material> overlayMaterial;

    std::unique_ptr<IntroScene> intro;
    std::unique_ptr<TunnelScene> tunnel;
    std::unique_ptr<RoomScene> room;
    std::unique_ptr<DistortScene> distort;
    std::unique_ptr<GlassScene> glass;
    std::unique_ptr<RotoballScene> rotoball;
    std::unique_ptr<EndScroller> endScroller;

    int32_t sequenceIndex = 0;
    int32_t flashActive = 0;
    float flashLevel = 0.0f;
    int32_t quitFlag = 0;
    int32_t lastDrawnPart = -1;
    std::string failure;
    std::function<void(Show&)> overlay;
};

// The entry point's algorithm: InitShow (on failure ShutdownShow and 1), the timeline, ResetShow,
// frames until Escape or the quit flag, ShutdownShow and 0. afterPresent runs once a frame after
// Present and before the clock's Update; the recorder captures and ticks there. beforeFrame runs
// before each frame (the recorder skips ahead there, ShowSeek.h).
int RunShow(Show& show, const ShowSetup& setup, const std::function<void(Show&)>& afterPresent = {},
            const std::function<void(Show&)>& beforeFrame = {});

}  // namespace cm
