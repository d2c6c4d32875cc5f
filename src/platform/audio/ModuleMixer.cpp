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
    // Seeks bring the samples that are sounding at the new place with them.
    openmpt_module_ctl_set_boolean(module, "seek.sync_samples", 1);
    const uint32_t handle = nextHandle_;
    nextHandle_ = nextHandle_ == UINT32_MAX ? 1 : nextHandle_ + 1;
    channels_.push_back({handle, module, false, false});
    Unlock();
    return handle;
}

bool ModuleMixer::Play(uint32_t handle) {
    if (device_ == 0) return false;
    Lock();
    Channel* channel = FindChannel(handle);
    if (channel != nullptr) {
        channel->playing = true;
        channel->paused = false;
    }
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

bool ModuleMixer::PauseChannel(uint32_t handle, bool pause) {
    if (device_ == 0) return false;
    Lock();
    Channel* channel = FindChannel(handle);
    if (channel != nullptr) channel->paused = pause;
    Unlock();
    return channel != nullptr;
}

bool ModuleMixer::SetPosition(uint32_t handle, double seconds) {
    if (device_ == 0 || !(seconds >= 0.0)) return false;
    Lock();
    Channel* channel = FindChannel(handle);
    const bool done = channel != nullptr && seconds <= openmpt_module_get_duration_seconds(channel->module);
    if (done) Seek(channel->module, seconds);
    Unlock();
    return done;
}

// The module jumps to row starts only: it goes to the last row that starts at or before the
// time, then renders (and drops) the samples from there up to it.
void ModuleMixer::Seek(openmpt_module* module, double seconds) {
    double at = openmpt_module_set_position_seconds(module, seconds);
    for (int back = 0; at > seconds && back < 256; ++back) {
        int32_t order = openmpt_module_get_current_order(module);
        int32_t row = openmpt_module_get_current_row(module) - 1;
        if (row < 0 && order > 0) {
            --order;
            row = openmpt_module_get_pattern_num_rows(module, openmpt_module_get_order_pattern(module, order)) - 1;
        }
        at = row >= 0 ? openmpt_module_set_position_order_row(module, order, row)
                      : openmpt_module_set_position_seconds(module, 0.0);
    }
    const size_t chunk = scratch_.size() / 2;
    for (auto drop = static_cast<size_t>(std::max(0.0, (seconds - at) * rate_)); drop > 0;) {
        const size_t got = openmpt_module_read_interleaved_float_stereo(module, static_cast<int32_t>(rate_),
                                                                        std::min(chunk, drop), scratch_.data());
        if (got == 0) break;
        drop -= got;
    }
}

double ModuleMixer::GetPosition(uint32_t handle) {
    if (device_ == 0) return -1.0;
    Lock();
    Channel* channel = FindChannel(handle);
    const double seconds = channel != nullptr ? openmpt_module_get_position_seconds(channel->module) : -1.0;
    Unlock();
    return seconds;
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
        for (size_t done = 0; channel.playing && !channel.paused && done < frames;) {
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
