#include "ModuleAudio.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace cm::record {

namespace {
constexpr size_t kMaxModuleBytes = 64u << 20;
constexpr size_t kChunkFrames = 4096;

struct ModuleDeleter {
    void operator()(openmpt_module* m) const { openmpt_module_destroy(m); }
};

void PutLe(std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}
}  // namespace

bool RenderModule(const std::string& path, uint32_t rate, int64_t first, int64_t end, Pcm& out,
                  std::string& error) {
    out.rate = rate;
    out.samples.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open the module " + path;
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0);
    if (size <= 0 || size_t(size) > kMaxModuleBytes) {
        error = "the module " + path + " is empty or too large";
        return false;
    }
    std::vector<char> bytes(static_cast<size_t>(size));
    if (!in.read(bytes.data(), size)) {
        error = "cannot read the module " + path;
        return false;
    }
    std::unique_ptr<openmpt_module, ModuleDeleter> module(openmpt_module_create_from_memory2(
        bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore, nullptr, nullptr,
        nullptr, nullptr));
    if (!module) {
        error = "libopenmpt cannot decode " + path;
        return false;
    }
    // The show loops the module for as long as it runs.
    openmpt_module_set_repeat_count(module.get(), -1);

    first = std::max<int64_t>(first, 0);
    end = std::max(end, first);
    out.samples.assign(size_t(end - first) * 2, 0);
    // Rendered as float and converted here: libopenmpt's own 16-bit output adds random
    // dither, which would make two recordings differ.
    std::vector<float> chunk(kChunkFrames * 2);
    // Samples before `first` are rendered and dropped: the player's state depends on every
    // sample before, so seeking would not give the same samples.
    for (int64_t pos = 0; pos < first;) {
        const size_t want = size_t(std::min<int64_t>(first - pos, kChunkFrames));
        const size_t got = openmpt_module_read_interleaved_float_stereo(module.get(), int32_t(rate), want, chunk.data());
        if (got == 0) break;
        pos += int64_t(got);
    }
    for (int64_t pos = 0; pos < end - first;) {
        const size_t want = size_t(std::min<int64_t>(end - first - pos, kChunkFrames));
        const size_t got = openmpt_module_read_interleaved_float_stereo(module.get(), int32_t(rate), want, chunk.data());
        // A module that ends despite looping leaves silence: the length stays exact.
        if (got == 0) break;
        for (size_t i = 0; i < got * 2; ++i) {
            const float v = std::clamp(chunk[i], -1.0f, 1.0f) * 32767.0f;
            out.samples[size_t(pos) * 2 + i] = static_cast<int16_t>(std::lrint(v));
        }
        pos += int64_t(got);
    }
    return true;
}

bool WriteWav(const std::string& path, const Pcm& pcm) {
    const uint64_t dataBytes = uint64_t(pcm.samples.size()) * 2;
    if (dataBytes > 0xFFFFFFFFull - 36) return false;
    std::string header;
    header += "RIFF";
    PutLe(header, uint32_t(36 + dataBytes), 4);
    header += "WAVEfmt ";
    PutLe(header, 16, 4);
    PutLe(header, 1, 2);  // PCM
    PutLe(header, 2, 2);  // stereo
    PutLe(header, pcm.rate, 4);
    PutLe(header, pcm.rate * 4, 4);
    PutLe(header, 4, 2);
    PutLe(header, 16, 2);
    header += "data";
    PutLe(header, uint32_t(dataBytes), 4);

    const std::string part = path + ".part";
    std::ofstream f(part, std::ios::binary);
    f.write(header.data(), std::streamsize(header.size()));
    // Little-endian samples, written byte by byte so the file is the same on any machine.
    std::string body;
    body.reserve(size_t(dataBytes));
    for (int16_t s : pcm.samples) PutLe(body, uint16_t(s), 2);
    f.write(body.data(), std::streamsize(body.size()));
    f.close();
    if (!f || std::rename(part.c_str(), path.c_str()) != 0) {
        std::remove(part.c_str());
        return false;
    }
    return true;
}

}  // namespace cm::record
