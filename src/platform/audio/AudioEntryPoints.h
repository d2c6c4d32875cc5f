// The audio library's entry points: the C signatures that the library exports and the music
// player resolves by name, in the order the player resolves them. The names are the library's
// interface and stay as they are.
//
// Value conventions: results are 32-bit; booleans are 1 for success and 0 for failure; module
// handles are non-zero, 0 meaning failure. "mem" 0 means the file argument is a path.
#pragma once

#include <cstdint>

namespace cm {

// File name of the library; the loader looks next to the executable first.
inline constexpr const char* kAudioLibraryName = "libcoldmeridian-audio.so";

// Module load flag: loop the module forever.
inline constexpr uint32_t kMusicLoop = 4;

extern "C" {
using AudioInitFn = int32_t (*)(int32_t device, uint32_t rateHz, uint32_t flags, void* window);
using AudioFreeFn = int32_t (*)();
using AudioStartFn = int32_t (*)();
using AudioStopFn = int32_t (*)();
using MusicLoadFn = uint32_t (*)(int32_t mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags);
using StreamCreateFileFn = uint32_t (*)(int32_t mem, const void* file, uint32_t offset, uint32_t length,
                                        uint32_t flags);
using SampleLoadFn = uint32_t (*)(int32_t mem, const void* file, uint32_t offset, uint32_t length,
                                  uint32_t maxPlaybacks, uint32_t flags);
using MusicPlayFn = int32_t (*)(uint32_t handle);
using StreamPlayFn = int32_t (*)(uint32_t handle, int32_t flush, uint32_t flags);
using SamplePlayFn = uint32_t (*)(uint32_t handle);
using MusicFreeFn = int32_t (*)(uint32_t handle);
using StreamFreeFn = int32_t (*)(uint32_t handle);
using SampleFreeFn = int32_t (*)(uint32_t handle);
using ChannelPauseFn = int32_t (*)(uint32_t handle);
using ChannelResumeFn = int32_t (*)(uint32_t handle);
using ChannelStopFn = int32_t (*)(uint32_t handle);
// The play position of a module in seconds from its start. Setting it renders the module from
// that point on (the song's state is computed up to there, not guessed); negative times and
// times past the song's end are refused with 0. Getting it returns -1 for an unknown handle.
using ChannelSetSecondsFn = int32_t (*)(uint32_t handle, double seconds);
using ChannelGetSecondsFn = double (*)(uint32_t handle);
}

// One pointer per entry point, null when the library lacks it; the field order is the
// resolution order of kAudioEntryPointNames.
struct AudioEntryPoints {
    AudioInitFn init = nullptr;
    AudioFreeFn free = nullptr;
    AudioStartFn start = nullptr;
    AudioStopFn stop = nullptr;
    MusicLoadFn musicLoad = nullptr;
    StreamCreateFileFn streamCreateFile = nullptr;
    SampleLoadFn sampleLoad = nullptr;
    MusicPlayFn musicPlay = nullptr;
    StreamPlayFn streamPlay = nullptr;
    SamplePlayFn samplePlay = nullptr;
    MusicFreeFn musicFree = nullptr;
    StreamFreeFn streamFree = nullptr;
    SampleFreeFn sampleFree = nullptr;
    ChannelPauseFn channelPause = nullptr;
    ChannelResumeFn channelResume = nullptr;
    ChannelStopFn channelStop = nullptr;
    ChannelSetSecondsFn channelSetSeconds = nullptr;
    ChannelGetSecondsFn channelGetSeconds = nullptr;
};

inline constexpr int kAudioEntryPointCount = 18;
inline constexpr const char* kAudioEntryPointNames[kAudioEntryPointCount] = {
    "BASS_Init",         "BASS_Free",      "BASS_Start",      "BASS_Stop",
    "BASS_MusicLoad",    "BASS_StreamCreateFile", "BASS_SampleLoad", "BASS_MusicPlay",
    "BASS_StreamPlay",   "BASS_SamplePlay", "BASS_MusicFree",  "BASS_StreamFree",
    "BASS_SampleFree",   "BASS_ChannelPause", "BASS_ChannelResume", "BASS_ChannelStop",
    "BASS_ChannelSetSeconds", "BASS_ChannelGetSeconds",
};

}  // namespace cm
