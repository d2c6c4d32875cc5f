// A browser page loads no shared libraries: the audio library is linked into the program, and
// "opening" it by its name hands out its entry points from the table the library itself keeps
// (AudioExports.cpp). Any other name fails to open, as a missing library does.
#include "platform/audio/AudioEntryPoints.h"
#include "platform/audio/SharedLibrary.h"

namespace cm {

void* FindLinkedAudioSymbol(const char* name);

namespace {
int g_linkedAudioLibrary;  // its address is the handle
}  // namespace

std::string ExecutableDirectory() { return "/"; }

void* OpenSharedLibrary(const std::string& name) {
    return name == kAudioLibraryName ? &g_linkedAudioLibrary : nullptr;
}

void* FindSharedSymbol(void* library, const char* name) {
    if (library != &g_linkedAudioLibrary || name == nullptr) return nullptr;
    return FindLinkedAudioSymbol(name);
}

void CloseSharedLibrary(void*) {}

}  // namespace cm
