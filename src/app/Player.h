// The live show as a player. Keys (virtual-key codes):
//   Space        pause and resume picture and music together
//   Left, Right  5 seconds back, forward
//   Page Up/Down the start of the previous, next part
//   Home         the start of the show
//   F1           a status line (show time, part, frames a second) drawn by the device
//   F12          the current frame as a PNG, handed to the program's frame saver
// A jump seeks by simulation (ShowSeek.h) at the recorder's default 60 frames a second: the
// frame drawn after it is that run's frame, with its events, flashes, sparks and quit flag as if
// the show had played there, and the music is set to that frame's time. Without keys the loop
// is the show's own (RunShow), frame for frame.
#pragma once

#include "app/FrameClock.h"
#include "resources/PngImage.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cm {

class Show;
struct ShowSetup;

inline constexpr uint32_t kKeySpace = 0x20, kKeyPageUp = 0x21, kKeyPageDown = 0x22, kKeyHome = 0x24,
                          kKeyLeft = 0x25, kKeyRight = 0x27, kKeyF1 = 0x70, kKeyF12 = 0x7B;

// Keeps a frame (F12) where the user finds it: a file beside the desktop program, a download in
// a browser. Returns where it went, empty when it could not be kept.
using FrameSaver = std::function<std::string(const Image& frame, double showSeconds)>;

// The name a saved frame goes by, without its extension: coldmeridian-012.345s.
std::string SavedFrameName(double showSeconds);

class Player {
public:
    static constexpr double kStepSeconds = 5.0;

    // Hooks the status line into the show's frames; the show must be started.
    Player(Show& show, FrameSaver saveFrame);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    void HandleKey(uint32_t key);
    // The show's next frame, or while paused the held frame again.
    void Step();
    // One turn of the program's main loop: the window's messages, the keys, then Step. False
    // once Escape or the show's end has stopped the show.
    bool Turn();

    bool IsPaused() const { return paused; }
    bool IsStatusShown() const { return statusShown; }
    // Show time of the frame on screen, in seconds.
    double ShowSeconds() const;
    // The status line as drawn.
    std::string StatusLine() const;
    // Where the last F12 put its frame; empty before the first or after a failure.
    const std::string& LastSavedFrame() const { return lastSaved; }

private:
    void TogglePause();
    void JumpToFrame(int64_t frame);
    void JumpToPart(int32_t part);
    void AfterJump(int64_t frame);
    void KeepFrame(Show& show);
    void SaveFrame();
    void CountFrame();

    Show& show;
    FrameClock step{FrameRate{60, 1}};
    FrameSaver saveFrame;
    bool paused = false;
    bool statusShown = false;
    std::vector<uint32_t> kept;  // the frame on screen as the show drew it, without the status
    int keptWidth = 0;
    int keptHeight = 0;
    double keptSeconds = 0.0;
    int32_t keptPart = -1;
    std::string lastSaved;
    // Frames a second, counted over about half a second.
    std::chrono::steady_clock::time_point countStart = std::chrono::steady_clock::now();
    int counted = 0;
    double fps = 0.0;
};

// The program's main loop with the player's keys: InitShow, the timeline, ResetShow, frames
// until Escape or the quit flag, ShutdownShow. Results as RunShow.
int RunPlayer(Show& show, const ShowSetup& setup, FrameSaver saveFrame);

}  // namespace cm
