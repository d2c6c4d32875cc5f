#include "platform/audio/ModuleMixer.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <fstream>

namespace cm {
namespace {

// Reads the byte range of a file into memory; empty on any failure or when it is too large.
std::vector<char> ReadRange(const char* path, uint64_t offset, uint64_t length) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    const std::streamoff end = in.tellg();
    if (end < 0 || offset >= static_cast<uint64_t>(end)) return {};
    const uint64_t available = static_cast<uint64_t>(end) - offset;
    const uint64_t size = length == 0 ? available : std::min(length, available);
    if (size > ModuleMixer::kMaxModuleBytes) return {};
    std::vector<char> bytes(static_cast<size_t>(size));
    in.seekg(static_cast<std::streamoff>(offset));
    if (!in.read(bytes.data(), static_cast<std::streamsize>(size))) return {};
    return bytes;
}

}  // namespace

ModuleMixer::~ModuleMixer() { Close(); }

void ModuleMixer::PrepareBuffers(uint32_t rateHz) {
    rate_ = rateHz;
    scratch_.assign(static_cast<size_t>(kBufferFrames) * 2, 0.0f);
    recent_.assign(kRecentFrames * 2, 0.0f);
    recentWrite_ = 0;
    recentFilled_ = 0;
}

void ModuleMixer::FreeModules() {
    for (Channel& channel : channels_) openmpt_module_destroy(channel.module);
    channels_.clear();
}

ModuleMixer::Channel* ModuleMixer::FindChannel(uint32_t handle) {
    for (Channel& channel : channels_) {
        if (channel.handle == handle) return &channel;
    }
    return nullptr;
}

uint32_t ModuleMixer::Load(const char* path, uint64_t offset, uint64_t length, bool loop) {
    if (device_ == 0 || path == nullptr) return 0;
    const std::vector<char> bytes = ReadRange(path, offset, length);
    if (bytes.empty()) return 0;
    // Decoding the file takes a while; it happens before the module is shared with the audio
    // thread, so the device stays unlocked meanwhile.
    openmpt_module* module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent,
                                                                nullptr, openmpt_error_func_ignore, nullptr, nullptr,
                                                                nullptr, nullptr);
    if (module == nullptr) return 0;
    Lock();
    openmpt_module_set_repeat_count(module, loop ? -1 : 0);
    const uint32_t handle = nextHandle_;
    nextHandle_ = nextHandle_ == UINT32_MAX ? 1 : nextHandle_ + 1;
    channels_.push_back({handle, module, false});
    Unlock();
    return handle;
}

bool ModuleMixer::Play(uint32_t handle) {
    if (device_ == 0) return false;
    Lock();
    Channel* channel = FindChannel(handle);
    if (channel != nullptr) channel->playing = true;
    Unlock();
    return channel != nullptr;
}

bool ModuleMixer::StopChannel(uint32_t handle) {
    if (device_ == 0) return false;
    Lock();
    Channel* channel = FindChannel(handle);
    if (channel != nullptr) channel->playing = false;
    Unlock();
    return channel != nullptr;
}

bool ModuleMixer::Free(uint32_t handle) {
    if (device_ == 0) return false;
    Lock();
    auto it = std::find_if(channels_.begin(), channels_.end(), [&](const Channel& c) { return c.handle == handle; });
    const bool found = it != channels_.end();
    if (found) {
        openmpt_module_destroy(it->module);
        channels_.erase(it);
    }
    Unlock();
    return found;
}

void ModuleMixer::Callback(void* self, uint8_t* stream, int bytes) {
    auto* mixer = static_cast<ModuleMixer*>(self);
    const size_t frames = static_cast<size_t>(std::max(bytes, 0)) / (2 * sizeof(float));
    mixer->Mix(reinterpret_cast<float*>(stream), frames);
}

// Runs on the audio thread with the device locked. Modules are summed without scaling (one
// module is the normal case); SDL clamps when it converts the floats for the hardware.
void ModuleMixer::Mix(float* out, size_t frames) {
    std::fill(out, out + frames * 2, 0.0f);
    const size_t chunk = scratch_.size() / 2;
    for (Channel& channel : channels_) {
        for (size_t done = 0; channel.playing && done < frames;) {
            const size_t want = std::min(chunk, frames - done);
            const size_t got = openmpt_module_read_interleaved_float_stereo(channel.module, static_cast<int32_t>(rate_),
                                                                            want, scratch_.data());
            for (size_t i = 0; i < got * 2; ++i) out[done * 2 + i] += scratch_[i];
            done += got;
            if (got < want) channel.playing = false;  // a module without looping has ended
        }
    }
    for (size_t i = 0; i < frames; ++i) {
        recent_[recentWrite_ * 2] = out[i * 2];
        recent_[recentWrite_ * 2 + 1] = out[i * 2 + 1];
        recentWrite_ = (recentWrite_ + 1) % kRecentFrames;
    }
    recentFilled_ = std::min(kRecentFrames, recentFilled_ + frames);
}

uint32_t ModuleMixer::CopyRecentOutput(float* out, uint32_t frames) {
    if (device_ == 0 || out == nullptr) return 0;
    Lock();
    const size_t count = std::min<size_t>(frames, recentFilled_);
    const size_t first = (recentWrite_ + kRecentFrames - count) % kRecentFrames;
    for (size_t i = 0; i < count; ++i) {
        const size_t slot = (first + i) % kRecentFrames;
        out[i * 2] = recent_[slot * 2];
        out[i * 2 + 1] = recent_[slot * 2 + 1];
    }
    Unlock();
    return static_cast<uint32_t>(count);
}

uint32_t ModuleMixer::RenderOffline(uint32_t handle, float* out, uint32_t frames) {
    if (device_ == 0 || out == nullptr) return 0;
    Lock();
    Channel* channel = FindChannel(handle);
    size_t got = 0;
    if (channel != nullptr) {
        got = openmpt_module_read_interleaved_float_stereo(channel->module, static_cast<int32_t>(rate_), frames, out);
    }
    Unlock();
    return static_cast<uint32_t>(got);
}

}  // namespace cm
