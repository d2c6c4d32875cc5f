// Audio: the show's own module player, built as a shared library that the program loads at run
// time and can do without, plus the loader that finds and opens it.
//
// Owns: the shared library (AudioExports.cpp, ModuleMixer) that plays tracker modules through
// libopenmpt into an SDL2 audio device, the table of its entry points (AudioEntryPoints.h), and
// the dlopen wrapper used to load it (SharedLibrary.h). Not owned: when music plays, which is the
// music player's business (resources/MusicPlayer.h).
//
// Units: sample rates in Hz, lengths in stereo frames, samples as floats nominally -1..1.
//
// Error policy: audio is optional. Every failure (no library, no device, a module that does not
// load) is reported as the entry point's failure value (0) and nothing else happens: no message,
// no exception, and the show runs silently.
#pragma once

#include "platform/audio/AudioEntryPoints.h"
#include "platform/audio/SharedLibrary.h"
