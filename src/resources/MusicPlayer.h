// The show's music: one tracker module played in a loop through the audio library.
//
// Load replaces the current module only when the new one loads; Play and Stop act on the
// current module. Destruction stops and frees the module before the library's user count
// drops. Every call is skipped when the library lacks its entry point. Main thread only.
#pragma once

#include "resources/AudioLibrary.h"

#include <cstdint>

namespace cm {

class MusicPlayer : public AudioLibrary {
public:
    MusicPlayer() = default;
    ~MusicPlayer() override;

    // Loads the module file `name` (a path, relative to the working folder) looping forever.
    // False for a null name, without the load entry point, or when the library refuses the
    // file; the module already loaded, if any, then stays.
    bool Load(const char* name) override;
    // The library's play result (non-zero on success), or 0 with no module or entry point.
    int32_t Play() override;
    // The library's stop result, or 0 without the entry point.
    int32_t Stop();
    // Pause keeps the module's place, Resume plays on from it. The library's result, 0 without
    // a module or the entry point.
    int32_t Pause();
    int32_t Resume();
    // The module's place in seconds (see AudioEntryPoints.h): set returns the library's result
    // (0 without a module or entry point), get -1 when it cannot tell.
    int32_t SetPosition(double seconds);
    double GetPosition() const;

    uint32_t GetModule() const { return module; }

private:
    uint32_t module = 0;  // library handle of the loaded module, 0 when none
};

}  // namespace cm
