#include "app/Show.h"

#include "app/DemoClock.h"
#include "app/StartupProblem.h"
#include "display/DisplayDevice.h"
#include "display/Registry.h"
#include "display/ScreenVertex.h"
#include "math/Color4.h"
#include "parts/DistortScene.h"
#include "parts/EndScroller.h"
#include "parts/GlassScene.h"
#include "parts/IntroScene.h"
#include "parts/RoomScene.h"
#include "parts/RotoballScene.h"
#include "parts/TunnelScene.h"
#include "platform/device/Device.h"
#include "platform/window/Window.h"
#include "resources/MusicPlayer.h"
#include "resources/PackArchive.h"
#include "resources/TextureManager.h"
#include "scene/Material.h"

#include <filesystem>
#include <utility>

namespace cm {

namespace {
constexpr int kWidth = 640;
constexpr int kHeight = 480;
// Windowed: windowed mode, a framed window, the cursor shown (0x0E). Full screen: full screen
// (0x01). Both present on vertical sync (0x10) unless the setup asks for frames as fast as they
// come: a window that does not wait draws hundreds of frames a second for a screen that shows
// sixty, and keeps a core busy doing it.
constexpr uint32_t kWindowedFlags = 0x02 | FramedWindow | ShowCursor;
constexpr uint32_t kFullScreenFlags = FullScreen;
// Culling off and additive blending on, no texture: the flash quad adds its grey.
constexpr int32_t kOverlayFlags = kMaterialAdditive | kMaterialTwoSided;  // 0x280
}  // namespace

Show::Show() = default;
Show::~Show() { ShutdownShow(); }

bool Show::InitShow(const ShowSetup& setup) {
    failure.clear();
    if (setup.options.cancelled) return false;
    // Without the archive every data file is read from disk under the same relative name.
    MountPack("kelvarin.pak");
    if (!OpenDisplay(setup)) return false;
    textures = std::make_unique<TextureManager>();
    if (!LoadParts(setup)) return false;
    if (!setup.options.noSound) StartMusic(setup);

    clock = std::make_unique<DemoClock>();
    // A timer that cannot start leaves the clock at 0: the show stays on the intro until Escape.
    if (setup.runTimer) clock->Start(kClockRate);
    return true;
}

bool Show::OpenDisplay(const ShowSetup& setup) {
    display = std::make_unique<DisplayDevice>();
    display->SetRenderOptions(setup.render);
    const uint32_t flags = (setup.options.windowed ? kWindowedFlags : kFullScreenFlags) | (setup.vsync ? WaitVSync : 0u);
    if (setup.headless) {
        if (display->CreateHeadless(kWidth, kHeight, flags, "Cold Meridian", setup.sink)) return true;
        failure = "cannot create the display device";
        return false;
    }
    if (display->Create(kWidth, kHeight, flags, "Cold Meridian")) return true;
    failure = "cannot open the show's window (" + Window::OpenError() + "; " + DescribeDisplaySetting() +
              "): run the show in a graphical session whose display answers";
    return false;
}

// A missing audio library or module leaves the show silent; neither stops it.
void Show::StartMusic(const ShowSetup& setup) {
    music = std::make_unique<MusicPlayer>();
    const bool loaded = music->Load("kelvarin.xm");
    music->Play();
    if (!setup.notice) return;
    if (!AudioLibrary::IsLibraryLoaded()) {
        setup.notice(std::string("no audio library (") + kAudioLibraryName +
                     " beside the program or in ../lib/coldmeridian beside it): the show plays without music");
    } else if (!loaded) {
        setup.notice("cannot play the music kelvarin.xm from " + std::filesystem::current_path().string() +
                     " (no sound device, or the module cannot be read): the show plays without music");
    }
}

bool Show::LoadParts(const ShowSetup& setup) {
    PartResources resources;
    resources.textures = textures.get();
    resources.readScene = setup.readScene;

    intro = std::make_unique<IntroScene>();
    tunnel = std::make_unique<TunnelScene>();
    room = std::make_unique<RoomScene>();
    distort = std::make_unique<DistortScene>();
    glass = std::make_unique<GlassScene>();
    rotoball = std::make_unique<RotoballScene>();
    endScroller = std::make_unique<EndScroller>();
    room->SetSparkSeed(setup.sparkSeed);

    // The fixed load order; the first failure stops start-up.
    const std::pair<const char*, std::function<bool()>> loads[] = {
        {"distort", [&] { return distort->Load(resources); }},
        {"glass", [&] { return glass->Load(resources); }},
        {"room", [&] { return room->Load(resources); }},
        {"tunnel", [&] { return tunnel->Load(resources); }},
        {"credits", [&] { return endScroller->Load(resources); }},
        {"intro", [&] { return intro->Load(resources); }},
        {"rotoball", [&] { return rotoball->Load(resources); }},
    };
    for (const auto& [name, load] : loads) {
        if (load()) continue;
        failure = std::string("cannot load the ") + name + " part from the show's data in " +
                  std::filesystem::current_path().string() +
                  ": a file it needs is missing or damaged; rebuild the content, or name a complete data folder "
                  "with --data DIR";
        return false;
    }
    return true;
}

void Show::BuildTimeline() {
    overlayMaterial = std::make_unique<Material>();
    overlayMaterial->SetFlags(kOverlayFlags);
    overlayMaterial->SetDiffuse(Color4(1.0f, 1.0f, 1.0f, 1.0f));
    if (clock) AddPartChanges(*clock, [this] { TriggerFlash(); });
}

void Show::AddPartChanges(DemoClock& clock, const std::function<void()>& onChange) {
    // Start equal to end: each event fires exactly once per reset.
    for (float time : kPartChangeTimes) clock.AddEvent(std::make_unique<TimedEvent>(time, time, onChange));
}

void Show::ResetShow() {
    flashActive = 0;
    flashLevel = 0.0f;
    // The fixed reset order: room, distort, glass, tunnel, end scroller, intro, rotoball.
    if (room) room->Reset();
    if (distort) distort->Reset();
    if (glass) glass->Reset();
    if (tunnel) tunnel->Reset();
    if (endScroller) endScroller->Reset();
    if (intro) intro->Reset();
    if (rotoball) rotoball->Reset();
    sequenceIndex = 0;
    if (clock) clock->Reset();
}

void Show::RestartShow() {
    ResetShow();
    quitFlag = 0;
    if (room) room->RewindSparks();
    if (intro) intro->Rewind();
    if (distort) distort->Rewind();
    if (glass) glass->Rewind();
    if (rotoball) rotoball->Rewind();
}

void Show::TriggerFlash() {
    sequenceIndex += 1;
    flashActive = 1;
    // A flash raised while one is fading starts from what is left of it.
    flashLevel += 0.7f;
    if (flashLevel > 1.0f) flashLevel = 1.0f;
}

void Show::DrawFlash() {
    if (!overlayMaterial) return;
    const float level = flashLevel;
    overlayMaterial->SetDiffuse(Color4(level, level, level, 1.0f));
    overlayMaterial->Apply();
    BeginScene();
    UnbindTexture(0);
    // The level stays within 0..1 while the flash is drawn; the clamp keeps the conversion
    // defined whatever it is.
    const float scaled = level * 255.0f;
    const uint32_t g = scaled >= 255.0f ? 255u : scaled > 0.0f ? static_cast<uint32_t>(scaled) : 0u;
    const uint32_t grey = 0xFF000000u | g << 16 | g << 8 | g;
    const ScreenVertex quad[4] = {
        {0.0f, 0.0f, 0.0f, 1.0f, grey, 0.0f, 0.0f},
        {float(kWidth), 0.0f, 0.0f, 1.0f, grey, 0.0f, 0.0f},
        {float(kWidth), float(kHeight), 0.0f, 1.0f, grey, 0.0f, 0.0f},
        {0.0f, float(kHeight), 0.0f, 1.0f, grey, 0.0f, 0.0f},
    };
    if (Device* device = GetDevice()) device->DrawPrimitive(D3DPT_TRIANGLEFAN, kFvfScreenVertex, quad, 4, 0);
    EndScene();
}

bool Show::FramePart(int32_t index, float dt) {
    switch (index) {
        case 0: return intro->FramePart(dt);
        case 1: return tunnel->FramePart(dt);
        case 2: return room->FrameSparks(dt, SparkStepsThisFrame());
        case 3: return distort->FramePart(dt);
        case 4: return room->FrameTube(dt);
        case 5: return glass->FramePart(dt);
        case 6: return room->FrameFixedView(dt);
        case 7: return rotoball->FramePart(dt);
        case 8: return endScroller->FramePart(dt, &quitFlag);
        default: return true;
    }
}

int64_t Show::SparkStepsThisFrame() const {
    // The clock's ticks are those of the timer, whose period the rate fixes (the recorder ticks
    // the same period), so they measure show time exactly.
    const uint32_t tickMs = DemoClock::TickPeriodMs(kClockRate);
    return SparkStepsDue(clock->GetFrameTicks(), tickMs) - SparkStepsDue(clock->GetPreviousFrameTicks(), tickMs);
}

void Show::FrameStep(const std::function<void(Show&)>& afterPresent) {
    if (!display || !clock) return;
    display->BeginFrame(Color4(0.0f, 0.0f, 0.0f, 1.0f));
    const float dt = clock->GetFrameDelta();
    lastDrawnPart = -1;
    if (sequenceIndex >= 0 && sequenceIndex < kPartCount) {
        lastDrawnPart = sequenceIndex;
        if (!FramePart(sequenceIndex, dt)) sequenceIndex += 1;
    }
    if (flashActive == 1) {
        // The last frame of a flash is drawn at level 0; the level is not clamped after the
        // subtraction, so the next flash starts from the small negative remainder.
        if (!(flashLevel > 0.0001f)) {
            flashActive = 0;
            flashLevel = 0.0f;
        }
        DrawFlash();
        flashLevel -= 0.07f * clock->GetFrameDelta();
    }
    if (overlay && display->IsDrawing()) overlay(*this);
    display->Present();
    if (afterPresent) afterPresent(*this);
    // Events fired here change the part from the next frame on.
    clock->Update();
}

uint32_t Show::PumpMessages() { return display ? display->PumpMessages() : 0; }

bool Show::KeepRunning(uint32_t key) const { return key != kVirtualKeyEscape && quitFlag == 0; }

void Show::TickClock(int ticks) {
    if (!clock) return;
    for (int i = 0; i < ticks; ++i) {
        DemoClock::Tick(clock->GetTimerId(), 0, reinterpret_cast<std::uintptr_t>(clock.get()), 0, 0);
    }
}

void Show::ShutdownShow() {
    UnmountPack();
    textures.reset();
    clock.reset();  // kills its timer first
    music.reset();  // the last user of the audio library unloads it
    if (display) display->Destroy();
    display.reset();
    // Scenes and their materials hold no device resources; they go with the parts.
    intro.reset();
    tunnel.reset();
    room.reset();
    distort.reset();
    glass.reset();
    rotoball.reset();
    endScroller.reset();
    overlayMaterial.reset();
}

int RunShow(Show& show, const ShowSetup& setup, const std::function<void(Show&)>& afterPresent,
            const std::function<void(Show&)>& beforeFrame) {
    if (!show.InitShow(setup)) {
        show.ShutdownShow();
        return 1;
    }
    show.BuildTimeline();
    show.ResetShow();
    uint32_t key = show.PumpMessages();
    while (show.KeepRunning(key)) {
        if (beforeFrame) {
            beforeFrame(show);
            // A skip ahead may have run into the show's end.
            if (!show.KeepRunning(0)) break;
        }
        show.FrameStep(afterPresent);
        key = show.PumpMessages();
    }
    show.ShutdownShow();
    return 0;
}

}  // namespace cm
