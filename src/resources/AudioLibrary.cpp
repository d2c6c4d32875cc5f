#include "resources/AudioLibrary.h"

#include "platform/audio/SharedLibrary.h"

namespace cm {
namespace {

struct LibraryState {
    void* handle = nullptr;
    AudioEntryPoints entries;
    int32_t users = 0;
    std::string name = kAudioLibraryName;
};

LibraryState& State() {
    static LibraryState state;
    return state;
}

// Resolves each entry point by its name, in table order, into the matching member.
void ResolveEntries(void* handle, AudioEntryPoints& e) {
    void* slots[kAudioEntryPointCount] = {};
    for (int i = 0; i < kAudioEntryPointCount; ++i) slots[i] = FindSharedSymbol(handle, kAudioEntryPointNames[i]);
    e.init = reinterpret_cast<AudioInitFn>(slots[0]);
    e.free = reinterpret_cast<AudioFreeFn>(slots[1]);
    e.start = reinterpret_cast<AudioStartFn>(slots[2]);
    e.stop = reinterpret_cast<AudioStopFn>(slots[3]);
    e.musicLoad = reinterpret_cast<MusicLoadFn>(slots[4]);
    e.streamCreateFile = reinterpret_cast<StreamCreateFileFn>(slots[5]);
    e.sampleLoad = reinterpret_cast<SampleLoadFn>(slots[6]);
    e.musicPlay = reinterpret_cast<MusicPlayFn>(slots[7]);
    e.streamPlay = reinterpret_cast<StreamPlayFn>(slots[8]);
    e.samplePlay = reinterpret_cast<SamplePlayFn>(slots[9]);
    e.musicFree = reinterpret_cast<MusicFreeFn>(slots[10]);
    e.streamFree = reinterpret_cast<StreamFreeFn>(slots[11]);
    e.sampleFree = reinterpret_cast<SampleFreeFn>(slots[12]);
    e.channelPause = reinterpret_cast<ChannelPauseFn>(slots[13]);
    e.channelResume = reinterpret_cast<ChannelResumeFn>(slots[14]);
    e.channelStop = reinterpret_cast<ChannelStopFn>(slots[15]);
    e.channelSetSeconds = reinterpret_cast<ChannelSetSecondsFn>(slots[16]);
    e.channelGetSeconds = reinterpret_cast<ChannelGetSecondsFn>(slots[17]);
}

// Output parameters of the initialisation: the default device at 44100 Hz, no flags. The
// window argument exists for the library's sake; ours does not need one.
constexpr int32_t kDefaultDevice = -1;
constexpr uint32_t kOutputRateHz = 44100;

}  // namespace

AudioLibrary::AudioLibrary() {
    LibraryState& s = State();
    if (s.handle == nullptr) {
        s.handle = OpenSharedLibrary(s.name);
        if (s.handle != nullptr) {
            ResolveEntries(s.handle, s.entries);
            // A failed initialisation is not detected here: later calls fail in the library.
            if (s.entries.init != nullptr) {
                s.entries.init(kDefaultDevice, kOutputRateHz, 0, nullptr);
                if (s.entries.start != nullptr) s.entries.start();
            }
        }
    }
    s.users += 1;
}

AudioLibrary::~AudioLibrary() {
    LibraryState& s = State();
    s.users -= 1;
    if (s.users == 0 && s.handle != nullptr) {
        if (s.entries.stop != nullptr) s.entries.stop();
        if (s.entries.free != nullptr) s.entries.free();
        s.entries = AudioEntryPoints{};
        CloseSharedLibrary(s.handle);
        s.handle = nullptr;
    }
}

bool AudioLibrary::IsLibraryLoaded() { return State().handle != nullptr; }
int32_t AudioLibrary::GetUserCount() { return State().users; }
void AudioLibrary::SetLibraryName(const std::string& name) { State().name = name; }
const AudioEntryPoints& AudioLibrary::Entries() { return State().entries; }

}  // namespace cm
