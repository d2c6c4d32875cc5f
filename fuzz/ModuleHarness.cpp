// Modules through our audio library: the library's own entry points (compiled into this
// program rather than loaded, so the sanitizers and coverage see them) on SDL's dummy driver.
// A module that loads is rendered for one second at the show's rate into a buffer, and must
// then be freed exactly once.

#include "Harness.h"
#include "ScratchFile.h"

#include "platform/audio/AudioEntryPoints.h"

#include <cstdlib>
#include <vector>

extern "C" {
int32_t BASS_Init(int32_t device, uint32_t rateHz, uint32_t flags, void* window);
uint32_t BASS_MusicLoad(int32_t mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags);
int32_t BASS_MusicFree(uint32_t handle);
uint32_t ColdMeridianAudio_RenderMusic(uint32_t handle, float* out, uint32_t frames);
}

namespace cm::fuzz {
namespace {

constexpr uint32_t kRateHz = 44100;

bool OutputOpen() {
    // Once per process: the device stays open, as it would for the whole show.
    static const bool open = [] {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        return BASS_Init(-1, kRateHz, 0, nullptr) != 0;
    }();
    return open;
}

}  // namespace

std::string FuzzModule(Input data) {
    if (data.size() > kMaxInputBytes) return {};
    if (!OutputOpen()) return "the audio output does not open on the dummy driver";
    const std::string path = WriteScratch("module", data);
    if (path.empty()) return "scratch file not written";

    const uint32_t handle = BASS_MusicLoad(0, path.c_str(), 0, 0, kMusicLoop);
    if (handle == 0) return {};
    std::vector<float> buffer(static_cast<size_t>(kRateHz) * 2);
    const uint32_t frames = ColdMeridianAudio_RenderMusic(handle, buffer.data(), kRateHz);
    std::string result;
    if (frames > kRateHz) result = "rendered more frames than asked for";
    if (BASS_MusicFree(handle) == 0) result = "a loaded module cannot be freed";
    if (BASS_MusicFree(handle) != 0) result = "a module was freed twice";
    return result;
}

}  // namespace cm::fuzz
