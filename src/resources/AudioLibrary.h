// The run-time loaded audio library, shared by every object derived from AudioLibrary.
//
// The first live object loads the library (kAudioLibraryName, next to the executable first),
// resolves its entry points by name and starts the output; the last one to go stops and
// frees the output and unloads the library. Any missing piece (no library, no entry point, no
// device) leaves the matching pointers null and every call is skipped: the show runs silent.
// Main thread only.
#pragma once

#include "platform/audio/AudioEntryPoints.h"

#include <cstdint>
#include <string>

namespace cm {

class AudioLibrary {
public:
    AudioLibrary();
    virtual ~AudioLibrary();
    AudioLibrary(const AudioLibrary&) = delete;
    AudioLibrary& operator=(const AudioLibrary&) = delete;

    virtual bool Load(const char* name) = 0;
    virtual int32_t Play() = 0;

    // Program-wide state, for tests and diagnostics.
    static bool IsLibraryLoaded();
    static int32_t GetUserCount();
    // The library file the next load uses (a bare name or a path); tests point it at stand-ins.
    // Changing it while the library is loaded takes effect after the last user is gone.
    static void SetLibraryName(const std::string& name);

protected:
    // The resolved entry points; a null member means the library lacks that entry point.
    static const AudioEntryPoints& Entries();
};

}  // namespace cm
