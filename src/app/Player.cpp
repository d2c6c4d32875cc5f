#include "app/Player.h"

#include "app/DemoClock.h"
#include "app/Show.h"
#include "app/ShowSeek.h"
#include "display/DisplayDevice.h"
#include "display/Registry.h"
#include "platform/device/Device.h"
#include "resources/MusicPlayer.h"

#include <algorithm>
#include <cstdio>
#include <thread>

namespace cm {

namespace {
constexpr uint32_t kStatusColor = 0xFFFFFFFFu;
constexpr uint32_t kStatusShadow = 0xFF000000u;
constexpr int kStatusX = 8, kStatusY = 8;
// While paused the held frame is shown again at about this interval.
constexpr auto kPausedFrameTime = std::chrono::milliseconds(15);
}  // namespace

std::string SavedFrameName(double showSeconds) {
    char name[64];
    std::snprintf(name, sizeof name, "coldmeridian-%07.3fs", showSeconds);
    return name;
}

Player::Player(Show& show_, FrameSaver saveFrame_) : show(show_), saveFrame(std::move(saveFrame_)) {
    show.SetOverlay([this](Show& s) { KeepFrame(s); });
}

Player::~Player() { show.SetOverlay({}); }

double Player::ShowSeconds() const { return keptSeconds; }

std::string Player::StatusLine() const {
    const char* part = keptPart >= 0 && keptPart < kPartCount ? kPartNames[keptPart] : "-";
    char line[96];
    std::snprintf(line, sizeof line, "%.2f s  %s  %.0f fps%s", keptSeconds, part, fps, paused ? "  paused" : "");
    return line;
}

void Player::HandleKey(uint32_t key) {
    const int32_t part = keptPart >= 0 ? keptPart : show.GetSequenceIndex();
    switch (key) {
        case kKeySpace: TogglePause(); break;
        case kKeyLeft: JumpToFrame(step.FirstFrameAtOrAfter(std::max(0.0, ShowSeconds() - kStepSeconds))); break;
        case kKeyRight: JumpToFrame(step.FirstFrameAtOrAfter(ShowSeconds() + kStepSeconds)); break;
        case kKeyPageUp: JumpToPart(std::max(part - 1, 0)); break;
        case kKeyPageDown: if (part + 1 < kPartCount) JumpToPart(part + 1); break;
        case kKeyHome: JumpToFrame(0); break;
        case kKeyF1:
            statusShown = !statusShown;
            break;
        case kKeyF12: SaveFrame(); break;
        default: break;
    }
}

void Player::TogglePause() {
    paused = !paused;
    DemoClock* clock = show.GetClock();
    MusicPlayer* music = show.GetMusic();
    if (paused) {
        if (clock) clock->Hold();
        if (music) music->Pause();
    } else {
        if (clock) clock->Resume();
        if (music) music->Resume();
    }
}

void Player::JumpToFrame(int64_t frame) {
    if (show.GetClock()) show.GetClock()->Hold();
    if (show.GetMusic()) show.GetMusic()->Pause();
    AfterJump(SeekToFrame(show, step, frame));
}

void Player::JumpToPart(int32_t part) {
    if (show.GetClock()) show.GetClock()->Hold();
    if (show.GetMusic()) show.GetMusic()->Pause();
    // The part starts on the frame after the event that calls it fires: step until it is next.
    int64_t frame = SeekToFrame(show, step, 0);
    while (show.GetSequenceIndex() < part && show.GetQuitFlag() == 0) frame = SimulateFrames(show, step, frame, frame + 1);
    AfterJump(frame);
}

// The show stands before `frame`: playing, it goes on from there on its timer with the music set
// to that frame's time; paused, the frame is drawn (and the clock given its fixed step) and held.
void Player::AfterJump(int64_t frame) {
    if (show.GetQuitFlag() != 0) return;  // the show ended on the way; the main loop stops
    DemoClock* clock = show.GetClock();
    MusicPlayer* music = show.GetMusic();
    if (paused) {
        show.FrameStep([&](Show& s) { s.TickClock(static_cast<int>(step.TicksAfter(frame))); });
        if (music) music->SetPosition(step.SecondsAt(frame + 1));
        return;
    }
    keptSeconds = step.SecondsAt(frame);
    if (music) {
        music->SetPosition(step.SecondsAt(frame));
        music->Resume();
    }
    if (clock) clock->Resume();
}

void Player::Step() {
    if (!paused) {
        show.FrameStep();
        return;
    }
    Device* device = GetDevice();
    if (device != nullptr && !kept.empty()) {
        RenderTarget& target = device->GetRenderTarget();
        if (target.width == keptWidth && target.height == keptHeight) std::copy(kept.begin(), kept.end(), target.color.begin());
        if (statusShown) {
            device->DrawTextLine(kStatusX + 1, kStatusY + 1, StatusLine(), kStatusShadow);
            device->DrawTextLine(kStatusX, kStatusY, StatusLine(), kStatusColor);
        }
        show.GetDisplay()->Present();
    }
}

bool Player::Turn() {
    if (!show.KeepRunning(show.PumpMessages())) return false;
    for (uint32_t k : show.GetDisplay()->KeysPressed()) HandleKey(k);
    if (!show.KeepRunning(0)) return false;  // a jump ran into the show's end
    Step();
    return true;
}

// The show's frame is finished and about to be presented: keep it, then draw the status over it.
void Player::KeepFrame(Show& s) {
    Device* device = GetDevice();
    if (device == nullptr) return;
    const RenderTarget& target = device->GetRenderTarget();
    kept.assign(target.color.begin(), target.color.end());
    keptWidth = target.width;
    keptHeight = target.height;
    keptPart = s.GetLastDrawnPart();
    if (s.GetClock()) keptSeconds = s.GetClock()->GetTime() * kSecondsPerClockUnit;
    CountFrame();
    if (statusShown) {
        device->DrawTextLine(kStatusX + 1, kStatusY + 1, StatusLine(), kStatusShadow);
        device->DrawTextLine(kStatusX, kStatusY, StatusLine(), kStatusColor);
    }
}

void Player::CountFrame() {
    ++counted;
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - countStart).count();
    if (elapsed >= 0.5) {
        fps = counted / elapsed;
        counted = 0;
        countStart = now;
    }
}

void Player::SaveFrame() {
    lastSaved.clear();
    if (!kept.empty() && saveFrame) lastSaved = saveFrame(Image{keptWidth, keptHeight, kept}, keptSeconds);
}

int RunPlayer(Show& show, const ShowSetup& setup, FrameSaver saveFrame) {
    if (!show.InitShow(setup)) {
        show.ShutdownShow();
        return 1;
    }
    show.BuildTimeline();
    show.ResetShow();
    {
        Player player(show, std::move(saveFrame));
        while (player.Turn())
            if (player.IsPaused()) std::this_thread::sleep_for(kPausedFrameTime);
    }
    show.ShutdownShow();
    return 0;
}

}  // namespace cm
