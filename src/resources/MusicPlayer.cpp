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

}  // namespace cm
