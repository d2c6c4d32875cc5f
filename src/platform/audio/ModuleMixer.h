// The player inside the audio library: tracker modules decoded by libopenmpt, mixed and sent to
// one audio output device: SDL2's (ModuleMixerSdl.cpp), or a browser page's Web Audio output
// (ModuleMixerWeb.cpp).
//
// Threads: SDL calls the mixing callback on its own audio thread with the device locked; every
// other operation that touches a loaded module takes the same lock first, so a module is never
// used by two threads at once. A page has one thread and pulls the mix between its other tasks.
// Output: interleaved stereo 32-bit float at the rate given to Open, in device buffers of
// kBufferFrames frames.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct openmpt_module;

namespace cm {

class ModuleMixer {
public:
    // A power of two, as SDL wants: about 23 ms at 44100 Hz, small enough for a prompt start.
    static constexpr uint16_t kBufferFrames = 1024;
    // Module files larger than this are not read (real modules are a few megabytes at most).
    static constexpr size_t kMaxModuleBytes = 256u << 20;
    // Frames of past output kept for CopyRecentOutput.
    static constexpr size_t kRecentFrames = 16384;

    ModuleMixer() = default;
    ModuleMixer(const ModuleMixer&) = delete;
    ModuleMixer& operator=(const ModuleMixer&) = delete;
    ~ModuleMixer();

    // Opens the default output device (honouring SDL_AUDIODRIVER) paused. False if already
    // open, for a rate outside 8000..192000 Hz, or when SDL has no device to give.
    bool Open(uint32_t rateHz);
    bool IsOpen() const { return device_ != 0; }
    bool Start();
    bool Stop();
    // Frees every module and closes the device; harmless when not open.
    void Close();

    // Loads `length` bytes at `offset` of the file (length 0: to the end). Returns a non-zero
    // handle, or 0 when the device is not open or the file is unreadable or no module.
    uint32_t Load(const char* path, uint64_t offset, uint64_t length, bool loop);
    bool Play(uint32_t handle);
    bool StopChannel(uint32_t handle);
    // Pausing keeps the module where it is; resuming plays on from there. A stopped module
    // stays stopped. False for an unknown handle.
    bool PauseChannel(uint32_t handle, bool pause);
    // The module's position in seconds: set renders it from there on (refused for negative
    // times and times past the song's end), get returns -1 for an unknown handle.
    bool SetPosition(uint32_t handle, double seconds);
    double GetPosition(uint32_t handle);
    bool Free(uint32_t handle);

    // For tests: the last `frames` frames sent to the device (fewer if not that many yet), and
    // `frames` frames rendered straight from one module, bypassing the device. Both return the
    // number of frames written to `out` (two floats per frame).
    uint32_t CopyRecentOutput(float* out, uint32_t frames);
    uint32_t RenderOffline(uint32_t handle, float* out, uint32_t frames);

    // The device's pull: fills `bytes` bytes of interleaved stereo floats with the next mix.
    static void Callback(void* self, uint8_t* stream, int bytes);

private:
    struct Channel {
        uint32_t handle;
        openmpt_module* module;
        bool playing;
        bool paused;
    };

    void PrepareBuffers(uint32_t rateHz);
    void FreeModules();
    void Mix(float* out, size_t frames);
    void Seek(openmpt_module* module, double seconds);
    Channel* FindChannel(uint32_t handle);
    void Lock();
    void Unlock();

    uint32_t device_ = 0;  // SDL_AudioDeviceID (1 for a page's output), 0 when closed
    uint32_t rate_ = 0;    // Hz
    uint32_t nextHandle_ = 1;
    std::vector<Channel> channels_;
    std::vector<float> scratch_;  // one module's output before it is added to the mix
    std::vector<float> recent_;   // ring of kRecentFrames stereo frames
    size_t recentWrite_ = 0;      // next frame slot of the ring
    size_t recentFilled_ = 0;     // frames written so far, up to kRecentFrames
};

}  // namespace cm
