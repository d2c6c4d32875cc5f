// The mixer's output device on SDL2: SDL's audio thread pulls the mix through Callback, and
// Lock/Unlock are the device's own lock.
#include "platform/audio/ModuleMixer.h"

#include <SDL.h>

namespace cm {

bool ModuleMixer::Open(uint32_t rateHz) {
    if (device_ != 0 || rateHz < 8000 || rateHz > 192000) return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(rateHz);
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = &ModuleMixer::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No allowed changes: SDL converts to whatever the hardware wants, so the callback always
    // sees exactly the format asked for.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    PrepareBuffers(rateHz);
    device_ = device;
    return true;
}

bool ModuleMixer::Start() {
    if (device_ == 0) return false;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

bool ModuleMixer::Stop() {
    if (device_ == 0) return false;
    SDL_PauseAudioDevice(device_, 1);
    return true;
}

void ModuleMixer::Close() {
    if (device_ == 0) return;
    // Closing waits for the audio thread to finish, after which the modules are ours alone.
    SDL_CloseAudioDevice(device_);
    device_ = 0;
    FreeModules();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void ModuleMixer::Lock() { SDL_LockAudioDevice(device_); }
void ModuleMixer::Unlock() { SDL_UnlockAudioDevice(device_); }

}  // namespace cm
