#include "resources/MusicPlayer.h"

namespace cm {

MusicPlayer::~MusicPlayer() {
    if (module != 0) {
        Stop();
        if (Entries().musicFree != nullptr) Entries().musicFree(module);
    }
}

bool MusicPlayer::Load(const char* name) {
    if (name == nullptr || Entries().musicLoad == nullptr) return false;
    // Whole file (offset 0, length 0), looping.
    const uint32_t loaded = Entries().musicLoad(0, name, 0, 0, kMusicLoop);
    if (loaded == 0) return false;
    if (module != 0) {
        Stop();
        if (Entries().musicFree != nullptr) Entries().musicFree(module);
    }
    module = loaded;
    return true;
}

int32_t MusicPlayer::Play() {
    if (module == 0 || Entries().musicPlay == nullptr) return 0;
    return Entries().musicPlay(module);
}

int32_t MusicPlayer::Stop() {
    if (Entries().channelStop == nullptr) return 0;
    return Entries().channelStop(module);
}

int32_t MusicPlayer::Pause() {
    if (module == 0 || Entries().channelPause == nullptr) return 0;
    return Entries().channelPause(module);
}

int32_t MusicPlayer::Resume() {
    if (module == 0 || Entries().channelResume == nullptr) return 0;
    return Entries().channelResume(module);
}

int32_t MusicPlayer::SetPosition(double seconds) {
    if (module == 0 || Entries().channelSetSeconds == nullptr) return 0;
    return Entries().channelSetSeconds(module, seconds);
}

double MusicPlayer::GetPosition() const {
    if (module == 0 || Entries().channelGetSeconds == nullptr) return -1.0;
    return Entries().channelGetSeconds(module);
}

}  // namespace cm
