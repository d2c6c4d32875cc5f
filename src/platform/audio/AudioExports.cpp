// The entry points of the audio library (see AudioEntryPoints.h for the signatures). The
// library holds one player for the whole process; the entry points the show never calls
// (streams, samples) exist so that every name resolves, and report failure.

#include "platform/audio/AudioEntryPoints.h"
#include "platform/audio/ModuleMixer.h"

#define CM_AUDIO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

cm::ModuleMixer& Mixer() {
    static cm::ModuleMixer mixer;
    return mixer;
}

}  // namespace

// device -1 is the default output device, the only one offered. The window is not needed.
CM_AUDIO_EXPORT int32_t BASS_Init(int32_t device, uint32_t rateHz, uint32_t /*flags*/, void* /*window*/) {
    if (device != -1) return 0;
    return Mixer().Open(rateHz) ? 1 : 0;
}

CM_AUDIO_EXPORT int32_t BASS_Free() {
    const bool wasOpen = Mixer().IsOpen();
    Mixer().Close();
    return wasOpen ? 1 : 0;
}

CM_AUDIO_EXPORT int32_t BASS_Start() { return Mixer().Start() ? 1 : 0; }
CM_AUDIO_EXPORT int32_t BASS_Stop() { return Mixer().Stop() ? 1 : 0; }

// Only files are read (mem 0); file is a NUL-terminated path, relative to the working folder.
CM_AUDIO_EXPORT uint32_t BASS_MusicLoad(int32_t mem, const void* file, uint32_t offset, uint32_t length,
                                        uint32_t flags) {
    if (mem != 0) return 0;
    return Mixer().Load(static_cast<const char*>(file), offset, length, (flags & cm::kMusicLoop) != 0);
}

CM_AUDIO_EXPORT int32_t BASS_MusicPlay(uint32_t handle) { return Mixer().Play(handle) ? 1 : 0; }
CM_AUDIO_EXPORT int32_t BASS_MusicFree(uint32_t handle) { return Mixer().Free(handle) ? 1 : 0; }
CM_AUDIO_EXPORT int32_t BASS_ChannelStop(uint32_t handle) { return Mixer().StopChannel(handle) ? 1 : 0; }

CM_AUDIO_EXPORT uint32_t BASS_StreamCreateFile(int32_t, const void*, uint32_t, uint32_t, uint32_t) { return 0; }
CM_AUDIO_EXPORT uint32_t BASS_SampleLoad(int32_t, const void*, uint32_t, uint32_t, uint32_t, uint32_t) { return 0; }
CM_AUDIO_EXPORT int32_t BASS_StreamPlay(uint32_t, int32_t, uint32_t) { return 0; }
CM_AUDIO_EXPORT uint32_t BASS_SamplePlay(uint32_t) { return 0; }
CM_AUDIO_EXPORT int32_t BASS_StreamFree(uint32_t) { return 0; }
CM_AUDIO_EXPORT int32_t BASS_SampleFree(uint32_t) { return 0; }
CM_AUDIO_EXPORT int32_t BASS_ChannelPause(uint32_t handle) { return Mixer().PauseChannel(handle, true) ? 1 : 0; }
CM_AUDIO_EXPORT int32_t BASS_ChannelResume(uint32_t handle) { return Mixer().PauseChannel(handle, false) ? 1 : 0; }
CM_AUDIO_EXPORT int32_t BASS_ChannelSetSeconds(uint32_t handle, double seconds) {
    return Mixer().SetPosition(handle, seconds) ? 1 : 0;
}
CM_AUDIO_EXPORT double BASS_ChannelGetSeconds(uint32_t handle) { return Mixer().GetPosition(handle); }

// For tests only: see ModuleMixer::CopyRecentOutput and ModuleMixer::RenderOffline.
CM_AUDIO_EXPORT uint32_t ColdMeridianAudio_RecentOutput(float* out, uint32_t frames) {
    return Mixer().CopyRecentOutput(out, frames);
}
CM_AUDIO_EXPORT uint32_t ColdMeridianAudio_RenderMusic(uint32_t handle, float* out, uint32_t frames) {
    return Mixer().RenderOffline(handle, out, frames);
}

#ifdef __EMSCRIPTEN__
#include <cstring>

// A browser build links the library into the program; its loader looks the entry points up
// here (SharedLibraryWeb.cpp).
namespace cm {
void* FindLinkedAudioSymbol(const char* name) {
#define CM_AUDIO_ENTRY(f) {#f, reinterpret_cast<void*>(&f)}
    static const struct {
        const char* name;
        void* address;
    } kEntries[] = {
        CM_AUDIO_ENTRY(BASS_Init),         CM_AUDIO_ENTRY(BASS_Free),         CM_AUDIO_ENTRY(BASS_Start),
        CM_AUDIO_ENTRY(BASS_Stop),         CM_AUDIO_ENTRY(BASS_MusicLoad),    CM_AUDIO_ENTRY(BASS_StreamCreateFile),
        CM_AUDIO_ENTRY(BASS_SampleLoad),   CM_AUDIO_ENTRY(BASS_MusicPlay),    CM_AUDIO_ENTRY(BASS_StreamPlay),
        CM_AUDIO_ENTRY(BASS_SamplePlay),   CM_AUDIO_ENTRY(BASS_MusicFree),    CM_AUDIO_ENTRY(BASS_StreamFree),
        CM_AUDIO_ENTRY(BASS_SampleFree),   CM_AUDIO_ENTRY(BASS_ChannelPause), CM_AUDIO_ENTRY(BASS_ChannelResume),
        CM_AUDIO_ENTRY(BASS_ChannelStop),  CM_AUDIO_ENTRY(BASS_ChannelSetSeconds),
        CM_AUDIO_ENTRY(BASS_ChannelGetSeconds), CM_AUDIO_ENTRY(ColdMeridianAudio_RecentOutput),
        CM_AUDIO_ENTRY(ColdMeridianAudio_RenderMusic),
    };
#undef CM_AUDIO_ENTRY
    for (const auto& entry : kEntries) {
        if (std::strcmp(entry.name, name) == 0) return entry.address;
    }
    return nullptr;
}
}  // namespace cm
#endif
