// The show's music rendered offline: the module decoded by libopenmpt, looping as the show
// plays it, from its first sample (show time 0), as 16-bit stereo.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cm::record {

inline constexpr uint32_t kDefaultSampleRate = 48000;

// Interleaved stereo, two samples per sample frame.
struct Pcm {
    uint32_t rate = kDefaultSampleRate;
    std::vector<int16_t> samples;
    int64_t Frames() const { return int64_t(samples.size() / 2); }
};

// Sample frames [first, end) of the module at rate (44100 or 48000). False with a message in
// error when the module cannot be read or decoded. Modules larger than 64 MiB are refused.
bool RenderModule(const std::string& path, uint32_t rate, int64_t first, int64_t end, Pcm& out,
                  std::string& error);

// A canonical 44-byte-header WAV file; written under a temporary name and renamed.
bool WriteWav(const std::string& path, const Pcm& pcm);

}  // namespace cm::record
